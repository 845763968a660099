#include "smart/core/SharedFolders.h"

#include "smart/core/AnalysisRules.h"
#include "core/PathText.h"

#include "core/TextRules.h"

namespace tsu {

namespace {
constexpr std::wstring_view kProgramFilesName = L"Program Files";

// The standard folders of a profile, below its root. The shell names only the running account's,
// but the tool runs elevated, often as another account than the user whose desktop the shortcut
// lies on: every profile's are shared.
constexpr std::wstring_view kProfileFolders[] = {L"Desktop",
                                                 L"Documents",
                                                 L"Downloads",
                                                 L"Pictures",
                                                 L"Music",
                                                 L"Videos",
                                                 L"Favorites",
                                                 L"Links",
                                                 L"Saved Games",
                                                 L"Contacts",
                                                 L"Searches",
                                                 L"AppData",
                                                 L"AppData\\Roaming",
                                                 L"AppData\\Local",
                                                 L"AppData\\LocalLow",
                                                 L"AppData\\Local\\Temp",
                                                 L"AppData\\Local\\Programs"};
// Folders a OneDrive root takes over from the profile when it backs them up.
constexpr std::wstring_view kOneDriveFolders[] = {L"Desktop", L"Documents", L"Pictures"};
constexpr std::wstring_view kOneDriveName = L"OneDrive";
constexpr std::wstring_view kOneDriveOrganisationPrefix = L"OneDrive - ";

// "OneDrive" or "OneDrive - <organisation>".
bool IsOneDriveRoot(std::wstring_view name) {
    return EqualsIgnoreCase(name, kOneDriveName) ||
           (name.size() > kOneDriveOrganisationPrefix.size() &&
            EqualsIgnoreCase(name.substr(0, kOneDriveOrganisationPrefix.size()), kOneDriveOrganisationPrefix));
}

// inProfile is the part of a folder below a profile root ("Desktop", "AppData\Local").
bool IsStandardProfileFolder(std::wstring_view inProfile) {
    for (const std::wstring_view standard : kProfileFolders) {
        if (EqualsIgnoreCase(inProfile, standard))
            return true;
    }
    const size_t slash = inProfile.find(L'\\');
    const std::wstring_view first = inProfile.substr(0, slash);
    if (!IsOneDriveRoot(first))
        return false;
    if (slash == std::wstring_view::npos)
        return true;
    for (const std::wstring_view standard : kOneDriveFolders) {
        if (EqualsIgnoreCase(inProfile.substr(slash + 1), standard))
            return true;
    }
    return false;
}
} // namespace

SharedFolders::SharedFolders(std::wstring windowsFolder, std::wstring profilesFolder,
                             std::vector<std::wstring> knownFolders)
    : m_windowsFolder(TrimTrailingSeparators(windowsFolder)), m_profilesFolder(TrimTrailingSeparators(profilesFolder)),
      m_knownFolders(std::move(knownFolders)) {}

bool SharedFolders::IsInWindowsFolder(std::wstring_view path) const {
    if (m_windowsFolder.empty())
        return false;
    return SamePath(path, m_windowsFolder) || IsPathBelow(path, m_windowsFolder);
}

bool SharedFolders::IsShared(std::wstring_view folder) const {
    const std::wstring trimmed = TrimTrailingSeparators(folder);
    if (trimmed.empty() || IsRootPath(trimmed))
        return true;
    if (ContainsIgnoreCase(LastPathComponent(trimmed), kProgramFilesName))
        return true;
    if (!m_windowsFolder.empty() && SamePath(trimmed, m_windowsFolder))
        return true;
    if (!m_profilesFolder.empty() && SamePath(trimmed, m_profilesFolder))
        return true;
    if (!m_profilesFolder.empty() && IsPathBelow(trimmed, m_profilesFolder)) {
        // A profile root ("<profiles>\<any user>") or a standard folder of any profile.
        const size_t start = m_profilesFolder.size() + (m_profilesFolder.back() == L'\\' ? 0 : 1);
        const std::wstring_view inProfiles = std::wstring_view(trimmed).substr(start);
        const size_t slash = inProfiles.find(L'\\');
        if (slash == std::wstring_view::npos || IsStandardProfileFolder(inProfiles.substr(slash + 1)))
            return true;
    }
    for (const std::wstring& known : m_knownFolders) {
        if (!known.empty() && SamePath(trimmed, known))
            return true;
    }
    return false;
}

} // namespace tsu
