#pragma once
// How a registered uninstall command is turned into the text handed to process creation, and
// which web browsers the launch does not wait for. Portable: no Win32 here.

#include <string>
#include <string_view>
#include <vector>

namespace tsu {

// One product whose registered command (install, repair or removal alike) is always replaced by
// its plain removal through the Windows Installer.
inline constexpr std::wstring_view kFixedProductCode = L"{BA6E3406-3BB9-433B-B9BF-ADC652DF3520}";
inline constexpr std::wstring_view kFixedProductCodeCommand =
    L"MsiExec.exe /uninstall {BA6E3406-3BB9-433B-B9BF-ADC652DF3520}";

// Browsers an uninstaller may open (a farewell page) and that must not hold up the launch.
inline constexpr std::wstring_view kInternetExplorerName = L"iexplore.exe";
inline constexpr std::wstring_view kChromeName = L"chrome.exe";
inline constexpr std::wstring_view k360BrowserName = L"360se.exe";
// Texts in a command that say which browser is itself being removed (and so must be waited for).
inline constexpr std::wstring_view k360BrowserMarker = L"360se.exe";
inline constexpr std::wstring_view kChromeMarker = L"Google Chrome";

// The longest command line process creation takes, in characters, without its terminator.
inline constexpr size_t kMaxCommandLineChars = 32766;

// Replaces the whole command by kFixedProductCodeCommand when it names kFixedProductCode anywhere
// (case-sensitive). Returns true when it did.
bool ApplyFixedProductCodeRule(std::wstring& command);

// The command line given to process creation for an uninstall command:
// - a command that starts with a double quote and has no hyphen anywhere keeps only the quoted
//   path: from the opening quote to the quote that closes it, both quotes kept (so that Windows
//   never tries the shorter, unquoted prefixes of a path with spaces); what follows is dropped;
// - such a command whose quote is never closed, or whose quotes enclose nothing, gives an empty
//   text (it cannot be started);
// - any other command is used unchanged, whatever its length.
[[nodiscard]] std::wstring BuildLaunchText(std::wstring_view command);

// Which program a launch text starts, read as process creation reads its command line, but
// without any search: the tool runs elevated, and a search would try the program's own folder,
// the current folder and PATH, where anyone may have put a program of that name.
struct LaunchProgram {
    enum class Kind {
        None,          // nothing that can be started safely: no text, an unclosed quote, a relative path
        SystemProgram, // a bare name ("MsiExec.exe", "rundll32"): only the system's own copy runs
        Path,          // a full path: the one candidate that names an existing file runs
    };
    Kind kind = Kind::None;
    // SystemProgram: the one file name (".exe" added when it has no extension).
    // Path: every full path the text can be read as, shortest first. An unquoted path with spaces
    // gives one candidate for each ".exe" that ends before a space or at the end
    // (C:\Program Files\App\un.exe /S names C:\Program Files\App\un.exe, never
    // C:\Program.exe); when no ".exe" is written, the first word with ".exe" added if it has
    // no extension. The launch refuses a text whose candidates name no file or more than one.
    std::vector<std::wstring> candidates;
};
[[nodiscard]] LaunchProgram PickLaunchProgram(std::wstring_view launchText);

// Executable names (lower case) the process monitor must not follow for this command, in the
// order they are handed to it: "iexplore.exe" always; then "chrome.exe" when the command contains
// "360se.exe", else "360se.exe" when it contains "Google Chrome", else both "chrome.exe" and
// "360se.exe". Marker tests are case-sensitive.
[[nodiscard]] std::vector<std::wstring> IgnoredBrowserNames(std::wstring_view command);

} // namespace tsu
