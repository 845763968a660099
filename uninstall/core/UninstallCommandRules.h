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

// Executable names (lower case) the process monitor must not follow for this command, in the
// order they are handed to it: "iexplore.exe" always; then "chrome.exe" when the command contains
// "360se.exe", else "360se.exe" when it contains "Google Chrome", else both "chrome.exe" and
// "360se.exe". Marker tests are case-sensitive.
[[nodiscard]] std::vector<std::wstring> IgnoredBrowserNames(std::wstring_view command);

} // namespace tsu
