// The process monitor against real process trees of the stand-in uninstaller.
#include "tests/common/ProcessTestSupport.h"

#include "uninstall/ProcessMonitor.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

namespace tsu {
namespace {

using namespace tsu::test;

// What a monitor reported; the callback finds its recorder by the user value.
struct Recorder {
    std::mutex lock;
    std::vector<int32_t> states;
    std::vector<std::wstring> texts;
    std::vector<DWORD> threads;
    NamedEvent activity{L"activity"};                                     // first state 12
    NamedEvent finished{L"finished"};                                     // state 100
    UniqueHandle finishes{::CreateSemaphoreW(nullptr, 0, 1000, nullptr)}; // one count per state 100

    std::vector<int32_t> States() {
        std::lock_guard<std::mutex> guard(lock);
        return states;
    }
};

constexpr size_t kMaxRecorders = 32;
std::array<std::unique_ptr<Recorder>, kMaxRecorders> g_recorders;
std::atomic<uint32_t> g_nextRecorder{0};

uint32_t NewRecorder() {
    const uint32_t index = g_nextRecorder++;
    g_recorders.at(index) = std::make_unique<Recorder>();
    return index;
}

void Record(int32_t stateCode, const wchar_t* stateText, uint32_t userValue) {
    Recorder& recorder = *g_recorders.at(userValue);
    {
        std::lock_guard<std::mutex> guard(recorder.lock);
        recorder.states.push_back(stateCode);
        recorder.texts.emplace_back(stateText);
        recorder.threads.push_back(::GetCurrentThreadId());
    }
    if (stateCode == kMonitorStateActivity)
        recorder.activity.Set();
    if (stateCode == kMonitorStateFinished) {
        recorder.finished.Set();
        (void)::ReleaseSemaphore(recorder.finishes.Get(), 1, nullptr);
    }
}

// A process that has ended, its handle kept so that its id cannot be handed out again.
struct EndedProcess {
    UniqueHandle handle;
    DWORD id = 0;
};

EndedProcess RunHelper(const std::wstring& arguments) {
    EndedProcess ended;
    ended.handle = StartProcess(Quoted(HelperPath()) + L" " + arguments, &ended.id);
    if (ended.handle)
        (void)::WaitForSingleObject(ended.handle.Get(), kMustHappenMs);
    return ended;
}

// Watched as the launch watches: with the creation time, so that a process whose parent id was
// handed on to ours (an orphan of another test, say) is never taken for its child.
bool Watch(ProcessMonitor& monitor, DWORD id, HANDLE process) {
    return monitor.AddWatchedProcess(id, ProcessCreationTime(process));
}

class ProcessMonitorTest : public ::testing::Test {
protected:
    void TearDown() override {
        m_release.Set(); // lets every helper of the test end
        for (const UniqueHandle& process : m_started) {
            if (::WaitForSingleObject(process.Get(), kMustHappenMs) != WAIT_OBJECT_0)
                (void)::TerminateProcess(process.Get(), 1);
        }
        EndRecordedProcesses(m_scratch.File(L"ids.txt"));
    }

    // Starts a helper that the test ends at the latest in TearDown.
    HANDLE StartHelper(const std::wstring& arguments, DWORD* processId) {
        m_started.push_back(StartProcess(Quoted(HelperPath()) + L" " + arguments, processId));
        return m_started.back().Get();
    }

    std::vector<UniqueHandle> m_started;
    ScratchFolder m_scratch{L"monitor"};
    NamedEvent m_ready{L"ready"};
    NamedEvent m_release{L"release"};
};

TEST_F(ProcessMonitorTest, TreeWhoseLaunchedProcessExitsFirstGivesTheFullStateSequence) {
    // The launched process starts a child and exits before the monitor looks.
    const EndedProcess launched =
        RunHelper(L"--child [ --record " + Quoted(m_scratch.File(L"ids.txt")) + L" --signal " + m_ready.Name() +
                  L" --wait-event " + m_release.Name() + L" ]");
    ASSERT_TRUE(launched.handle);
    ASSERT_TRUE(m_ready.WaitFor(kMustHappenMs));

    ProcessMonitor monitor;
    const uint32_t index = NewRecorder();
    ASSERT_TRUE(Watch(monitor, launched.id, launched.handle.Get()));
    ASSERT_TRUE(monitor.StartMonitor(&Record, index));
    Recorder& recorder = *g_recorders[index];
    ASSERT_TRUE(recorder.activity.WaitFor(kMustHappenMs));
    EXPECT_FALSE(recorder.finished.WaitFor(0));
    m_release.Set();
    ASSERT_TRUE(recorder.finished.WaitFor(kMustHappenMs));

    EXPECT_EQ(recorder.States(), (std::vector<int32_t>{1, 10, 12, 11, 100}));
    EXPECT_EQ(recorder.texts,
              (std::vector<std::wstring>{L"Start Monitor Process", L"Create New Process", L"ACTIVITY Process",
                                         L"Process Close", L"Surveillance missions over"}));
    // Reported on the monitoring thread, not the caller's.
    for (DWORD thread : recorder.threads)
        EXPECT_NE(thread, ::GetCurrentThreadId());
    EXPECT_EQ(monitor.State(), kMonitorStateFinished);
    const std::vector<DWORD> child = ReadRecordedIds(m_scratch.File(L"ids.txt"));
    ASSERT_EQ(child.size(), 1u);
    EXPECT_TRUE(monitor.Lists().watchedIds.empty()); // each dropped once a pass found it gone
    EXPECT_TRUE(monitor.Lists().liveIds.empty());
}

TEST_F(ProcessMonitorTest, ProcessGoneBeforeTheFirstSnapshotEndsAfterOnePass) {
    const EndedProcess launched = RunHelper(L"--exit 0");
    ASSERT_TRUE(launched.handle);
    ProcessMonitor monitor;
    const uint32_t index = NewRecorder();
    ASSERT_TRUE(Watch(monitor, launched.id, launched.handle.Get()));
    ASSERT_TRUE(monitor.StartMonitor(&Record, index));
    ASSERT_TRUE(g_recorders[index]->finished.WaitFor(kMustHappenMs));
    EXPECT_EQ(g_recorders[index]->States(), (std::vector<int32_t>{1, 100}));
}

TEST_F(ProcessMonitorTest, IgnoredBrowserChildIsNotFollowed) {
    const EndedProcess launched =
        RunHelper(L"--child-as iexplore.exe [ --record " + Quoted(m_scratch.File(L"ids.txt")) + L" --signal " +
                  m_ready.Name() + L" --wait-event " + m_release.Name() + L" ]");
    ASSERT_TRUE(launched.handle);
    ASSERT_TRUE(m_ready.WaitFor(kMustHappenMs));
    ProcessMonitor monitor;
    const uint32_t index = NewRecorder();
    ASSERT_TRUE(Watch(monitor, launched.id, launched.handle.Get()));
    ASSERT_TRUE(monitor.AddIgnoredName(L"IExplore.EXE")); // compared in lower case
    ASSERT_TRUE(monitor.StartMonitor(&Record, index));
    ASSERT_TRUE(g_recorders[index]->finished.WaitFor(kMustHappenMs));
    EXPECT_EQ(g_recorders[index]->States(), (std::vector<int32_t>{1, 100}));
    EXPECT_TRUE(monitor.Lists().watchedIds.empty());
    // The browser still runs: the end was not waited for.
    const std::vector<DWORD> browser = ReadRecordedIds(m_scratch.File(L"ids.txt"));
    ASSERT_EQ(browser.size(), 1u);
    EXPECT_TRUE(IsRunning(browser[0]));
}

TEST_F(ProcessMonitorTest, AddingTwiceIsRefused) {
    ProcessMonitor monitor;
    EXPECT_TRUE(monitor.AddWatchedProcess(4242));
    EXPECT_FALSE(monitor.AddWatchedProcess(4242));
    EXPECT_TRUE(monitor.AddIgnoredName(L"iexplore.exe"));
    EXPECT_FALSE(monitor.AddIgnoredName(L"IEXPLORE.EXE"));
    // Lower-casing is the system's, not ASCII-only.
    EXPECT_TRUE(monitor.AddIgnoredName(L"ÄPFEL.EXE"));
    EXPECT_FALSE(monitor.AddIgnoredName(L"äpfel.exe"));
    EXPECT_EQ(monitor.Lists().ignoredNames, (std::unordered_set<std::wstring>{L"iexplore.exe", L"äpfel.exe"}));
    EXPECT_TRUE(monitor.IsIgnoredName(L"ÄPFEL.exe"));
    EXPECT_FALSE(monitor.IsIgnoredName(L"pfel.exe"));
    // A reset forgets everything: a new launch starts from its own process only.
    monitor.ResetLists();
    EXPECT_TRUE(monitor.Lists().watchedIds.empty());
    EXPECT_TRUE(monitor.Lists().ignoredNames.empty());
    EXPECT_TRUE(monitor.AddWatchedProcess(4242));
    EXPECT_TRUE(monitor.AddIgnoredName(L"iexplore.exe"));
}

// Fails the first two snapshots, then reads the real process list.
std::atomic<int> g_snapshotsToFail{0};
bool FlakySnapshot(std::vector<ProcessEntry>& processes) {
    if (g_snapshotsToFail.fetch_sub(1) > 0)
        return false;
    return ProcessMonitor::TakeSystemSnapshot(processes);
}

TEST_F(ProcessMonitorTest, PassWithoutSnapshotIsSkippedNotTakenAsTheEnd) {
    DWORD launchedId = 0;
    const HANDLE launched = StartHelper(L"--wait-event " + m_release.Name(), &launchedId);
    g_snapshotsToFail = 2;
    ProcessMonitor::Seams seams;
    seams.takeSnapshot = &FlakySnapshot;
    ProcessMonitor monitor(seams);
    const uint32_t index = NewRecorder();
    ASSERT_TRUE(Watch(monitor, launchedId, launched));
    ASSERT_TRUE(monitor.StartMonitor(&Record, index));
    // Seen running in the third pass; the two failed passes reported nothing.
    ASSERT_TRUE(g_recorders[index]->activity.WaitFor(kMustHappenMs));
    EXPECT_EQ(g_recorders[index]->States(), (std::vector<int32_t>{1, 12}));
    EXPECT_LT(g_snapshotsToFail.load(), 0); // both failed snapshots were taken before it
    m_release.Set();
    ASSERT_TRUE(g_recorders[index]->finished.WaitFor(kMustHappenMs));
    EXPECT_EQ(g_recorders[index]->States(), (std::vector<int32_t>{1, 12, 11, 100}));
}

UniqueHandle RefuseThread(std::function<void()>) {
    return UniqueHandle();
}

TEST_F(ProcessMonitorTest, ThreadThatCannotStartIsReported) {
    ProcessMonitor::Seams seams;
    seams.startThread = &RefuseThread;
    ProcessMonitor monitor(seams);
    const uint32_t index = NewRecorder();
    ASSERT_TRUE(monitor.AddWatchedProcess(4242));
    EXPECT_FALSE(monitor.StartMonitor(&Record, index));
    EXPECT_EQ(monitor.State(), kMonitorStateIdle);
    EXPECT_TRUE(g_recorders[index]->States().empty());
}

TEST_F(ProcessMonitorTest, NewRunStartsOnlyAfterThePreviousThreadHasEnded) {
    DWORD firstId = 0;
    const HANDLE first = StartHelper(L"--wait-event " + m_release.Name(), &firstId);
    ASSERT_TRUE(first);
    ProcessMonitor monitor;
    const uint32_t firstRecorder = NewRecorder();
    const uint32_t secondRecorder = NewRecorder();
    ASSERT_TRUE(Watch(monitor, firstId, first));
    ASSERT_TRUE(monitor.StartMonitor(&Record, firstRecorder));
    ASSERT_TRUE(g_recorders[firstRecorder]->activity.WaitFor(kMustHappenMs));

    // A second start while the first run still follows its process waits for that run to end.
    NamedEvent secondStarted(L"started");
    std::atomic<bool> secondResult{false};
    std::thread second([&] {
        secondResult = monitor.StartMonitor(&Record, secondRecorder);
        secondStarted.Set();
    });
    EXPECT_FALSE(secondStarted.WaitFor(kTwoPassesMs));
    m_release.Set();
    ASSERT_TRUE(secondStarted.WaitFor(kMustHappenMs));
    second.join();
    EXPECT_TRUE(secondResult);
    ASSERT_TRUE(::WaitForSingleObject(first, kMustHappenMs) == WAIT_OBJECT_0);

    // The first callback stays in force: the second run reports to the first recorder too, and
    // its states follow the first run's end instead of mixing with them.
    for (int run = 0; run < 2; ++run)
        ASSERT_EQ(::WaitForSingleObject(g_recorders[firstRecorder]->finishes.Get(), kMustHappenMs), WAIT_OBJECT_0);
    EXPECT_EQ(g_recorders[firstRecorder]->States(), (std::vector<int32_t>{1, 12, 11, 100, 1, 100}));
    EXPECT_TRUE(g_recorders[secondRecorder]->States().empty());
}

TEST_F(ProcessMonitorTest, DestroyingTheMonitorEndsARunningThread) {
    DWORD launchedId = 0;
    const HANDLE launched = StartHelper(L"--wait-event " + m_release.Name(), &launchedId);
    auto monitor = std::make_unique<ProcessMonitor>();
    const uint32_t index = NewRecorder();
    ASSERT_TRUE(Watch(*monitor, launchedId, launched));
    ASSERT_TRUE(monitor->StartMonitor(&Record, index));
    ASSERT_TRUE(g_recorders[index]->activity.WaitFor(kMustHappenMs));
    NamedEvent destroyed(L"destroyed");
    std::thread destroyer([&] {
        monitor.reset();
        destroyed.Set();
    });
    EXPECT_TRUE(destroyed.WaitFor(kMustHappenMs));
    EXPECT_TRUE(IsRunning(launchedId)); // it ended the thread, not waited for the process
    m_release.Set();                    // unblocks the destroyer if the monitor waited for the process after all
    destroyer.join();
    EXPECT_FALSE(g_recorders[index]->finished.WaitFor(0));
}

} // namespace
} // namespace tsu
