#include "uninstall/core/QuietCommand.h"

#include "uninstall/core/UninstallCommandRules.h"

#include <cwctype>

namespace tsu {

namespace {

constexpr size_t kGuidChars = 38; // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

bool IsGuid(std::wstring_view text) {
    if (text.size() != kGuidChars || text.front() != L'{' || text.back() != L'}')
        return false;
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? text[i] != L'-' : !std::iswxdigit(text[i]))
            return false;
    }
    return true;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i]))
            return false;
    }
    return true;
}

bool IsMsiexec(std::wstring_view command) {
    const LaunchProgram program = PickLaunchProgram(command);
    if (program.candidates.size() != 1)
        return false;
    std::wstring_view path = program.candidates.front();
    const size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring_view::npos)
        path.remove_prefix(slash + 1);
    return EqualsNoCase(path, L"msiexec.exe");
}

// What follows the program in a registered command, without the blanks before it.
std::wstring_view ArgumentsAfterProgram(std::wstring_view command, std::wstring_view program) {
    while (!command.empty() && IsBlank(command.front()))
        command.remove_prefix(1);
    size_t end = 0;
    if (!command.empty() && command.front() == L'"') {
        end = command.find(L'"', 1);
        end = end == std::wstring_view::npos ? command.size() : end + 1;
    } else if (command.size() >= program.size() && EqualsNoCase(command.substr(0, program.size()), program)) {
        end = program.size();
    } else {
        while (end < command.size() && !IsBlank(command[end]))
            ++end;
    }
    std::wstring_view rest = command.substr(end);
    while (!rest.empty() && IsBlank(rest.front()))
        rest.remove_prefix(1);
    return rest;
}

} // namespace

std::optional<std::wstring> WindowsInstallerProductCode(std::wstring_view uninstallString,
                                                        std::wstring_view relativeKeyPath) {
    if (!IsMsiexec(uninstallString))
        return std::nullopt;
    for (size_t open = uninstallString.find(L'{'); open != std::wstring_view::npos;
         open = uninstallString.find(L'{', open + 1)) {
        if (IsGuid(uninstallString.substr(open, kGuidChars)))
            return std::wstring(uninstallString.substr(open, kGuidChars));
    }
    const size_t slash = relativeKeyPath.find_last_of(L'\\');
    const std::wstring_view keyName =
        slash == std::wstring_view::npos ? relativeKeyPath : relativeKeyPath.substr(slash + 1);
    if (IsGuid(keyName))
        return std::wstring(keyName);
    return std::nullopt;
}

QuietCommand BuildQuietCommand(const QuietCommandInput& input) {
    std::wstring_view quiet = input.quietUninstallString;
    while (!quiet.empty() && IsBlank(quiet.front()))
        quiet.remove_prefix(1);
    if (!quiet.empty())
        return {QuietSource::QuietUninstallString, std::wstring(input.quietUninstallString)};
    if (!input.systemFolder.empty()) {
        if (const auto code = WindowsInstallerProductCode(input.uninstallString, input.relativeKeyPath)) {
            return {QuietSource::WindowsInstaller,
                    L"\"" + std::wstring(input.systemFolder) + L"\\msiexec.exe\" /X" + *code + L" /qn /norestart"};
        }
    }
    const std::wstring_view switches = SilentSwitches(input.uninstallerKind);
    if (switches.empty() || input.uninstallerPath.empty() ||
        input.uninstallerPath.find(L'"') != std::wstring_view::npos)
        return QuietCommand();
    std::wstring line = L"\"" + std::wstring(input.uninstallerPath) + L"\" " + std::wstring(switches);
    const std::wstring_view rest = ArgumentsAfterProgram(input.uninstallString, input.uninstallerPath);
    if (!rest.empty())
        line += L" " + std::wstring(rest);
    return {QuietSource::InstallerSwitches, std::move(line)};
}

} // namespace tsu
