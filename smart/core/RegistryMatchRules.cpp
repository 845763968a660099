#include "smart/core/RegistryMatchRules.h"

#include "core/TextRules.h"
#include "smart/core/AnalysisRules.h"
#include "core/PathText.h"

#include <algorithm>

namespace tsu {

namespace {
constexpr size_t kMaxIgnoredPathChars = 3; // "C:\" and shorter match everything on a drive
constexpr size_t kMaxIgnoredNameChars = 3; // "App", "Go": names that short occur in any display name
constexpr std::wstring_view kProgramFilesName = L"Program Files";
constexpr std::wstring_view kExeSuffix = L".exe";

std::wstring NormalisedPathValue(std::wstring_view value) {
    std::wstring text = TrimWhitespace(StripQuotes(TrimWhitespace(value)));
    while (!text.empty() && text.back() == L'\\')
        text.pop_back();
    return text;
}

// The program an uninstall command starts, quotes removed: the quoted text of a command that starts
// with a quote, else the text up to the first ".exe" that ends a word (the first file process
// creation would find), else the whole text when it has no blank. Empty when it cannot be told.
std::wstring CommandProgram(std::wstring_view command) {
    const std::wstring text = TrimWhitespace(command);
    if (!text.empty() && text[0] == L'"') {
        const size_t close = text.find(L'"', 1);
        return close == std::wstring::npos ? std::wstring() : text.substr(1, close - 1);
    }
    for (size_t at = FindIgnoreCase(text, kExeSuffix); at != std::wstring::npos;
         at = FindIgnoreCase(text, kExeSuffix, at + 1)) {
        const size_t end = at + kExeSuffix.size();
        if (end == text.size() || text[end] == L' ' || text[end] == L'\t' || text[end] == L'/')
            return text.substr(0, end);
    }
    return text.find_first_of(L" \t") == std::wstring::npos ? text : std::wstring();
}

// A "." or ".." component would make a path that reads as below a folder lie elsewhere.
bool HasDotComponent(std::wstring_view path) {
    for (size_t start = 0; start <= path.size();) {
        const size_t end = std::min(path.find(L'\\', start), path.size());
        const std::wstring_view part = path.substr(start, end - start);
        if (part == L"." || part == L"..")
            return true;
        start = end + 1;
    }
    return false;
}

// path is base itself or lies below it: base is a prefix of path that ends where a component ends.
bool IsSameOrBelow(std::wstring_view path, std::wstring_view base, bool ignoreCase) {
    if (path.size() < base.size())
        return false;
    const std::wstring_view head = path.substr(0, base.size());
    if (ignoreCase ? !EqualsIgnoreCase(head, base) : head != base)
        return false;
    return path.size() == base.size() || path[base.size()] == L'\\';
}
} // namespace

bool PathValueMatchesFolder(std::wstring_view value, std::wstring_view folder, bool ignoreCase,
                            const SharedFolders* sharedFolders) {
    const std::wstring item = NormalisedPathValue(value);
    const std::wstring base = NormalisedPathValue(folder);
    if (item.size() <= kMaxIgnoredPathChars || base.size() <= kMaxIgnoredPathChars)
        return false;
    // A relative value ("Tools\App", "\Tools\App") names a different folder depending on where one
    // stands, so it says nothing about this one.
    if (!IsAbsolutePath(item) || !IsAbsolutePath(base) || HasDotComponent(item))
        return false;
    if (sharedFolders && sharedFolders->IsShared(item))
        return false;
    // The value is the folder or a file or folder in it, or the entry's location lies above it.
    return IsSameOrBelow(item, base, ignoreCase) || IsSameOrBelow(base, item, ignoreCase);
}

bool CommandMatchesFolder(std::wstring_view command, std::wstring_view folder, bool ignoreCase,
                          const SharedFolders* sharedFolders) {
    // Only the program the command starts counts, never its arguments: "\"D:\x\uninst.exe\" C:\App"
    // is not C:\App's uninstaller.
    const std::wstring program = CommandProgram(command);
    return !program.empty() && PathValueMatchesFolder(ParentFolder(program), folder, ignoreCase, sharedFolders);
}

bool MatchesRecord(const SoftwareRecord& record, const MatchCriteria& criteria) {
    if (criteria.programName.size() > kMaxIgnoredNameChars && Contains(record.displayName, criteria.programName))
        return true;
    if (!criteria.folderUsable || Contains(criteria.folderName, kProgramFilesName))
        return false;

    const bool ignoreCase = criteria.on64BitWindows;
    const auto matches = [&](const std::wstring& value) {
        return value.size() > 1 && PathValueMatchesFolder(value, criteria.folder, ignoreCase, criteria.sharedFolders);
    };
    if (matches(record.installLocation))
        return true;
    if (!criteria.on64BitWindows)
        return false;
    return matches(record.iconPath) ||
           (record.uninstallString.size() > 1 &&
            CommandMatchesFolder(record.uninstallString, criteria.folder, ignoreCase, criteria.sharedFolders));
}

} // namespace tsu
