// The intelligent engine's two ways of removing a program: deleting the selected paths, and the
// standard uninstall through the matched entry's own uninstaller.

#include "smart/IntelligenceEngine.h"

#include "framework/WorkerThread.h"
#include "inventory/Is64BitWindows.h"
#include "inventory/RegistryScanner.h"
#include "log/CLogSave.h"
#include "smart/core/AnalysisRules.h"
#include "uninstall/LaunchUninstaller.h"
#include "uninstall/engine/EngineMessages.h"

#include <memory>

namespace tsu {

namespace {

constexpr wchar_t kDeletionThreadFailed[] = L"创建删除软件文件线程失败";
constexpr wchar_t kStandardUninstallThreadFailed[] = L"创建卸载应用软件线程失败";

void Send(HWND window, UINT message, WPARAM wParam) {
    if (window)
        ::SendMessageW(window, message, wParam, 0);
}

struct DeletionJob {
    std::vector<std::wstring> paths;
    AnalysedItems items;
    HWND owner = nullptr;
};

struct StandardUninstallJob {
    bool matched = false;
    SoftwareRecord record;
    HWND owner = nullptr;
    // The engine's flag of this match: cleared once the entry is gone, so that the removed
    // program's uninstaller is not offered again.
    std::shared_ptr<std::atomic<bool>> offered;
};

void DeleteEach(const DeletionJob& job, int& deleted, int& failed) {
    for (const std::wstring& path : job.paths) {
        // Only an item of the analysis goes, and only while it is still the file or folder the
        // analysis saw there. A file a running program holds open, or a read-only one, stays and
        // counts as failed; a folder goes only when empty, and counts neither way.
        switch (job.items.Delete(path)) {
        case AnalysedItems::Outcome::Deleted:
            ++deleted;
            break;
        case AnalysedItems::Outcome::Failed:
            ++failed;
            break;
        case AnalysedItems::Outcome::Vanished:   // gone since the analysis
        case AnalysedItems::Outcome::FolderDone: // a start-menu folder after its shortcut
            break;
        }
    }
}

void DeletePaths(const DeletionJob& job) {
    int deleted = 0;
    int failed = 0;
    try {
        DeleteEach(job, deleted, failed);
    } catch (...) {
        ++failed; // what was deleted before counts; the rest stays
    }
    // Also for an empty selection or a failure: the page's progress display must close.
    Send(job.owner, WM_CLOSE_PROGRESS, 0);
    Send(job.owner, WM_DELETE_RESULT, static_cast<WPARAM>(DeleteResultCode(deleted, failed)));
}

bool IsEntryGoneFor(const SoftwareRecord& record, bool on64BitWindows) {
    if (record.relativeKeyPath.empty())
        return false; // an empty path would open the root itself, which has no DisplayName
    if (record.rootKey != kRootLocalMachine && record.rootKey != kRootCurrentUser)
        return false;
    const RegistryScanner scanner(on64BitWindows ? RegistryView::Wow64Key64 : RegistryView::Default);
    return scanner.IsEntryGone(record.rootKey, record.relativeKeyPath);
}

// Whether the matched program's entry is gone after its uninstaller and everything it started ended.
bool RemoveMatched(const StandardUninstallJob& job) {
    const bool on64BitWindows = Is64BitWindows();
    std::wstring command = job.record.uninstallString;
    // Without a matched entry there is nothing of this analysis to run: an earlier match must not
    // be uninstalled in its place.
    if (!job.matched || !LaunchUninstaller(command))
        return false;
    return IsEntryGoneFor(job.record, on64BitWindows);
}

void UninstallMatched(const StandardUninstallJob& job) {
    bool gone = false;
    try {
        gone = RemoveMatched(job);
    } catch (...) {
        gone = false; // reported as failed: the page must hear the end
    }
    if (gone && job.offered)
        *job.offered = false;
    Send(job.owner, WM_CLOSE_PROGRESS, 0);
    Send(job.owner, WM_STANDARD_UNINSTALL_RESULT, gone ? kStandardUninstallGone : kStandardUninstallFailed);
}

} // namespace

bool IntelligenceEngine::StartDeletion() {
    if (!StartWorkerThread(
            [job = DeletionJob{m_selectedPaths, m_analysedItems, m_ownerWindow}] { DeletePaths(job); })) {
        WriteToolLog(kDeletionThreadFailed);
        return false;
    }
    return true;
}

bool IntelligenceEngine::DeleteSelected() {
    DeletePaths(DeletionJob{m_selectedPaths, m_analysedItems, m_ownerWindow});
    return true;
}

bool IntelligenceEngine::StartStandardUninstall() {
    // The record is copied now: the uninstall removes the program the user confirmed, whatever
    // a later analysis matches meanwhile.
    const StandardUninstallJob job{*m_hasStandardUninstall, m_matchedRecord, m_ownerWindow, m_hasStandardUninstall};
    if (!StartWorkerThread([job] { UninstallMatched(job); })) {
        WriteToolLog(kStandardUninstallThreadFailed);
        return false;
    }
    return true;
}

bool IntelligenceEngine::RunStandardUninstall() {
    UninstallMatched(
        StandardUninstallJob{*m_hasStandardUninstall, m_matchedRecord, m_ownerWindow, m_hasStandardUninstall});
    return true;
}

} // namespace tsu
