#include "uninstall/engine/core/StaleEntryRules.h"

#include "core/TextRules.h"
#include "uninstall/engine/core/PathText.h"

namespace tsu {

namespace {
constexpr std::wstring_view kExeSuffix = L".exe";
constexpr std::wstring_view kWindowsInstaller = L"msiexec.exe";

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// ".exe" ends the program name when the command continues with arguments or ends there;
// "C:\My.exe Tools\un.exe" has two such prefixes, and CreateProcess would try both.
bool EndsProgramName(std::wstring_view text, size_t end) {
    return end == text.size() || IsBlank(text[end]) || text[end] == L'"' || text[end] == L'/' || text[end] == L',';
}
} // namespace

std::vector<std::wstring> UninstallerCandidates(std::wstring_view uninstallString) {
    const std::wstring text = TrimWhitespace(uninstallString);
    std::vector<std::wstring> candidates;
    if (text.empty())
        return candidates;

    if (text[0] == L'"') {
        const size_t close = text.find(L'"', 1);
        const std::wstring program =
            TrimWhitespace(StripQuotes(close == std::wstring::npos ? std::wstring_view(text).substr(1)
                                                                   : std::wstring_view(text).substr(1, close - 1)));
        if (!program.empty())
            candidates.push_back(program);
        return candidates;
    }

    for (size_t at = FindIgnoreCase(text, kExeSuffix); at != std::wstring::npos;
         at = FindIgnoreCase(text, kExeSuffix, at + 1)) {
        const size_t end = at + kExeSuffix.size();
        if (EndsProgramName(text, end)) {
            const std::wstring program = StripQuotes(std::wstring_view(text).substr(0, end));
            if (!program.empty())
                candidates.push_back(program);
        }
    }
    if (candidates.empty() && text.find_first_of(L" \t") == std::wstring::npos) {
        const std::wstring program = StripQuotes(text);
        if (!program.empty())
            candidates.push_back(program);
    }
    return candidates;
}

bool IsWindowsInstallerCommand(std::wstring_view uninstallString) {
    return ContainsIgnoreCase(uninstallString, kWindowsInstaller);
}

UninstallerVerdict ClassifyUninstaller(std::wstring_view uninstallString, const UninstallerProbe& probe) {
    const std::wstring text = TrimWhitespace(uninstallString);
    if (TrimWhitespace(StripQuotes(text)).empty())
        return UninstallerVerdict::Unusable;
    if (IsWindowsInstallerCommand(text))
        return UninstallerVerdict::Launch;

    const std::vector<std::wstring> candidates = UninstallerCandidates(text);
    if (candidates.empty()) {
        // A quoted empty program ("" /S) cannot be started; blank-separated text without ".exe"
        // cannot be judged and is left to the system.
        return text[0] == L'"' ? UninstallerVerdict::Unusable : UninstallerVerdict::Launch;
    }
    for (const std::wstring& candidate : candidates) {
        std::wstring path = probe.expandVariables ? probe.expandVariables(candidate) : candidate;
        if (path.find(L'%') != std::wstring::npos)
            return UninstallerVerdict::Launch; // an unset variable: the file cannot be judged
        if (IsBareFileName(path)) {
            const std::wstring found = probe.searchPath ? probe.searchPath(path) : std::wstring();
            if (found.empty())
                return UninstallerVerdict::Launch; // not on the search path: let the system report it
            path = found;
        }
        if (!IsAbsolutePath(path))
            return UninstallerVerdict::Launch; // relative to a folder nobody knows
        const FileState state = probe.queryFile ? probe.queryFile(path) : FileState::Unknown;
        if (state != FileState::Missing)
            return UninstallerVerdict::Launch;
    }
    return UninstallerVerdict::StaleEntry;
}

bool IsSafeKeyPathForCommand(std::wstring_view keyPath) {
    if (keyPath.empty())
        return false;
    for (const wchar_t c : keyPath) {
        if (c == L'"' || c == L'%' || c < 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

std::wstring MakeRegDeleteCommand(std::wstring_view keyPath) {
    std::wstring command = L"reg delete \"";
    command += keyPath;
    command += L"\" /f";
    return command;
}

} // namespace tsu
