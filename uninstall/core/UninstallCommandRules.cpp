#include "uninstall/core/UninstallCommandRules.h"

#include "core/TextRules.h"

namespace tsu {

namespace {
constexpr wchar_t kQuote = L'"';
constexpr wchar_t kHyphen = L'-';
constexpr std::wstring_view kExeExtension = L".EXE";

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// "C:\..." (or "C:/...") and "\\server\..." (which includes "\\?\..."); a drive-relative
// "C:x.exe" or a folder-relative "App\un.exe" depends on the current folder and is not taken.
bool IsFullPath(std::wstring_view path) {
    if (path.size() >= 3 && path[1] == L':' && IsSeparator(path[2]))
        return true;
    return path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\';
}

bool IsBareName(std::wstring_view name) {
    return name.find_first_of(L"\\/:") == std::wstring_view::npos;
}

bool EndsWithExe(std::wstring_view text) {
    return text.size() > kExeExtension.size() &&
           ToUpperAscii(text.substr(text.size() - kExeExtension.size())) == kExeExtension;
}

// Process creation adds ".exe" to a program name without an extension.
std::wstring WithDefaultExtension(std::wstring_view path) {
    const size_t nameStart = path.find_last_of(L"\\/:");
    const std::wstring_view name = nameStart == std::wstring_view::npos ? path : path.substr(nameStart + 1);
    std::wstring result(path);
    if (name.find(L'.') == std::wstring_view::npos)
        result.append(L".exe");
    return result;
}

LaunchProgram FromProgramName(std::wstring_view name) {
    LaunchProgram program;
    if (name.empty())
        return program;
    if (IsBareName(name)) {
        program.kind = LaunchProgram::Kind::SystemProgram;
        program.candidates.push_back(WithDefaultExtension(name));
    } else if (IsFullPath(name)) {
        program.kind = LaunchProgram::Kind::Path;
        program.candidates.push_back(WithDefaultExtension(name));
    }
    return program;
}

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

LaunchProgram PickLaunchProgram(std::wstring_view launchText) {
    size_t start = 0;
    while (start < launchText.size() && IsBlank(launchText[start]))
        ++start;
    const std::wstring_view text = launchText.substr(start);
    if (text.empty())
        return LaunchProgram();
    if (text.front() == kQuote) {
        const size_t closing = text.find(kQuote, 1);
        if (closing == std::wstring_view::npos)
            return LaunchProgram();
        return FromProgramName(text.substr(1, closing - 1));
    }
    size_t wordEnd = 0;
    while (wordEnd < text.size() && !IsBlank(text[wordEnd]))
        ++wordEnd;
    const std::wstring_view firstWord = text.substr(0, wordEnd);
    if (IsBareName(firstWord) || !IsFullPath(firstWord))
        return FromProgramName(firstWord);
    // Unquoted with spaces: each ".exe" that ends a word may end the program's path.
    LaunchProgram program;
    program.kind = LaunchProgram::Kind::Path;
    for (size_t end = wordEnd; end <= text.size(); ++end) {
        if (end < text.size() && !IsBlank(text[end]))
            continue;
        const std::wstring_view prefix = text.substr(0, end);
        if (!prefix.empty() && !IsBlank(prefix.back()) && EndsWithExe(prefix))
            program.candidates.emplace_back(prefix);
    }
    if (program.candidates.empty())
        program.candidates.push_back(WithDefaultExtension(firstWord));
    return program;
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
