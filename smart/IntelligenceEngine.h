#pragma once
// The non-window object behind the intelligent uninstall. From one dropped path, normally a
// program's shortcut, the analysis works out the program it starts, that program's files, its
// start-menu shortcuts and its registry uninstall entry; afterwards the engine deletes the paths
// the user selected, or runs the matched entry's uninstaller (the standard uninstall). Each task
// runs on a worker thread of its own and reports to the owner window by SendMessage (see
// EngineMessages.h), so the page's handlers run while the worker waits.
//
// The analysis worker uses the engine itself (one analysis at a time; the destructor waits for
// it). The page reads the results after WM_ANALYSIS_STATE with kAnalysisFinished. The deletion
// and standard-uninstall workers work on copies taken when they start (the selected paths, the
// matched record), so a new analysis during a standard uninstall cannot change which program is
// removed.

#include "framework/ScopedHandles.h"
#include "inventory/InventoryReader.h"
#include "smart/AnalysedItems.h"
#include "inventory/core/SoftwareRecord.h"
#include "smart/core/RelatedItem.h"
#include "smart/core/SharedFolders.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace tsu {

class ShortcutReader;

class IntelligenceEngine {
public:
    // The only start menu searched: the all-users one.
    static constexpr wchar_t kStartMenuRoot[] = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
    // A folder scan that finds more files than this gives up: the program's own folder never holds
    // that many, and the list would grow without bound (a 32-bit process runs out of memory).
    static constexpr size_t kMaxRelatedFiles = 20000;

    // maxRelatedFiles: the folder scan's limit (tests pass a small one).
    explicit IntelligenceEngine(InventoryLocations locations = InventoryLocations::Default(),
                                size_t maxRelatedFiles = kMaxRelatedFiles);
    // reader: how the registry match reads the installed programs.
    IntelligenceEngine(InventoryReader reader, size_t maxRelatedFiles);
    // Waits for a running analysis worker (it uses the engine), handling the messages it sends to
    // windows of the calling thread meanwhile.
    ~IntelligenceEngine();
    IntelligenceEngine(const IntelligenceEngine&) = delete;
    IntelligenceEngine& operator=(const IntelligenceEngine&) = delete;

    // False, storing nothing, for a null handle.
    [[nodiscard]] bool SetOwnerWindow(HWND window);

    // Stores the path and starts the analysis worker. False when an analysis still runs or the
    // thread cannot be created (logged).
    [[nodiscard]] bool StartAnalysis(const std::wstring& path);
    // The analysis itself (the worker's body); always true. Sends WM_ANALYSIS_STATE with
    // kAnalysisStarted once the target is usable and kAnalysisFinished at the end, in every case;
    // an analysis that fails on the way finishes with no items and no match.
    bool Analyze();
    // Stores the path and analyses it on the calling thread (the console program has no page to
    // keep responsive). False when an analysis still runs.
    bool AnalyzeNow(const std::wstring& path);
    // From a successful StartAnalysis until its worker has ended.
    [[nodiscard]] bool IsAnalysisRunning() const { return m_analysisRunning; }

    // The file-system path a shortcut points to; empty when the file is no loadable shortcut, the
    // link has no file-system target, or the target does not fit (never a cut path).
    [[nodiscard]] static std::wstring ResolveShortcut(const std::wstring& shortcutPath);
    // Appends every shortcut below folder whose target is target (letter case ignored), each
    // followed by its start-menu sub-folder. Does not follow junctions or symbolic links.
    void ScanStartMenu(const std::wstring& folder, const std::wstring& target);
    // Appends every file below folder as a related file. Does not follow junctions or symbolic links.
    // False, appending nothing (logged), when there are more files than the engine's limit.
    bool ScanFolder(const std::wstring& folder);
    // Reads the installed programs and takes the first entry that belongs to the target.
    bool MatchRegistryEntry();

    // Deletes the selected paths on a worker: items of the analysis that are still what it saw;
    // files are deleted, folders removed when empty.
    // False (logged) when the thread cannot be created.
    [[nodiscard]] bool StartDeletion();
    bool DeleteSelected();
    // Runs the matched entry's uninstaller on a worker and reports whether the entry is gone.
    // False (logged) when the thread cannot be created.
    [[nodiscard]] bool StartStandardUninstall();
    bool RunStandardUninstall();

    [[nodiscard]] const std::wstring& ShortcutPath() const { return m_shortcutPath; }
    [[nodiscard]] const std::wstring& TargetPath() const { return m_targetPath; }
    [[nodiscard]] const std::wstring& ProgramName() const { return m_programName; }
    [[nodiscard]] const std::vector<RelatedItem>& Items() const { return m_items; }
    // False again once a standard uninstall of the match has removed its entry.
    [[nodiscard]] bool HasStandardUninstall() const { return *m_hasStandardUninstall; }
    // Meaningful only while HasStandardUninstall().
    [[nodiscard]] const SoftwareRecord& MatchedRecord() const { return m_matchedRecord; }
    // Filled by the page before StartDeletion.
    [[nodiscard]] std::vector<std::wstring>& SelectedPaths() { return m_selectedPaths; }

private:
    // Analyze's work, which may fail by an exception; Analyze reports the end either way.
    void AnalyzeTarget();
    void ScanStartMenuLevel(const std::wstring& folder, const std::wstring& target, int depth, ShortcutReader& reader);
    // Collects the files below folder; false once there are more than m_maxRelatedFiles.
    bool CollectFiles(const std::wstring& folder, int depth, std::vector<std::wstring>& files) const;
    void Append(const std::wstring& path, const wchar_t* description);
    void Notify(LPARAM state) const;
    // The system's shared folders, read once.
    const SharedFolders& Shared();
    void ClearMatch() { m_hasStandardUninstall = std::make_shared<std::atomic<bool>>(false); }

    HWND m_ownerWindow = nullptr;
    std::wstring m_shortcutPath;
    std::wstring m_targetPath;
    std::wstring m_programName;
    SoftwareRecord m_matchedRecord;
    std::vector<RelatedItem> m_items;
    ProductIconMap m_productIcons;
    SoftwareMap m_installedSoftware;
    std::vector<std::wstring> m_selectedPaths;
    // Shared with a standard uninstall of the match, which clears it once the entry is gone; each
    // match attempt starts a flag of its own, so an earlier uninstall never clears a later match.
    std::shared_ptr<std::atomic<bool>> m_hasStandardUninstall = std::make_shared<std::atomic<bool>>(false);

    const InventoryReader m_reader;
    const size_t m_maxRelatedFiles;
    SharedFolders m_sharedFolders;
    bool m_sharedFoldersRead = false;
    std::atomic<bool> m_analysisRunning{false};
    // What each listed item is, so that deletion removes exactly those files and folders.
    AnalysedItems m_analysedItems{kStartMenuRoot};
    // The latest analysis worker, kept for the destructor. An earlier worker's last use of the engine
    // is clearing m_analysisRunning, which a new analysis waits for.
    UniqueHandle m_analysisThread;
};

} // namespace tsu
