#include "uninstall/engine/UninstallEngine.h"

#include "framework/ScopedHandles.h"
#include "framework/WorkerThread.h"
#include "icons/IconPngCache.h"
#include "icons/PicturePass.h"
#include "inventory/Is64BitWindows.h"
#include "inventory/RegistryScanner.h"
#include "inventory/SystemVersion.h"
#include "log/CLogSave.h"
#include "uninstall/LaunchUninstaller.h"
#include "uninstall/QuietUninstallCommand.h"
#include "uninstall/RunCommand.h"
#include "uninstall/engine/EngineMessages.h"
#include "uninstall/engine/StaleEntryBackup.h"
#include "uninstall/engine/UninstallerFileProbe.h"
#include "uninstall/engine/core/EngineRules.h"
#include "uninstall/engine/core/RegFileText.h"
#include "uninstall/engine/core/RemovalPacer.h"
#include "uninstall/engine/core/StaleEntryRules.h"

#include <atomic>
#include <deque>
#include <map>
#include <mutex>
#include <set>

namespace tsu {

namespace {
constexpr size_t kMinUninstallStringChars = 2;
constexpr wchar_t kLoadThreadFailed[] = L"创建获取已安装软件线程失败";
constexpr wchar_t kUninstallThreadFailed[] = L"创建卸载软件线程失败";
constexpr wchar_t kWatcherThreadFailed[] = L"创建删除卸载成功软件项线程失败";
constexpr wchar_t kRegistryTool[] = L"reg.exe";
constexpr wchar_t kBackupWritten[] = L"删除失效卸载项前已备份: ";
constexpr wchar_t kBackupFailed[] = L"备份失效卸载项失败，不删除: ";
} // namespace

struct UninstallEngine::State {
    State(InventoryReader inventoryReader, UninstallerProbe uninstallerProbe)
        : reader(std::move(inventoryReader)), probe(std::move(uninstallerProbe)),
          pictureFolder(IconPngCache::DefaultCacheFolder()) {}

    std::atomic<HWND> ownerWindow{nullptr};
    std::atomic<HWND> uninstallWindow{nullptr};
    ProductIconMap productIcons;
    SoftwareMap inventory;
    SoftwareMap freshInventory;

    std::mutex finishedLock; // guards uninstallQueue and finishedList; never held across SendMessage
    std::deque<std::pair<SoftwareRecord, UninstallMode>> uninstallQueue;
    std::deque<SoftwareRecord> finishedList;

    mutable std::mutex outcomeLock; // guards exitCodes and needsUser
    std::map<std::wstring, DWORD> exitCodes;
    std::set<std::wstring> needsUser;

    std::atomic<bool> watcherStarted{false};
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> workerRunning{false};
    std::atomic<bool> workerBusy{false};
    std::atomic<bool> inventoryWorkRunning{false};

    // Wake the watcher without polling: on a stop, and when a record joins the finished list.
    UniqueHandle stopEvent{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueHandle finishedEvent{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};

    const InventoryReader reader;
    const UninstallerProbe probe;
    std::wstring pictureFolder; // empty: no pictures

    [[nodiscard]] HWND UninstallTarget() const {
        HWND target = uninstallWindow.load();
        return target ? target : ownerWindow.load();
    }
};

namespace {

using State = UninstallEngine::State;
using StatePtr = std::shared_ptr<State>;
using ThreadBody = void (*)(const StatePtr& state);

// Starts body on a new thread that shares the engine's state; the handle is closed at once.
bool StartThread(const StatePtr& state, ThreadBody body) {
    return StartWorkerThread([state, body] { body(state); }).IsValid();
}

// Sends a message whose lParam points to a copy of the record that lives for the call.
void SendRecordMessage(HWND window, UINT message, WPARAM wParam, const SoftwareRecord& record) {
    if (!window)
        return;
    const auto copy = std::make_unique<SoftwareRecord>(record);
    ::SendMessageW(window, message, wParam, reinterpret_cast<LPARAM>(copy.get()));
}

void SendPlainMessage(HWND window, UINT message, WPARAM wParam) {
    if (window)
        ::SendMessageW(window, message, wParam, 0);
}

// Clears a flag when the scope ends, however it ends.
class FlagReset {
public:
    explicit FlagReset(std::atomic<bool>& flag) : m_flag(flag) {}
    ~FlagReset() { m_flag = false; }
    FlagReset(const FlagReset&) = delete;
    FlagReset& operator=(const FlagReset&) = delete;

private:
    std::atomic<bool>& m_flag;
};

// A load or refresh whose work failed: the waiting page closes its progress dialog and reports the
// inventory as unreadable.
void ReportInventoryFailed(const State& state) {
    const HWND owner = state.ownerWindow.load();
    SendPlainMessage(owner, WM_CLOSE_PROGRESS, 0);
    SendPlainMessage(owner, WM_SOFTWARE_LOADED, kSoftwareEmpty);
}

void LoadWorker(const StatePtr& shared) {
    State& state = *shared;
    const FlagReset done(state.inventoryWorkRunning);
    try {
        // Beside the reading; the pass waits for it if it needs the shell before it is ready.
        const JoinedThread shellWarmUp(state.pictureFolder.empty() ? UniqueHandle() : StartShellWarmUp());
        state.productIcons.clear();
        const InventoryResult result = state.reader(state.productIcons, state.inventory, Is64BitWindows());
        if (result == InventoryResult::Loaded && !state.inventory.empty() && !state.pictureFolder.empty()) {
            // The cache starts COM for this thread; it lives for this pass only.
            IconPngCache cache(state.pictureFolder);
            RunPicturePass(state.inventory, cache);
        }
    } catch (...) {
        ReportInventoryFailed(state);
        return;
    }

    const HWND owner = state.ownerWindow.load();
    SendPlainMessage(owner, WM_CLOSE_PROGRESS, 0);
    SendPlainMessage(owner, WM_SOFTWARE_LOADED, state.inventory.empty() ? kSoftwareEmpty : kSoftwareLoaded);
}

void RefreshWorker(const StatePtr& shared) {
    State& state = *shared;
    const FlagReset done(state.inventoryWorkRunning);
    try {
        state.productIcons.clear();
        const InventoryResult result = state.reader(state.productIcons, state.freshInventory, Is64BitWindows());
        if (result == InventoryResult::Loaded && !state.freshInventory.empty())
            PruneInventory(state.inventory, state.freshInventory);
    } catch (...) {
        ReportInventoryFailed(state);
        return;
    }

    const HWND owner = state.ownerWindow.load();
    if (!state.inventory.empty()) {
        SendPlainMessage(owner, WM_SOFTWARE_LOADED, kSoftwareLoaded);
    } else {
        ReportInventoryFailed(state);
    }
}

// Whether the record's entry no longer describes an installed program. A record without a key
// path, or from another root than the scan produces, cannot be judged and counts as still there
// (opening an empty path would open the root itself, which has no DisplayName).
bool IsRecordGone(const SoftwareRecord& record) {
    if (record.relativeKeyPath.empty())
        return false;
    if (record.rootKey != kRootLocalMachine && record.rootKey != kRootCurrentUser)
        return false;
    const RegistryScanner scanner(Is64BitWindows() ? RegistryView::Wow64Key64 : RegistryView::Default);
    return scanner.IsEntryGone(record.rootKey, record.relativeKeyPath);
}

// Deletes the entry of an uninstaller that is certainly gone, after writing it to a registry file in
// the log folder; without that copy the key stays. False when nothing was deleted.
bool DeleteStaleEntry(const SoftwareRecord& record) {
    // The key path goes into a cmd.exe command line: a name that cmd could read as syntax is never
    // run. The key deleted must be the key saved.
    const std::wstring command = MakeRegDeleteCommand(SystemToolPath(kRegistryTool), record.keyPath);
    if (command.empty() || record.keyPath != RegistryRootName(record.rootKey) + L"\\" + record.relativeKeyPath)
        return false;
    std::wstring backupFile;
    switch (BackupUninstallEntry(record, CLogSave::GetInstance()->LogDirectory(), backupFile)) {
    case BackupResult::KeyMissing:
        return true; // already gone: nothing to keep, nothing to delete
    case BackupResult::Failed:
        WriteToolLog(kBackupFailed + record.keyPath);
        return false;
    case BackupResult::Written:
        WriteToolLog(kBackupWritten + record.keyPath + L" -> " + backupFile);
        break;
    }
    std::wstring output; // the registry tool's messages are not needed
    return RunCommand(command, output);
}

// Starts the record's uninstaller as the mode says. False when nothing ran; needsUser tells why
// in quiet mode.
bool LaunchFor(const SoftwareRecord& record, UninstallMode mode, DWORD& exitCode, bool& needsUser) {
    if (mode == UninstallMode::Normal) {
        std::wstring command = record.uninstallString;
        return LaunchUninstaller(command, &exitCode);
    }
    const QuietCommand quiet = QuietUninstallCommand(record);
    if (quiet.source == QuietSource::NeedsUser) {
        WriteToolLog(L"卸载程序需要用户操作，静默卸载时不启动: " + record.uninstallString);
        needsUser = true;
        return false;
    }
    return LaunchQuietUninstaller(quiet.commandLine, &exitCode);
}

// Runs one program's removal and reports the row's new state.
WPARAM UninstallOne(State& state, const SoftwareRecord& record, UninstallMode mode) {
    {
        const std::lock_guard<std::mutex> lock(state.outcomeLock);
        state.exitCodes.erase(record.keyPath);
        state.needsUser.erase(record.keyPath);
    }
    switch (ClassifyUninstaller(record.uninstallString, state.probe)) {
    case UninstallerVerdict::Unusable:
        return kUninstallFailed;
    case UninstallerVerdict::StaleEntry:
        if (!DeleteStaleEntry(record))
            return kUninstallFailed;
        break;
    case UninstallerVerdict::Launch: {
        DWORD exitCode = 0;
        bool needsUser = false;
        const bool launched = LaunchFor(record, mode, exitCode, needsUser);
        {
            const std::lock_guard<std::mutex> lock(state.outcomeLock);
            if (launched)
                state.exitCodes[record.keyPath] = exitCode;
            if (needsUser)
                state.needsUser.insert(record.keyPath);
        }
        if (!launched)
            return kUninstallFailed;
        break;
    }
    }
    return IsRecordGone(record) ? kUninstallGone : kUninstallFailed;
}

void WatcherLoop(const StatePtr& shared) {
    State& state = *shared;
    RemovalPacer pacer;
    for (;;) {
        if (state.stopRequested)
            return;
        bool waiting = false;
        {
            const std::lock_guard<std::mutex> lock(state.finishedLock);
            waiting = !state.finishedList.empty();
        }
        if (!waiting) {
            pacer.OnEmpty();
            const HANDLE wakers[] = {state.stopEvent.Get(), state.finishedEvent.Get()};
            if (::WaitForMultipleObjects(2, wakers, FALSE, INFINITE) == WAIT_FAILED)
                return;
            continue;
        }
        const auto now = RemovalPacer::Clock::now();
        pacer.OnWaiting(now);
        const auto remaining = pacer.TimeUntilDue(now);
        if (remaining > RemovalPacer::Clock::duration::zero()) {
            // Rounded up, so the row never goes a moment early.
            const auto ms = std::chrono::ceil<std::chrono::milliseconds>(remaining).count();
            if (::WaitForSingleObject(state.stopEvent.Get(), static_cast<DWORD>(ms)) == WAIT_FAILED)
                return;
            continue;
        }
        SoftwareRecord record;
        {
            const std::lock_guard<std::mutex> lock(state.finishedLock);
            if (state.finishedList.empty())
                continue;
            record = std::move(state.finishedList.front());
            state.finishedList.pop_front();
        }
        SendRecordMessage(state.UninstallTarget(), WM_UNINSTALL_REMOVED, 0, record);
        pacer.OnRemoved(RemovalPacer::Clock::now());
    }
}

// Called under finishedLock.
void StartWatcherLocked(const StatePtr& state) {
    if (state->watcherStarted)
        return;
    if (StartThread(state, &WatcherLoop))
        state->watcherStarted = true;
    else
        WriteToolLog(kWatcherThreadFailed);
}

// One record taken from the queue: from "uninstalling" to its outcome, and to the finished list
// when it is gone.
void UninstallRecord(const StatePtr& shared, const SoftwareRecord& record, UninstallMode mode) {
    State& state = *shared;
    if (record.uninstallString.size() < kMinUninstallStringChars) {
        // Nothing to run; the row must not stay "uninstalling" for ever.
        SendRecordMessage(state.UninstallTarget(), WM_UNINSTALL_STATE, kUninstallFailed, record);
        return;
    }
    SendRecordMessage(state.UninstallTarget(), WM_UNINSTALL_STATE, kUninstallStarting, record);
    const WPARAM outcome = UninstallOne(state, record, mode);
    SendRecordMessage(state.UninstallTarget(), WM_UNINSTALL_STATE, outcome, record);
    if (outcome == kUninstallGone) {
        const std::lock_guard<std::mutex> lock(state.finishedLock);
        state.finishedList.push_back(record);
        ::SetEvent(state.finishedEvent.Get());
        StartWatcherLocked(shared);
    }
}

void UninstallWorkerLoop(const StatePtr& shared) {
    State& state = *shared;
    for (;;) {
        if (state.stopRequested) {
            state.workerBusy = false;
            state.workerRunning = false;
            return;
        }
        SoftwareRecord record;
        UninstallMode mode = UninstallMode::Normal;
        {
            // The empty check and the clearing happen under the lock: a record enqueued at the same
            // moment is either taken here or finds the worker gone and starts a new one.
            const std::lock_guard<std::mutex> lock(state.finishedLock);
            if (state.uninstallQueue.empty()) {
                state.workerBusy = false;
                state.workerRunning = false;
                return;
            }
            state.workerBusy = true;
            record = std::move(state.uninstallQueue.front().first);
            mode = state.uninstallQueue.front().second;
            state.uninstallQueue.pop_front();
        }
        try {
            UninstallRecord(shared, record, mode);
        } catch (...) {
            // The row of the record in hand must not stay "uninstalling"; the queue goes on.
            SendRecordMessage(state.UninstallTarget(), WM_UNINSTALL_STATE, kUninstallFailed, record);
        }
    }
}

void UninstallWorkerEntry(const StatePtr& shared) {
    try {
        UninstallWorkerLoop(shared);
    } catch (...) {
        // The close guard waits for these flags.
        shared->workerBusy = false;
        shared->workerRunning = false;
    }
}

} // namespace

UninstallEngine::UninstallEngine(InventoryLocations locations)
    : UninstallEngine(SequenceReader(std::move(locations)), SystemUninstallerProbe()) {}

UninstallEngine::UninstallEngine(InventoryReader reader, UninstallerProbe probe)
    : m_state(std::make_shared<State>(std::move(reader), std::move(probe))) {}

UninstallEngine::~UninstallEngine() {
    RequestStop();
}

bool UninstallEngine::SetOwnerWindow(HWND window) {
    if (!window)
        return false;
    m_state->ownerWindow = window;
    return true;
}

bool UninstallEngine::SetUninstallWindow(HWND window) {
    if (!window)
        return false;
    m_state->uninstallWindow = window;
    return true;
}

bool UninstallEngine::StartLoading() {
    bool idle = false;
    if (!m_state->inventoryWorkRunning.compare_exchange_strong(idle, true))
        return false;
    if (!StartThread(m_state, &LoadWorker)) {
        m_state->inventoryWorkRunning = false;
        WriteToolLog(kLoadThreadFailed);
        return false;
    }
    return true;
}

bool UninstallEngine::StartRefresh() {
    bool idle = false;
    if (!m_state->inventoryWorkRunning.compare_exchange_strong(idle, true))
        return false;
    if (!StartThread(m_state, &RefreshWorker)) {
        m_state->inventoryWorkRunning = false;
        WriteToolLog(kLoadThreadFailed);
        return false;
    }
    return true;
}

bool UninstallEngine::IsInventoryWorkRunning() const {
    return m_state->inventoryWorkRunning;
}

void UninstallEngine::Enqueue(SoftwareRecord record, UninstallMode mode) {
    const std::lock_guard<std::mutex> lock(m_state->finishedLock);
    m_state->uninstallQueue.emplace_back(std::move(record), mode);
}

bool UninstallEngine::StartUninstallWorker() {
    // Marked running before the thread exists: a worker that finds the queue empty at once clears
    // the mark itself, and cannot have it set again behind its back.
    bool notRunning = false;
    if (!m_state->workerRunning.compare_exchange_strong(notRunning, true))
        return true;
    if (!StartThread(m_state, &UninstallWorkerEntry)) {
        m_state->workerRunning = false;
        WriteToolLog(kUninstallThreadFailed);
        return false;
    }
    return true;
}

bool UninstallEngine::IsWorkerRunning() const {
    return m_state->workerRunning;
}

bool UninstallEngine::IsBusy() const {
    return m_state->workerBusy;
}

void UninstallEngine::ReleaseQueue() {
    std::deque<std::pair<SoftwareRecord, UninstallMode>> released;
    {
        const std::lock_guard<std::mutex> lock(m_state->finishedLock);
        released.swap(m_state->uninstallQueue);
    }
    const HWND target = m_state->UninstallTarget();
    for (const auto& queued : released)
        SendRecordMessage(target, WM_UNINSTALL_STATE, kUninstallFailed, queued.first);
}

void UninstallEngine::RequestStop() {
    m_state->stopRequested = true;
    ::SetEvent(m_state->stopEvent.Get());
}

std::optional<DWORD> UninstallEngine::LastExitCode(const std::wstring& keyPath) const {
    const std::lock_guard<std::mutex> lock(m_state->outcomeLock);
    const auto found = m_state->exitCodes.find(keyPath);
    if (found == m_state->exitCodes.end())
        return std::nullopt;
    return found->second;
}

bool UninstallEngine::WasNeedsUser(const std::wstring& keyPath) const {
    const std::lock_guard<std::mutex> lock(m_state->outcomeLock);
    return m_state->needsUser.count(keyPath) != 0;
}

bool UninstallEngine::IsSystemSupported() {
    const std::optional<WindowsVersion> version = QueryWindowsVersion();
    return version && IsSupportedWindowsVersion(version->major, version->minor);
}

const SoftwareMap& UninstallEngine::Inventory() const {
    return m_state->inventory;
}

void UninstallEngine::SetPictureFolder(std::wstring folder) {
    m_state->pictureFolder = std::move(folder);
}

} // namespace tsu
