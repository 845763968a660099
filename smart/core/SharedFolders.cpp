#include "smart/core/SharedFolders.h"

#include "smart/core/AnalysisRules.h"
#include "uninstall/engine/core/PathText.h"

#include "core/TextRules.h"

namespace tsu {

namespace {
constexpr std::wstring_view kProgramFilesName = L"Program Files";
}

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
    if (!m_profilesFolder.empty() &&
        (SamePath(trimmed, m_profilesFolder) || SamePath(ParentFolder(trimmed), m_profilesFolder)))
        return true;
    for (const std::wstring& known : m_knownFolders) {
        if (!known.empty() && SamePath(trimmed, known))
            return true;
    }
    return false;
}

} // namespace tsu
