// The uninstall worker and the watcher with stand-in uninstallers: what reaches the owner window,
// in which order, and what a stop does to a running uninstall and the queue behind it.

#include "tests/common/TestProcess.h"
#include "tests/engine/EngineTestSupport.h"
#include "uninstall/engine/EngineMessages.h"
#include "uninstall/engine/UninstallEngine.h"
#include "uninstall/engine/UninstallerFileProbe.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

using namespace std::chrono_literals;
using test::MessageRecorder;
using test::RecordedMessage;

struct Step {
    UINT message;
    WPARAM wParam;
    std::wstring name;
    bool operator==(const Step& other) const {
        return message == other.message && wParam == other.wParam && name == other.name;
    }
};

std::vector<Step> Steps(const std::vector<RecordedMessage>& messages) {
    std::vector<Step> steps;
    for (const RecordedMessage& message : messages)
        steps.push_back({message.message, message.wParam, message.text});
    return steps;
}

class UninstallQueueTest : public ::testing::Test {
protected:
    UninstallQueueTest() : m_entries(HKEY_CURRENT_USER, L"Software\\" + test::UniqueName(L"TsuEngineQueue")) {}

    // An uninstaller that removes its own entry through the registry tool, as a real one would.
    SoftwareRecord SelfRemoving(const std::wstring& subkey, const std::wstring& name) {
        const std::wstring keyPath = L"HKEY_CURRENT_USER\\" + m_entries.Path() + L"\\" + subkey;
        return test::WriteScratchEntry(m_entries, subkey, name,
                                       test::SystemFolderPath() + L"\\cmd.exe /C reg delete \"" + keyPath + L"\" /f");
    }

    // The stand-in uninstaller: signals `started`, waits for `go`, leaves its entry in place.
    SoftwareRecord Waiting(const std::wstring& subkey, const std::wstring& name, const test::NamedEvent& started,
                           const test::NamedEvent& go) {
        return test::WriteScratchEntry(m_entries, subkey, name,
                                       L"\"" + test::HelperPath() + L"\" --signal " + started.Name() +
                                           L" --wait-event " + go.Name());
    }

    test::ScratchKey m_entries;
    MessageRecorder m_page;
};

TEST_F(UninstallQueueTest, OneProgramStartsIsGoneAndItsRowLeavesAfterThePacingInterval) {
    const SoftwareRecord record = SelfRemoving(L"One", L"Queue One");
    UninstallEngine engine;
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    engine.Enqueue(record);
    ASSERT_TRUE(engine.StartUninstallWorker());
    ASSERT_TRUE(m_page.WaitForCount(WM_UNINSTALL_REMOVED, 1));

    const auto messages = m_page.Messages();
    EXPECT_EQ(Steps(messages), (std::vector<Step>{{WM_UNINSTALL_STATE, kUninstallStarting, L"Queue One"},
                                                  {WM_UNINSTALL_STATE, kUninstallGone, L"Queue One"},
                                                  {WM_UNINSTALL_REMOVED, 0, L"Queue One"}}))
        << test::Describe(messages);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_GE(messages[2].at - messages[1].at, 600ms); // the done row stays visible
    EXPECT_FALSE(test::UninstallKeyExists(HKEY_CURRENT_USER, record.relativeKeyPath));
    EXPECT_EQ(engine.LastExitCode(record.keyPath), std::optional<DWORD>(0));
    EXPECT_TRUE(test::WaitUntil([&] { return !engine.IsWorkerRunning() && !engine.IsBusy(); }));
}

TEST_F(UninstallQueueTest, ARecordWithoutAKeyToCheckIsNeverReportedGone) {
    // Opening an empty relative path opens the hive itself, which has no DisplayName: such a
    // record must not count as removed just because its key cannot be told.
    SoftwareRecord record = SelfRemoving(L"NoKey", L"Queue No Key");
    record.relativeKeyPath.clear();
    UninstallEngine engine;
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    engine.Enqueue(record);
    ASSERT_TRUE(engine.StartUninstallWorker());
    ASSERT_TRUE(m_page.WaitForCount(WM_UNINSTALL_STATE, 2));
    EXPECT_EQ(Steps(m_page.Messages()), (std::vector<Step>{{WM_UNINSTALL_STATE, kUninstallStarting, L"Queue No Key"},
                                                           {WM_UNINSTALL_STATE, kUninstallFailed, L"Queue No Key"}}));
}

TEST_F(UninstallQueueTest, StopAndReleaseWaitForTheRunningUninstallAndStartNoOther) {
    const test::NamedEvent started(L"TsuQueueStarted");
    const test::NamedEvent go(L"TsuQueueGo");
    const SoftwareRecord running = Waiting(L"Running", L"Queue Running", started, go);
    const SoftwareRecord second = SelfRemoving(L"Second", L"Queue Second");
    const SoftwareRecord third = SelfRemoving(L"Third", L"Queue Third");

    UninstallEngine engine;
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    engine.Enqueue(running);
    engine.Enqueue(second);
    engine.Enqueue(third);
    ASSERT_TRUE(engine.StartUninstallWorker());
    ASSERT_TRUE(started.WaitFor());
    EXPECT_TRUE(engine.IsBusy());

    // What the function page does when the window is closed during an uninstall.
    engine.RequestStop();
    engine.ReleaseQueue();
    using V = std::vector<Step>;
    EXPECT_EQ(Steps(m_page.Messages()), (V{{WM_UNINSTALL_STATE, kUninstallStarting, L"Queue Running"},
                                           {WM_UNINSTALL_STATE, kUninstallFailed, L"Queue Second"},
                                           {WM_UNINSTALL_STATE, kUninstallFailed, L"Queue Third"}}));
    EXPECT_TRUE(engine.IsBusy()); // the running uninstaller is waited for

    go.Set();
    ASSERT_TRUE(test::WaitUntil([&] { return !engine.IsWorkerRunning(); }));
    EXPECT_FALSE(engine.IsBusy());
    EXPECT_EQ(Steps(m_page.Messages()), (V{{WM_UNINSTALL_STATE, kUninstallStarting, L"Queue Running"},
                                           {WM_UNINSTALL_STATE, kUninstallFailed, L"Queue Second"},
                                           {WM_UNINSTALL_STATE, kUninstallFailed, L"Queue Third"},
                                           {WM_UNINSTALL_STATE, kUninstallFailed, L"Queue Running"}}));
    // Released programs were never touched.
    EXPECT_TRUE(test::UninstallKeyExists(HKEY_CURRENT_USER, second.relativeKeyPath));
    EXPECT_TRUE(test::UninstallKeyExists(HKEY_CURRENT_USER, third.relativeKeyPath));

    // A stopped engine starts nothing more.
    engine.Enqueue(second);
    ASSERT_TRUE(engine.StartUninstallWorker());
    ASSERT_TRUE(test::WaitUntil([&] { return !engine.IsWorkerRunning(); }));
    EXPECT_EQ(m_page.Messages().size(), 4u);
}

TEST_F(UninstallQueueTest, AHangingUninstallerKilledFromOutsideEndsAsFailed) {
    const test::NamedEvent started(L"TsuHangStarted");
    const test::NamedEvent never(L"TsuHangNever");
    const std::wstring pidFile = test::MakeScratchFolder(L"hang") + L"pid.txt";
    const SoftwareRecord record =
        test::WriteScratchEntry(m_entries, L"Hang", L"Queue Hang",
                                L"\"" + test::HelperPath() + L"\" --record \"" + pidFile + L"\" --signal " +
                                    started.Name() + L" --wait-event " + never.Name());
    UninstallEngine engine;
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    engine.Enqueue(record);
    ASSERT_TRUE(engine.StartUninstallWorker());
    ASSERT_TRUE(started.WaitFor());

    const DWORD pid = static_cast<DWORD>(std::stoul(test::ReadFileBytes(pidFile)));
    const HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    ASSERT_NE(process, nullptr);
    EXPECT_TRUE(::TerminateProcess(process, 9));
    ::CloseHandle(process);

    ASSERT_TRUE(m_page.WaitForCount(WM_UNINSTALL_STATE, 2));
    EXPECT_EQ(Steps(m_page.Messages()), (std::vector<Step>{{WM_UNINSTALL_STATE, kUninstallStarting, L"Queue Hang"},
                                                           {WM_UNINSTALL_STATE, kUninstallFailed, L"Queue Hang"}}));
    EXPECT_TRUE(test::UninstallKeyExists(HKEY_CURRENT_USER, record.relativeKeyPath));
    EXPECT_EQ(engine.LastExitCode(record.keyPath), std::optional<DWORD>(9));
}

TEST_F(UninstallQueueTest, AWorkerThatFindsNothingNeverLeavesTheRunningMarkBehind) {
    UninstallEngine engine;
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    for (int round = 0; round < 25; ++round) {
        ASSERT_TRUE(engine.StartUninstallWorker());
        ASSERT_TRUE(test::WaitUntil([&] { return !engine.IsWorkerRunning(); }, 10000)) << "round " << round;
    }
    // And the next queued program still gets a worker.
    engine.Enqueue(SelfRemoving(L"After", L"Queue After"));
    ASSERT_TRUE(engine.StartUninstallWorker());
    ASSERT_TRUE(m_page.WaitForCount(WM_UNINSTALL_STATE, 2));
    EXPECT_EQ(OnlyOf(m_page.Messages(), WM_UNINSTALL_STATE).back().wParam, kUninstallGone);
}

TEST_F(UninstallQueueTest, ASecondStartRunsNoSecondWorker) {
    const test::NamedEvent firstStarted(L"TsuTwiceFirst");
    const test::NamedEvent secondStarted(L"TsuTwiceSecond");
    const test::NamedEvent go(L"TsuTwiceGo");
    UninstallEngine engine;
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    engine.Enqueue(Waiting(L"First", L"Twice First", firstStarted, go));
    engine.Enqueue(Waiting(L"Second", L"Twice Second", secondStarted, go));
    ASSERT_TRUE(engine.StartUninstallWorker());
    EXPECT_TRUE(engine.IsWorkerRunning());
    ASSERT_TRUE(engine.StartUninstallWorker()); // the page may click again while one runs
    ASSERT_TRUE(firstStarted.WaitFor());
    // A second worker would have started the second uninstaller by now.
    EXPECT_FALSE(secondStarted.WaitFor(1500));
    go.Set();
    ASSERT_TRUE(m_page.WaitForCount(WM_UNINSTALL_STATE, 4));
    EXPECT_EQ(Steps(m_page.Messages()), (std::vector<Step>{{WM_UNINSTALL_STATE, kUninstallStarting, L"Twice First"},
                                                           {WM_UNINSTALL_STATE, kUninstallFailed, L"Twice First"},
                                                           {WM_UNINSTALL_STATE, kUninstallStarting, L"Twice Second"},
                                                           {WM_UNINSTALL_STATE, kUninstallFailed, L"Twice Second"}}));
}

// The function page receives inventory results, the conventional page uninstall messages, whatever
// the order of refreshes and uninstall clicks.
TEST_F(UninstallQueueTest, EachPageGetsItsOwnMessagesWhenARefreshAndAnUninstallOverlap) {
    const test::NamedEvent started(L"TsuTargetStarted");
    const test::NamedEvent go(L"TsuTargetGo");
    const test::NamedEvent clicked(L"TsuTargetClicked");
    // The refresh ends only after the click below (it finds nothing: the result is 2).
    const auto afterClick = [&](ProductIconMap&, SoftwareMap&, bool) {
        (void)clicked.WaitFor();
        return InventoryResult::Loaded;
    };

    MessageRecorder functionPage;
    UninstallEngine engine(afterClick, SystemUninstallerProbe());
    // The conventional tab is selected: the function page refreshes the list.
    ASSERT_TRUE(engine.SetOwnerWindow(functionPage.Window()));
    ASSERT_TRUE(engine.StartRefresh());
    // Meanwhile the user clicks "卸载" on the conventional page.
    ASSERT_TRUE(engine.SetUninstallWindow(m_page.Window()));
    engine.Enqueue(Waiting(L"Target", L"Target Program", started, go));
    ASSERT_TRUE(engine.StartUninstallWorker());
    ASSERT_TRUE(started.WaitFor());
    clicked.Set();
    ASSERT_TRUE(functionPage.WaitForCount(WM_SOFTWARE_LOADED, 1));
    go.Set();
    ASSERT_TRUE(m_page.WaitForCount(WM_UNINSTALL_STATE, 2));

    EXPECT_EQ(CountOf(functionPage.Messages(), WM_UNINSTALL_STATE), 0u) << test::Describe(functionPage.Messages());
    EXPECT_EQ(CountOf(m_page.Messages(), WM_SOFTWARE_LOADED), 0u);
    EXPECT_EQ(OnlyOf(m_page.Messages(), WM_UNINSTALL_STATE).back().wParam, kUninstallFailed);
}

} // namespace
} // namespace tsu
