#include "smart/core/RegistryMatchRules.h"

#include "core/TextRules.h"
#include "uninstall/engine/core/PathText.h"

namespace tsu {

namespace {
constexpr size_t kMaxIgnoredPathChars = 3; // "C:\" and shorter match everything on a drive
constexpr std::wstring_view kProgramFilesName = L"Program Files";

std::wstring NormalisedPathValue(std::wstring_view value) {
    std::wstring text = StripQuotes(TrimWhitespace(value));
    while (!text.empty() && text.back() == L'\\')
        text.pop_back();
    return text;
}

size_t Find(std::wstring_view text, std::wstring_view part, size_t from, bool ignoreCase) {
    return ignoreCase ? FindIgnoreCase(text, part, from) : text.find(part, from);
}

// part occurs in text and the occurrence ends where a path component ends.
bool ContainsAtBoundary(std::wstring_view text, std::wstring_view part, bool ignoreCase, std::wstring_view boundary) {
    for (size_t at = Find(text, part, 0, ignoreCase); at != std::wstring_view::npos;
         at = Find(text, part, at + 1, ignoreCase)) {
        const size_t end = at + part.size();
        if (end == text.size() || boundary.find(text[end]) != std::wstring_view::npos)
            return true;
    }
    return false;
}
} // namespace

bool PathValueMatchesFolder(std::wstring_view value, std::wstring_view folder, bool ignoreCase,
                            const SharedFolders* sharedFolders) {
    const std::wstring item = NormalisedPathValue(value);
    const std::wstring base = NormalisedPathValue(folder);
    if (item.size() <= kMaxIgnoredPathChars || base.size() <= kMaxIgnoredPathChars)
        return false;
    if (sharedFolders && sharedFolders->IsShared(item))
        return false;
    // The folder inside the value: the value is the folder, a file in it or a command naming one.
    if (ContainsAtBoundary(item, base, ignoreCase, L"\\\"/,"))
        return true;
    // The value inside the folder: the entry's location is the folder or one above it.
    return ContainsAtBoundary(base, item, ignoreCase, L"\\");
}

bool MatchesRecord(const SoftwareRecord& record, const MatchCriteria& criteria) {
    if (!criteria.programName.empty() && Contains(record.displayName, criteria.programName))
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
    return matches(record.iconPath) || matches(record.uninstallString);
}

} // namespace tsu
