#include "uninstall/engine/core/StaleEntryRules.h"

#include "core/TextRules.h"
#include "core/PathText.h"

#include <algorithm>
#include <optional>

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

// After a ".exe" that does not end the program name, the same path component goes on. When it goes
// on to a backslash it was a folder ("C:\a.exefile\un.exe"); when it ends without one, the text is
// a program running straight into an argument ("un.exe-S") or a longer file name, and which of the
// two Windows would start cannot be told.
bool ExeRunsIntoText(std::wstring_view text, size_t end) {
    for (size_t at = end; at < text.size(); ++at) {
        if (text[at] == L'\\')
            return false;
        if (EndsProgramName(text, at))
            return true;
    }
    return true;
}

// Inside quotes a blank belongs to the path, but a ".exe" that is followed by more text with no
// backslash after it ("C:\x\un.exe-S", "C:\x\un.exe /S" in one pair of quotes) still reads as a
// program with an argument as much as a file name.
bool HasAmbiguousExe(std::wstring_view program) {
    for (size_t at = FindIgnoreCase(program, kExeSuffix); at != std::wstring::npos;
         at = FindIgnoreCase(program, kExeSuffix, at + 1)) {
        const size_t end = at + kExeSuffix.size();
        if (end < program.size() && program.find(L'\\', end) == std::wstring_view::npos)
            return true;
    }
    return false;
}

// What process creation tries for a blank-ended prefix of an unquoted command: the prefix itself,
// with ".exe" appended when its last component has no extension.
std::wstring AsProcessCreationTries(std::wstring_view prefix) {
    const size_t component = prefix.find_last_of(L'\\');
    const std::wstring_view last = component == std::wstring_view::npos ? prefix : prefix.substr(component + 1);
    std::wstring tried(prefix);
    if (last.find(L'.') == std::wstring_view::npos)
        tried += kExeSuffix;
    return tried;
}

std::optional<std::vector<std::wstring>> ReadQuotedProgram(std::wstring_view text) {
    const size_t close = text.find(L'"', 1);
    if (close == std::wstring_view::npos)
        return std::nullopt; // the quote never closes: where the program ends is anybody's guess
    if (close + 1 < text.size() && !IsBlank(text[close + 1]))
        return std::nullopt; // "C:\x\un.exe"-S
    const std::wstring_view program = text.substr(1, close - 1);
    if (program.empty())
        return std::vector<std::wstring>{};
    if (TrimWhitespace(program) != program || HasAmbiguousExe(program))
        return std::nullopt;
    return std::vector<std::wstring>{std::wstring(program)};
}

std::optional<std::vector<std::wstring>> ReadUnquotedProgram(std::wstring_view text) {
    std::vector<std::wstring> candidates;
    size_t programEnd = 0;
    for (size_t at = FindIgnoreCase(text, kExeSuffix); at != std::wstring::npos;
         at = FindIgnoreCase(text, kExeSuffix, at + 1)) {
        const size_t end = at + kExeSuffix.size();
        if (EndsProgramName(text, end)) {
            candidates.emplace_back(text.substr(0, end));
            programEnd = end;
        } else if (ExeRunsIntoText(text, end)) {
            return std::nullopt;
        }
    }
    if (candidates.empty()) {
        if (text.find_first_of(L" \t") != std::wstring_view::npos)
            return candidates; // program and arguments cannot be told apart
        candidates.emplace_back(text);
        programEnd = text.size();
    }
    // A quote in the program part or right after it (C:\x\un.exe" /S): where the program ends
    // depends on how the quote is read.
    if (text.substr(0, programEnd + 1).find(L'"') != std::wstring_view::npos)
        return std::nullopt;
    // Process creation also tries every shorter blank-ended prefix ("C:\Program Files\..." tries
    // "C:\Program.exe" first): any of them that exists would be started.
    for (size_t at = 1; at < programEnd; ++at) {
        if (!IsBlank(text[at]) || IsBlank(text[at - 1]))
            continue;
        std::wstring tried = AsProcessCreationTries(text.substr(0, at));
        if (std::find(candidates.begin(), candidates.end(), tried) == candidates.end())
            candidates.push_back(std::move(tried));
    }
    return candidates;
}

// "X:\" for a path that starts with a drive letter, a colon and a backslash; empty for any other
// (network and device paths, drive-relative and relative paths).
std::wstring DriveRoot(std::wstring_view path) {
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\')
        return std::wstring();
    const wchar_t letter = FoldAsciiCase(path[0]);
    if (letter < L'a' || letter > L'z')
        return std::wstring();
    return std::wstring(path.substr(0, 3));
}

} // namespace

std::optional<std::vector<std::wstring>> UninstallerCandidates(std::wstring_view uninstallString) {
    const std::wstring text = TrimWhitespace(uninstallString);
    if (text.empty())
        return std::vector<std::wstring>{};
    return text[0] == L'"' ? ReadQuotedProgram(text) : ReadUnquotedProgram(text);
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

    const std::optional<std::vector<std::wstring>> candidates = UninstallerCandidates(text);
    if (!candidates)
        return UninstallerVerdict::Launch; // read ambiguously: never judged stale
    if (candidates->empty()) {
        // A quoted empty program ("" /S) cannot be started; blank-separated text without ".exe"
        // cannot be judged and is left to the system.
        return text[0] == L'"' ? UninstallerVerdict::Unusable : UninstallerVerdict::Launch;
    }
    for (const std::wstring& candidate : *candidates) {
        std::wstring path = probe.expandVariables ? probe.expandVariables(candidate) : candidate;
        if (path.find(L'%') != std::wstring::npos)
            return UninstallerVerdict::Launch; // an unset variable: the file cannot be judged
        if (IsBareFileName(path)) {
            const std::wstring found = probe.searchPath ? probe.searchPath(path) : std::wstring();
            if (found.empty())
                return UninstallerVerdict::Launch; // not on the search path: let the system report it
            path = found;
        }
        // Only a fixed local drive answers for certain: a network drive (which an elevated process
        // may not see although the user does), an unplugged removable drive or a device path say
        // "not found" for files that are there.
        const std::wstring root = DriveRoot(path);
        if (root.empty() || !probe.isFixedDrive || !probe.isFixedDrive(root))
            return UninstallerVerdict::Launch;
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

std::wstring MakeRegDeleteCommand(std::wstring_view regTool, std::wstring_view keyPath) {
    // Unquoted, so that "cmd /C" leaves the quotes of the key path alone (it strips the outer pair
    // of a command that starts with a quote); a system folder that would need quotes is refused.
    if (!IsAbsolutePath(regTool) || regTool.find_first_of(L" \t\"&|<>^()%!,;=") != std::wstring_view::npos ||
        !IsSafeKeyPathForCommand(keyPath))
        return std::wstring();
    std::wstring command(regTool);
    command += L" delete \"";
    command += keyPath;
    command += L"\" /f";
    return command;
}

} // namespace tsu
