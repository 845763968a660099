#pragma once
// Follows a launched uninstaller and every process descended from it by polling the system's
// process list, and reports through a callback when none of them runs any more. Many uninstallers
// start a copy of themselves and exit at once, so waiting for the launched process is not enough.

#include "framework/ScopedHandles.h"
#include "uninstall/core/MonitorPass.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tsu {

// When the process was created, in FILETIME ticks as the process list reports it; 0 when unknown.
[[nodiscard]] uint64_t ProcessCreationTime(HANDLE process);

// Called on the monitoring thread each time a state is entered.
using MonitorCallback = void (*)(int32_t stateCode, const wchar_t* stateText, uint32_t userValue);

class ProcessMonitor {
public:
    // How the monitoring thread is started (default: StartWorkerThread); an empty handle when not.
    using ThreadStarter = UniqueHandle (*)(std::function<void()> body);
    // How the process list is read (default: TakeSystemSnapshot); false when it cannot be.
    using SnapshotTaker = bool (*)(std::vector<ProcessEntry>& processes);
    // Seams through which a test sees what happens when Windows refuses a thread or a snapshot;
    // null members take the defaults.
    struct Seams {
        ThreadStarter startThread = nullptr;
        SnapshotTaker takeSnapshot = nullptr;
    };

    static constexpr DWORD kPollIntervalMs = 500;

    ProcessMonitor();
    explicit ProcessMonitor(const Seams& seams);
    // Stops a running monitoring thread and waits for it.
    ~ProcessMonitor();
    ProcessMonitor(const ProcessMonitor&) = delete;
    ProcessMonitor& operator=(const ProcessMonitor&) = delete;

    // The one monitor of the process.
    static ProcessMonitor& GetInstance();

    // False when the id is already watched. creationTime (FILETIME ticks, 0 when not known) ties
    // the id to that one process (see AddWatchedId).
    bool AddWatchedProcess(uint32_t processId, uint64_t creationTime = 0);
    // Lower-cases the name (CharLowerW); false when that lower-case name is already there.
    bool AddIgnoredName(const std::wstring& exeName);
    // True when the name, lower-cased as AddIgnoredName does, is an ignored one.
    [[nodiscard]] bool IsIgnoredName(std::wstring_view exeName) const;
    // Empties watched ids, live ids and ignored names; done before each launch so that ids of an
    // earlier run, which the system may have given to unrelated programs since, are not followed.
    void ResetLists();

    // Keeps the callback and user value when none is stored yet (the first one stays in force),
    // waits for the previous monitoring thread to end, and starts a new one. False when the
    // thread cannot be started; then no state will be reported for this run.
    [[nodiscard]] bool StartMonitor(MonitorCallback callback, uint32_t userValue);

    // While set, processes the snapshots cannot stand for (the members of the uninstaller's job,
    // which the job itself reports) still run: a pass that finds nothing alive does not end the
    // run. Clearing it makes the thread take its next pass at once instead of after the interval.
    void SetOutsideMembers(bool running);

    // Every process of the system from a Toolhelp snapshot; false when none can be taken.
    [[nodiscard]] static bool TakeSystemSnapshot(std::vector<ProcessEntry>& processes);

    // The last state entered (0 before any).
    [[nodiscard]] int32_t State() const;
    // A copy of the lists, for diagnostics and tests.
    [[nodiscard]] MonitorLists Lists() const;

private:
    void MonitorLoop();
    void EnterState(int32_t stateCode);
    void JoinThread();

    ThreadStarter m_startThread;
    SnapshotTaker m_takeSnapshot;

    mutable std::mutex m_listsLock; // guards m_lists
    MonitorLists m_lists;

    mutable std::mutex m_stateLock; // guards the callback, user value, state, skipped passes, outside members
    MonitorCallback m_callback = nullptr;
    uint32_t m_userValue = 0;
    int32_t m_state = kMonitorStateIdle;
    uint32_t m_skippedPasses = 0;
    bool m_outsideMembers = false;

    std::mutex m_threadLock; // guards m_thread; serialises StartMonitor and the destructor
    UniqueHandle m_thread;
    UniqueHandle m_stopEvent; // manual reset; set by the destructor to end the thread
    UniqueHandle m_wakeEvent; // auto reset; set to take the next pass at once
};

} // namespace tsu
