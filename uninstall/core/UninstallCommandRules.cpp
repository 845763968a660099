#include "uninstall/core/UninstallCommandRules.h"

#include "core/TextRules.h"

namespace tsu {

namespace {
constexpr wchar_t kQuote = L'"';
constexpr wchar_t kHyphen = L'-';
} // namespace

bool ApplyFixedProductCodeRule(std::wstring& command) {
    if (!Contains(command, kFixedProductCode))
        return false;
    command.assign(kFixedProductCodeCommand);
    return true;
}

std::wstring BuildLaunchText(std::wstring_view command) {
    // Registered commands such as "C:\Program Files\App\uninst.exe" /S are started without their
    // slash switches; a hyphen anywhere (a -switch, or a path like "...\my-app\...") means the
    // command is taken as it stands.
    if (command.empty() || command.front() != kQuote || command.find(kHyphen) != std::wstring_view::npos)
        return std::wstring(command);
    const size_t closing = command.find(kQuote, 1);
    if (closing == std::wstring_view::npos || closing == 1)
        return std::wstring();
    // The quotes stay: an unquoted C:\Program Files\... makes CreateProcess try C:\Program.exe first.
    return std::wstring(command.substr(0, closing + 1));
}

std::vector<std::wstring> IgnoredBrowserNames(std::wstring_view command) {
    std::vector<std::wstring> names{std::wstring(kInternetExplorerName)};
    if (Contains(command, k360BrowserMarker)) {
        names.emplace_back(kChromeName);
    } else if (Contains(command, kChromeMarker)) {
        names.emplace_back(k360BrowserName);
    } else {
        names.emplace_back(kChromeName);
        names.emplace_back(k360BrowserName);
    }
    return names;
}

} // namespace tsu
