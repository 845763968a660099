// The process monitor against real process trees of the stand-in uninstaller.
#include "tests/common/ProcessTestSupport.h"
#include "uninstall/ProcessMonitor.h"

#include <gtest/gtest.h>
#include <array>
#include <atomic>
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
    NamedEvent activity{L"activity"};
    UniqueHandle finishes{::CreateSemaphoreW(nullptr, 0, 1000, nullptr)}; // one count per end

    States Get() {
        std::lock_guard<std::mutex> guard(lock);
        return states;
    }
    bool Finished(DWORD ms = kMustHappenMs) const { return ::WaitForSingleObject(finishes.Get(), ms) == WAIT_OBJECT_0; }
};

std::array<Recorder, 16> g_recorders; // one for each run of this test program
uint32_t g_nextRecorder = 0;

void Record(int32_t stateCode, const wchar_t*, uint32_t userValue) {
    Recorder& recorder = g_recorders.at(userValue);
    {
        std::lock_guard<std::mutex> guard(recorder.lock);
        recorder.states.push_back(stateCode);
    }
    if (stateCode == kMonitorStateActivity)
        recorder.activity.Set();
    if (stateCode == kMonitorStateFinished)
        (void)::ReleaseSemaphore(recorder.finishes.Get(), 1, nullptr);
}

constexpr int32_t S = kMonitorStateStart, A = kMonitorStateActivity, C = kMonitorStateClose, F = kMonitorStateFinished;

class ProcessMonitorTest : public ::testing::Test {
protected:
    void TearDown() override {
        m_release.Set(); // lets every helper of the test end
        for (const UniqueHandle& process : m_started) {
            if (::WaitForSingleObject(process.Get(), kMustHappenMs) != WAIT_OBJECT_0)
                (void)::TerminateProcess(process.Get(), 1);
        }
    }

    // Watches a helper that waits for m_release as the launch does: with its creation time, so that a
    // process whose parent id was handed on to it (an orphan of another test, say) is never taken for
    // its child. Then starts a monitor run; its recorder.
    Recorder& StartWatched(ProcessMonitor& monitor, DWORD* id = nullptr) {
        DWORD processId = 0;
        m_started.push_back(StartProcess(Quoted(HelperPath()) + L" --wait-event " + m_release.Name(), &processId));
        EXPECT_TRUE(m_started.back());
        EXPECT_TRUE(monitor.AddWatchedProcess(processId, ProcessCreationTime(m_started.back().Get())));
        const uint32_t index = g_nextRecorder++;
        EXPECT_TRUE(monitor.StartMonitor(&Record, index));
        EXPECT_TRUE(g_recorders.at(index).activity.WaitFor());
        if (id)
            *id = processId;
        return g_recorders.at(index);
    }

    std::vector<UniqueHandle> m_started;
    NamedEvent m_release{L"release"};
};

// Duplicates are refused by the portable lists; here the system's lower case of names.
TEST_F(ProcessMonitorTest, ListsCompareNamesInTheSystemsLowerCase) {
    ProcessMonitor monitor;
    EXPECT_TRUE(monitor.AddIgnoredName(L"ÄPFEL.EXE") && monitor.IsIgnoredName(L"äpfel.exe")); // not ASCII-only
    monitor.ResetLists(); // a new launch starts from its own process only
    EXPECT_FALSE(monitor.IsIgnoredName(L"äpfel.exe"));
}

std::atomic<int> g_snapshotsToFail{0};

TEST_F(ProcessMonitorTest, PassWithoutSnapshotIsSkippedNotTakenAsTheEnd) {
    g_snapshotsToFail = 2;
    ProcessMonitor::Seams seams;
    seams.takeSnapshot = [](std::vector<ProcessEntry>& processes) {
        return g_snapshotsToFail.fetch_sub(1) <= 0 && ProcessMonitor::TakeSystemSnapshot(processes);
    };
    ProcessMonitor monitor(seams);
    Recorder& recorder = StartWatched(monitor);
    EXPECT_LT(g_snapshotsToFail.load(), 0); // both failed snapshots were taken before it
    m_release.Set();
    ASSERT_TRUE(recorder.Finished());
    EXPECT_EQ(recorder.Get(), (States{S, A, C, F}));
}

TEST_F(ProcessMonitorTest, NewRunStartsOnlyAfterThePreviousThreadHasEnded) {
    ProcessMonitor monitor;
    Recorder& first = StartWatched(monitor);
    const uint32_t second = g_nextRecorder++;
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
    ASSERT_TRUE(first.Finished() && first.Finished());
    EXPECT_EQ(first.Get(), (States{S, A, C, F, S, F}));
    EXPECT_TRUE(g_recorders.at(second).Get().empty());
}

TEST_F(ProcessMonitorTest, DestroyingTheMonitorEndsARunningThread) {
    auto monitor = std::make_unique<ProcessMonitor>();
    DWORD launchedId = 0;
    Recorder& recorder = StartWatched(*monitor, &launchedId);
    NamedEvent destroyed(L"destroyed");
    std::thread destroyer([&] {
        monitor.reset();
        destroyed.Set();
    });
    EXPECT_TRUE(destroyed.WaitFor());
    EXPECT_TRUE(IsRunning(launchedId)); // it ended the thread, not waited for the process
    m_release.Set();                    // unblocks the destroyer if it waited for the process after all
    destroyer.join();
    EXPECT_FALSE(recorder.Finished(0));
}

} // namespace
} // namespace tsu
