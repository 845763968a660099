#include "smart/IntelligenceEngine.h"

#include "framework/ScopedHandles.h"
#include "framework/WorkerThread.h"
#include "inventory/Is64BitWindows.h"
#include "log/CLogSave.h"
#include "smart/CanonicalPaths.h"
#include "smart/ShortcutReader.h"
#include "smart/SystemFolders.h"
#include "smart/core/AnalysisRules.h"
#include "smart/core/RegistryMatchRules.h"
#include "uninstall/engine/EngineMessages.h"
#include "core/PathText.h"

namespace tsu {

namespace {

constexpr wchar_t kAnalysisThreadFailed[] = L"创建查找应用程序文件线程失败";
constexpr wchar_t kTooManyFilesBefore[] = L"相关文件超过";
constexpr wchar_t kTooManyFilesAfter[] = L"个，只列出快捷方式和目标文件：";
constexpr size_t kMinUsableTargetChars = 4; // "C:\" and shorter are no program
// Folder trees deeper than this are not followed further (a safety net beside the reparse-point
// test, for loops the file system does not mark).
constexpr int kMaxScanDepth = 48;

bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// Calls visit(fullPath, findData) for every entry of folder except "." and "..", until it returns
// false.
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
        if (!IsDotEntry(data.cFileName) && !visit(folder + L"\\" + data.cFileName, data))
            return;
    } while (::FindNextFileW(search.Get(), &data));
}

bool IsFollowableDirectory(const WIN32_FIND_DATAW& data) {
    // Junctions and symbolic links are not followed: a link back up the tree would never end, and
    // a link elsewhere leads out of the program's folder.
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

} // namespace

IntelligenceEngine::IntelligenceEngine(InventoryLocations locations, size_t maxRelatedFiles)
    : IntelligenceEngine(SequenceReader(std::move(locations)), maxRelatedFiles) {}

IntelligenceEngine::IntelligenceEngine(InventoryReader reader, size_t maxRelatedFiles)
    : m_reader(std::move(reader)), m_maxRelatedFiles(maxRelatedFiles) {}

IntelligenceEngine::~IntelligenceEngine() {
    if (!m_analysisThread)
        return;
    // The worker may be inside a SendMessage to a window of this thread: keep handling sent
    // messages while waiting, or both would wait for ever.
    const HANDLE done = m_analysisThread.Get();
    for (;;) {
        const DWORD wait = ::MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_SENDMESSAGE);
        if (wait != WAIT_OBJECT_0 + 1)
            break; // finished, or the wait itself failed
        MSG message;
        (void)::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

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
    UniqueHandle thread = StartWorkerThread([this] {
        Analyze();                 // reports its end itself, also when it fails
        m_analysisRunning = false; // the worker's last use of the engine
    });
    if (!thread) {
        m_analysisRunning = false;
        WriteToolLog(kAnalysisThreadFailed);
        return false;
    }
    m_analysisThread = std::move(thread); // only the destructor waits on it; the worker is never joined
    return true;
}

bool IntelligenceEngine::AnalyzeNow(const std::wstring& path) {
    bool idle = false;
    if (!m_analysisRunning.compare_exchange_strong(idle, true))
        return false;
    m_shortcutPath = path;
    Analyze();
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
    m_analysedItems.Record(path, description);
}

bool IntelligenceEngine::Analyze() {
    // One apartment for the whole analysis; each resolution below only adds a reference to it.
    const ScopedComInit com(COINIT_APARTMENTTHREADED);
    try {
        AnalyzeTarget();
    } catch (...) {
        // Half a result would list too little or match the wrong entry: nothing is offered.
        m_items.clear();
        m_analysedItems.Clear();
        ClearMatch();
    }
    // Also after a failure: the page waits for this behind its progress dialog.
    Notify(kAnalysisFinished);
    return true;
}

void IntelligenceEngine::AnalyzeTarget() {
    m_items.clear();
    m_analysedItems.Clear();
    ClearMatch();
    m_targetPath = ResolveShortcut(m_shortcutPath);
    m_programName = ProgramNameFromShortcut(m_shortcutPath);

    if (m_targetPath.size() >= kMinUsableTargetChars) {
        Notify(kAnalysisStarted);
        if (IsSystemProgram(m_targetPath, Shared())) {
            // A system program: never searched further, never matched to an uninstall entry.
            Append(m_shortcutPath, kDesktopShortcutText);
            Append(m_targetPath, kRelatedFileText);
        } else {
            ScanStartMenu(kStartMenuRoot, m_targetPath);
            Append(m_shortcutPath, kDesktopShortcutText);
            // Only a folder of the program's own is listed whole. In a shared folder (a drive root,
            // Program Files, any profile's desktop, ...), behind a link, on another machine, for a
            // target that is itself a folder or does not exist, and when the folder holds too many
            // files, the target alone is the program's file.
            const std::optional<std::wstring> folder = ProgramFolderToScan(m_targetPath, Shared());
            if (!folder || !ScanFolder(*folder))
                Append(m_targetPath, kRelatedFileText);
            MatchRegistryEntry();
        }
    }
}

std::wstring IntelligenceEngine::ResolveShortcut(const std::wstring& shortcutPath) {
    ShortcutReader reader;
    return reader.TargetOf(shortcutPath);
}

void IntelligenceEngine::ScanStartMenu(const std::wstring& folder, const std::wstring& target) {
    ShortcutReader reader; // one shell-link object for the whole tree
    ScanStartMenuLevel(folder, target, 0, reader);
}

void IntelligenceEngine::ScanStartMenuLevel(const std::wstring& folder, const std::wstring& target, int depth,
                                            ShortcutReader& reader) {
    if (depth > kMaxScanDepth)
        return;
    ForEachEntry(folder, [&](const std::wstring& path, const WIN32_FIND_DATAW& data) {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (IsFollowableDirectory(data))
                ScanStartMenuLevel(path, target, depth + 1, reader);
            return true;
        }
        if (!HasShortcutExtension(path))
            return true;
        const std::wstring resolved = reader.TargetOf(path);
        // File names compare without regard to letter case on Windows: "c:\tools\app.exe" is the
        // same program as "C:\Tools\App.exe".
        if (resolved.empty() || !SamePath(resolved, target))
            return true;
        Append(path, kStartMenuShortcutText);
        if (const auto startMenuFolder = StartMenuFolderItem(path))
            Append(*startMenuFolder, kStartMenuShortcutText);
        return true;
    });
}

bool IntelligenceEngine::ScanFolder(const std::wstring& folder) {
    m_analysedItems.SetAnalysedFolder(folder);
    std::vector<std::wstring> files;
    if (!CollectFiles(folder, 0, files)) {
        WriteToolLog(kTooManyFilesBefore + std::to_wstring(m_maxRelatedFiles) + kTooManyFilesAfter + folder);
        return false;
    }
    for (const std::wstring& file : files)
        Append(file, kRelatedFileText);
    return true;
}

bool IntelligenceEngine::CollectFiles(const std::wstring& folder, int depth, std::vector<std::wstring>& files) const {
    if (depth > kMaxScanDepth)
        return true;
    bool withinLimit = true;
    ForEachEntry(folder, [&](const std::wstring& path, const WIN32_FIND_DATAW& data) {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (IsFollowableDirectory(data))
                withinLimit = CollectFiles(path, depth + 1, files);
        } else {
            files.push_back(path);
            withinLimit = files.size() <= m_maxRelatedFiles;
        }
        return withinLimit;
    });
    return withinLimit;
}

bool IntelligenceEngine::MatchRegistryEntry() {
    ClearMatch();
    m_productIcons.clear();
    const bool on64BitWindows = Is64BitWindows();
    if (m_reader(m_productIcons, m_installedSoftware, on64BitWindows) != InventoryResult::Loaded)
        return false;
    if (m_installedSoftware.empty())
        return false;

    MatchCriteria criteria;
    criteria.programName = m_programName;
    // The folder as the file system names it, so that "C:\PROGRA~1\App" meets an install location
    // written "C:\Program Files\App"; the text as it stands when the folder cannot be opened.
    const std::wstring folder = ParentFolder(m_targetPath);
    criteria.folder = CanonicalLocalPath(folder, LinkRule::Resolve).value_or(folder);
    criteria.folderName = LastPathComponent(criteria.folder);
    criteria.on64BitWindows = on64BitWindows;
    criteria.folderUsable = ProgramFolderToScan(m_targetPath, Shared()).has_value();
    criteria.sharedFolders = &Shared();
    for (const auto& [name, record] : m_installedSoftware) {
        if (MatchesRecord(record, criteria)) {
            m_matchedRecord = record;
            *m_hasStandardUninstall = true;
            return true;
        }
    }
    return false;
}

} // namespace tsu
