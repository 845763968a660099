#pragma once
// The feedback library's settings file "VeltorFeedbackInformation.ini" beside the library (and so
// beside the tool): the knowledge-base address, the newest tool version the provider announces and
// where to download it, and optionally which browser opens addresses. Portable: no Win32 here.
//
//     [Feedback]
//     KnowledgeBaseUrl=https://help.veltor.com
//     [Update]
//     LatestVersion=1.0.21.0
//     DownloadUrl=https://help.veltor.com/download/10100
//     [Browser]
//     Program=C:\Program Files\Browser\browser.exe
//
// The file is UTF-8 (with or without byte-order mark) or UTF-16LE with its byte-order mark, as
// Notepad writes them. Section and key names ignore ASCII letter case; blanks around names and
// values are dropped; lines starting with ';' or '#' are comments.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tsu::feedback {

inline constexpr wchar_t kSettingsFileName[] = L"VeltorFeedbackInformation.ini";
// The knowledge base of the tool's provider when the settings file names none.
inline constexpr wchar_t kDefaultKnowledgeBaseUrl[] = L"https://help.veltor.com";
// The article "更多工具" opens, relative to the knowledge base.
inline constexpr wchar_t kMoreToolsArticlePath[] = L"/detail/dc_172545.html";

// GetToolIsNewVersion results: 3 is the one value the tool acts on.
inline constexpr int kVersionCurrent = 1;
inline constexpr int kVersionNewerExists = 3;

class FeedbackSettings {
public:
    FeedbackSettings() = default;

    // Parses the bytes of a settings file; anything unreadable is skipped line by line, so a
    // damaged file still gives its good lines and the defaults for the rest.
    [[nodiscard]] static FeedbackSettings Parse(std::string_view bytes);

    // The value of section/key, or nothing when absent or empty.
    [[nodiscard]] std::optional<std::wstring> Value(std::wstring_view section, std::wstring_view key) const;

    // The knowledge base without a trailing '/', or the default when the file names no usable
    // web address.
    [[nodiscard]] std::wstring KnowledgeBaseUrl() const;
    // Where the newer tool is downloaded: DownloadUrl when usable, else the knowledge base.
    [[nodiscard]] std::wstring DownloadUrl() const;
    // The announced newest version text, or empty.
    [[nodiscard]] std::wstring LatestVersion() const;
    // A browser program to start with the address instead of the default browser, or empty
    // when the file names none or none that IsBrowserProgramPath accepts. Surrounding quotes are
    // dropped.
    [[nodiscard]] std::wstring BrowserProgram() const;

    // 3 when the announced version is newer than currentVersion, else 1 (also when either text
    // is no version).
    [[nodiscard]] int CompareWithLatest(std::wstring_view currentVersion) const;

private:
    // Keys are "section\nkey", lower-cased ASCII.
    std::map<std::wstring, std::wstring> m_values;
};

// Dotted version numbers "1.0.20.1116": up to four parts of decimal digits, each below 100000.
// Nothing for any other text.
[[nodiscard]] std::optional<std::vector<unsigned>> ParseVersion(std::wstring_view text);
// -1, 0 or 1; missing parts count as 0 (so "1.0" equals "1.0.0.0").
[[nodiscard]] int CompareVersions(const std::vector<unsigned>& a, const std::vector<unsigned>& b);

// An address the library hands to the browser: "http://" or "https://" (any letter case) followed
// by at least one character, without control characters or double quotes and at most 2048
// characters long. Everything else (file paths, commands, "javascript:") is refused.
[[nodiscard]] bool IsWebAddress(std::wstring_view url);

// A browser program the library may start: an absolute path on a local drive ("C:\...\x.exe")
// ending in ".exe" (any letter case), without quotes, control characters or "%", and without any
// "." or ".." part. A network path, a bare name (searched for along the path), a script or a
// command with arguments is refused. Whether the file exists is checked when it is started.
[[nodiscard]] bool IsBrowserProgramPath(std::wstring_view path);

// The knowledge-base address joined with a path that starts with '/'.
[[nodiscard]] std::wstring JoinUrl(std::wstring_view base, std::wstring_view path);

// The bytes of a settings or text file as UTF-16: UTF-16LE when it starts with its byte-order
// mark, otherwise UTF-8 (mark optional).
[[nodiscard]] std::wstring DecodeTextFile(std::string_view bytes);

} // namespace tsu::feedback
