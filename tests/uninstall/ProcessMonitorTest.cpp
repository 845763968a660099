// The process monitor against real process trees of the stand-in uninstaller.
#include "tests/common/ProcessTestSupport.h"

#include "uninstall/ProcessMonitor.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tsu {
namespace {

using namespace tsu::test;
using States = std::vector<int32_t>;

// What a monitor reported; the callback finds its recorder by the user value.
struct Recorder {
    std::mutex lock;
    States states;
    std::vector<DWORD> threads;
    NamedEvent activity{L"activity"};
    NamedEvent finished{L"finished"};
    UniqueHandle finishes{::CreateSemaphoreW(nullptr, 0, 1000, nullptr)}; // one count per end

    States Get() {
        std::lock_guard<std::mutex> guard(lock);
        return states;
    }
};

std::array<std::unique_ptr<Recorder>, 16> g_recorders;
std::atomic<uint32_t> g_nextRecorder{0};

uint32_t NewRecorder() {
    const uint32_t index = g_nextRecorder++;
    g_recorders.at(index) = std::make_unique<Recorder>();
    return index;
}

void Record(int32_t stateCode, const wchar_t*, uint32_t userValue) {
    Recorder& recorder = *g_recorders.at(userValue);
    {
        std::lock_guard<std::mutex> guard(recorder.lock);
        recorder.states.push_back(stateCode);
        recorder.threads.push_back(::GetCurrentThreadId());
    }
    if (stateCode == kMonitorStateActivity)
        recorder.activity.Set();
    if (stateCode == kMonitorStateFinished) {
        recorder.finished.Set();
        (void)::ReleaseSemaphore(recorder.finishes.Get(), 1, nullptr);
    }
}

constexpr int32_t S = kMonitorStateStart, N = kMonitorStateNewProcess, A = kMonitorStateActivity,
                  C = kMonitorStateClose, F = kMonitorStateFinished;

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

    // Watches the helper started with these arguments as the launch does: with its creation time, so
    // that a process whose parent id was handed on to it (an orphan of another test, say) is never
    // taken for its child. Then starts a monitor run; its recorder.
    Recorder& StartWatched(ProcessMonitor& monitor, const std::wstring& arguments, bool waitForExit = false,
                           DWORD* id = nullptr) {
        DWORD processId = 0;
        m_started.push_back(StartProcess(Quoted(HelperPath()) + L" " + arguments, &processId));
        if (id)
            *id = processId;
        EXPECT_TRUE(m_started.back());
        if (waitForExit)
            EXPECT_EQ(::WaitForSingleObject(m_started.back().Get(), kMustHappenMs), WAIT_OBJECT_0);
        EXPECT_TRUE(monitor.AddWatchedProcess(processId, ProcessCreationTime(m_started.back().Get())));
        const uint32_t index = NewRecorder();
        EXPECT_TRUE(monitor.StartMonitor(&Record, index));
        EXPECT_TRUE(g_recorders[index]->activity.WaitFor());
        return *g_recorders[index];
    }
    std::wstring Waiting() const { return L"--wait-event " + m_release.Name(); }

    std::vector<UniqueHandle> m_started;
    ScratchFolder m_scratch{L"monitor"};
    NamedEvent m_release{L"release"};
};

TEST_F(ProcessMonitorTest, ChildThatOutlivesTheLaunchedProcessIsFollowedToItsEnd) {
    // The launched process starts a child and exits before the monitor looks.
    ProcessMonitor monitor;
    Recorder& recorder = StartWatched(
        monitor, L"--child [ --record " + Quoted(m_scratch.File(L"ids.txt")) + L" " + Waiting() + L" ]", true);
    EXPECT_FALSE(recorder.finished.WaitFor(0));
    m_release.Set();
    ASSERT_TRUE(recorder.finished.WaitFor());
    EXPECT_EQ(recorder.Get(), (States{S, N, A, C, F}));
    for (DWORD thread : recorder.threads)
        EXPECT_NE(thread, ::GetCurrentThreadId()); // reported on the monitoring thread
    EXPECT_EQ(monitor.State(), kMonitorStateFinished);
    EXPECT_TRUE(monitor.Lists().watchedIds.empty());
}

TEST_F(ProcessMonitorTest, ListsRefuseDuplicatesAndCompareNamesInTheSystemsLowerCase) {
    ProcessMonitor monitor;
    EXPECT_TRUE(monitor.AddWatchedProcess(4242));
    EXPECT_FALSE(monitor.AddWatchedProcess(4242));
    EXPECT_TRUE(monitor.AddIgnoredName(L"ÄPFEL.EXE")); // not ASCII-only
    EXPECT_FALSE(monitor.AddIgnoredName(L"äpfel.exe"));
    EXPECT_TRUE(monitor.IsIgnoredName(L"Äpfel.exe"));
    EXPECT_FALSE(monitor.IsIgnoredName(L"pfel.exe"));
    monitor.ResetLists(); // a new launch starts from its own process only
    EXPECT_TRUE(monitor.Lists().ignoredNames.empty());
    EXPECT_TRUE(monitor.AddWatchedProcess(4242));
}

std::atomic<int> g_snapshotsToFail{0};

TEST_F(ProcessMonitorTest, PassWithoutSnapshotIsSkippedNotTakenAsTheEnd) {
    g_snapshotsToFail = 2;
    ProcessMonitor::Seams seams;
    seams.takeSnapshot = [](std::vector<ProcessEntry>& processes) {
        return g_snapshotsToFail.fetch_sub(1) <= 0 && ProcessMonitor::TakeSystemSnapshot(processes);
    };
    ProcessMonitor monitor(seams);
    Recorder& recorder = StartWatched(monitor, Waiting());
    EXPECT_LT(g_snapshotsToFail.load(), 0); // both failed snapshots were taken before it
    m_release.Set();
    ASSERT_TRUE(recorder.finished.WaitFor());
    EXPECT_EQ(recorder.Get(), (States{S, A, C, F}));
}

TEST_F(ProcessMonitorTest, NewRunStartsOnlyAfterThePreviousThreadHasEnded) {
    ProcessMonitor monitor;
    Recorder& first = StartWatched(monitor, Waiting());
    const uint32_t second = NewRecorder();
    NamedEvent secondStarted(L"started");
    std::atomic<bool> secondResult{false};
    std::thread starter([&] {
        secondResult = monitor.StartMonitor(&Record, second);
        secondStarted.Set();
    });
    EXPECT_FALSE(secondStarted.WaitFor(kTwoPassesMs));
    m_release.Set();
    ASSERT_TRUE(secondStarted.WaitFor());
    starter.join();
    EXPECT_TRUE(secondResult);
    // The first callback stays in force, and the second run's states follow the first run's end.
    for (int run = 0; run < 2; ++run)
        ASSERT_EQ(::WaitForSingleObject(first.finishes.Get(), kMustHappenMs), WAIT_OBJECT_0);
    EXPECT_EQ(first.Get(), (States{S, A, C, F, S, F}));
    EXPECT_TRUE(g_recorders[second]->Get().empty());
}

TEST_F(ProcessMonitorTest, DestroyingTheMonitorEndsARunningThread) {
    auto monitor = std::make_unique<ProcessMonitor>();
    DWORD launchedId = 0;
    Recorder& recorder = StartWatched(*monitor, Waiting(), false, &launchedId);
    NamedEvent destroyed(L"destroyed");
    std::thread destroyer([&] {
        monitor.reset();
        destroyed.Set();
    });
    EXPECT_TRUE(destroyed.WaitFor());
    EXPECT_TRUE(IsRunning(launchedId)); // it ended the thread, not waited for the process
    m_release.Set();                    // unblocks the destroyer if it waited for the process after all
    destroyer.join();
    EXPECT_FALSE(recorder.finished.WaitFor(0));
}

} // namespace
} // namespace tsu
