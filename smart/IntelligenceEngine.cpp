#include "smart/IntelligenceEngine.h"

#include "framework/ScopedHandles.h"
#include "inventory/Is64BitWindows.h"
#include "log/CLogSave.h"
#include "smart/SystemFolders.h"
#include "smart/core/AnalysisRules.h"
#include "smart/core/RegistryMatchRules.h"
#include "uninstall/engine/EngineMessages.h"
#include "uninstall/engine/core/PathText.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <cwchar>

namespace tsu {

namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kAnalysisThreadFailed[] = L"创建查找应用程序文件线程失败";
constexpr size_t kMinUsableTargetChars = 4; // "C:\" and shorter are no program
// The longest path Windows can name; a shortcut's target never needs more. A target that fills
// the buffer may have been cut and is not used.
constexpr int kLongPathChars = 32768;
// Folder trees deeper than this are not followed further (a safety net beside the reparse-point
// test, for loops the file system does not mark).
constexpr int kMaxScanDepth = 48;
constexpr DWORD kThreadResult = 1;

bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// Calls visit(fullPath, findData) for every entry of folder except "." and "..".
template <typename Visit> void ForEachEntry(const std::wstring& folder, Visit&& visit) {
    const std::wstring pattern = folder + L"\\*.*";
    WIN32_FIND_DATAW data{};
    // The basic information level skips the 8.3 names, and the large fetch reads a folder in fewer
    // calls; both exist from Windows 7 on.
    const UniqueFindHandle search(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                                     nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search)
        return;
    do {
        if (!IsDotEntry(data.cFileName))
            visit(folder + L"\\" + data.cFileName, data);
    } while (::FindNextFileW(search.Get(), &data));
}

bool IsFollowableDirectory(const WIN32_FIND_DATAW& data) {
    // Junctions and symbolic links are not followed: a link back up the tree would never end, and
    // a link elsewhere leads out of the program's folder.
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

IntelligenceEngine::IntelligenceEngine(InventoryLocations locations) : m_locations(std::move(locations)) {}

bool IntelligenceEngine::SetOwnerWindow(HWND window) {
    if (!window)
        return false;
    m_ownerWindow = window;
    return true;
}

bool IntelligenceEngine::StartAnalysis(const std::wstring& path) {
    bool idle = false;
    if (!m_analysisRunning.compare_exchange_strong(idle, true))
        return false; // the results of the running analysis would be overwritten while it fills them
    m_shortcutPath = path;
    const auto entry = [](void* parameter) -> DWORD {
        auto* engine = static_cast<IntelligenceEngine*>(parameter);
        try {
            (void)engine->Analyze();
        } catch (...) {
            // Nothing may leave a thread entry.
        }
        engine->m_analysisRunning = false;
        return kThreadResult;
    };
    HANDLE thread = ::CreateThread(nullptr, 0, entry, this, 0, nullptr);
    if (!thread) {
        m_analysisRunning = false;
        WriteToolLog(kAnalysisThreadFailed);
        return false;
    }
    ::CloseHandle(thread);
    return true;
}

bool IntelligenceEngine::AnalyzeNow(const std::wstring& path) {
    bool idle = false;
    if (!m_analysisRunning.compare_exchange_strong(idle, true))
        return false;
    m_shortcutPath = path;
    (void)Analyze();
    m_analysisRunning = false;
    return true;
}

void IntelligenceEngine::Notify(LPARAM state) const {
    if (m_ownerWindow)
        ::SendMessageW(m_ownerWindow, WM_ANALYSIS_STATE, reinterpret_cast<WPARAM>(m_targetPath.c_str()), state);
}

const SharedFolders& IntelligenceEngine::Shared() {
    if (!m_sharedFoldersRead) {
        m_sharedFolders = QuerySharedFolders();
        m_sharedFoldersRead = true;
    }
    return m_sharedFolders;
}

void IntelligenceEngine::Append(const std::wstring& path, const wchar_t* description) {
    m_items.push_back(RelatedItem{path, description});
}

bool IntelligenceEngine::Analyze() {
    // One apartment for the whole analysis; each resolution below only adds a reference to it.
    const ScopedComInit com(COINIT_APARTMENTTHREADED);
    m_items.clear();
    m_hasStandardUninstall = false;
    m_targetPath = ResolveShortcut(m_shortcutPath);
    m_programName = ProgramNameFromShortcut(m_shortcutPath);

    if (m_targetPath.size() >= kMinUsableTargetChars) {
        Notify(kAnalysisStarted);
        if (Shared().IsInWindowsFolder(m_targetPath)) {
            // A system program: never searched further, never matched to an uninstall entry.
            Append(m_shortcutPath, kDesktopShortcutText);
            Append(m_targetPath, kRelatedFileText);
        } else {
            ScanStartMenu(kStartMenuRoot, m_targetPath);
            Append(m_shortcutPath, kDesktopShortcutText);
            const std::wstring folder = ParentFolder(m_targetPath);
            // Only a folder of the program's own is listed whole; in a shared folder (a drive root,
            // Program Files, the desktop, ...) or for a target that is itself a folder, the
            // target alone is the program's file.
            if (IsDirectory(m_targetPath) || Shared().IsShared(folder))
                Append(m_targetPath, kRelatedFileText);
            else if (folder.find(L'\\') != std::wstring::npos)
                ScanFolder(folder);
            (void)MatchRegistryEntry();
        }
    }
    Notify(kAnalysisFinished);
    return true;
}

std::wstring IntelligenceEngine::ResolveShortcut(const std::wstring& shortcutPath) {
    // A thread that already has another apartment type cannot take this one; the shell link then
    // works in the existing one, and every result below is checked anyway.
    const ScopedComInit com(COINIT_APARTMENTTHREADED);
    ComPtr<IPersistFile> file;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistFile,
                                  reinterpret_cast<void**>(file.GetAddressOf()))) ||
        !file)
        return std::wstring();
    ComPtr<IShellLinkW> link;
    if (FAILED(file.As(&link)) || !link)
        return std::wstring();
    if (FAILED(file->Load(shortcutPath.c_str(), STGM_READ)))
        return std::wstring();
    std::wstring target(kLongPathChars, L'\0');
    // S_FALSE: the link has no file-system path (a virtual folder, an installer advertisement).
    if (link->GetPath(target.data(), kLongPathChars, nullptr, 0) != S_OK)
        return std::wstring();
    target.resize(std::wcslen(target.c_str()));
    if (target.size() >= static_cast<size_t>(kLongPathChars) - 1)
        return std::wstring();
    return target;
}

void IntelligenceEngine::ScanStartMenu(const std::wstring& folder, const std::wstring& target) {
    ScanStartMenuLevel(folder, target, 0);
}

void IntelligenceEngine::ScanStartMenuLevel(const std::wstring& folder, const std::wstring& target, int depth) {
    if (depth > kMaxScanDepth)
        return;
    ForEachEntry(folder, [&](const std::wstring& path, const WIN32_FIND_DATAW& data) {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (IsFollowableDirectory(data))
                ScanStartMenuLevel(path, target, depth + 1);
            return;
        }
        if (!HasShortcutExtension(path))
            return;
        const std::wstring resolved = ResolveShortcut(path);
        // File names compare without regard to letter case on Windows: "c:\tools\app.exe" is the
        // same program as "C:\Tools\App.exe".
        if (resolved.empty() || !SamePath(resolved, target))
            return;
        Append(path, kStartMenuShortcutText);
        if (const auto startMenuFolder = StartMenuFolderItem(path))
            Append(*startMenuFolder, kStartMenuShortcutText);
    });
}

void IntelligenceEngine::ScanFolder(const std::wstring& folder) { ScanFolderLevel(folder, 0); }

void IntelligenceEngine::ScanFolderLevel(const std::wstring& folder, int depth) {
    if (depth > kMaxScanDepth)
        return;
    ForEachEntry(folder, [&](const std::wstring& path, const WIN32_FIND_DATAW& data) {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (IsFollowableDirectory(data))
                ScanFolderLevel(path, depth + 1);
            return;
        }
        Append(path, kRelatedFileText);
    });
}

bool IntelligenceEngine::MatchRegistryEntry() {
    m_hasStandardUninstall = false;
    m_productIcons.clear();
    const bool on64BitWindows = Is64BitWindows();
    if (RunInventorySequence(m_productIcons, m_installedSoftware, on64BitWindows, m_locations) !=
        InventoryResult::Loaded)
        return false;
    if (m_installedSoftware.empty())
        return false;

    MatchCriteria criteria;
    criteria.programName = m_programName;
    criteria.folder = ParentFolder(m_targetPath);
    criteria.folderName = LastPathComponent(criteria.folder);
    criteria.on64BitWindows = on64BitWindows;
    criteria.folderUsable = !criteria.folder.empty() && !Shared().IsShared(criteria.folder) &&
                            !IsDirectory(m_targetPath);
    criteria.sharedFolders = &Shared();
    for (const auto& [name, record] : m_installedSoftware) {
        if (MatchesRecord(record, criteria)) {
            m_matchedRecord = record;
            m_hasStandardUninstall = true;
            return true;
        }
    }
    return false;
}

} // namespace tsu
