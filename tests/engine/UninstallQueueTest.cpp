// The uninstall worker with stand-in uninstallers: what reaches the owner window, in which order, and
// what a stop does to a running uninstall and the queue behind it.
#include "tests/common/ProcessTestSupport.h"
#include "tests/engine/EngineTestSupport.h"
#include "uninstall/engine/EngineMessages.h"
#include "uninstall/engine/UninstallEngine.h"
#include "uninstall/engine/UninstallerFileProbe.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

using namespace std::chrono_literals;
using test::NamedEvent;
using Texts = std::vector<std::wstring>;

class UninstallQueueTest : public ::testing::Test {
protected:
    UninstallQueueTest() { EXPECT_TRUE(m_engine.SetOwnerWindow(m_page.Window())); }
    ~UninstallQueueTest() override { m_go.Set(); } // no helper outlives a failed test

    // An uninstaller that removes its own entry through the registry tool, as a real one would.
    SoftwareRecord SelfRemoving(const std::wstring& subkey, const std::wstring& name) {
        return test::WriteScratchEntry(m_entries, subkey, name,
                                       test::SystemFolderPath() + L"\\cmd.exe /C reg delete \"HKEY_CURRENT_USER\\" +
                                           m_entries.Path() + L"\\" + subkey + L"\" /f");
    }
    // The stand-in uninstaller: signals `started`, waits for `go`, leaves its entry in place.
    SoftwareRecord Waiting(const std::wstring& name, const NamedEvent& started) {
        return test::WriteScratchEntry(m_entries, name, name,
                                       test::Quoted(test::HelperPath()) + L" --signal " + started.Name() +
                                           L" --wait-event " + m_go.Name());
    }
    bool WorkerEnded() {
        return test::WaitUntil([&] { return !m_engine.IsWorkerRunning() && !m_engine.IsBusy(); });
    }
    Texts Steps() const { return test::Steps(m_page.Messages()); }

    test::ScratchKey m_entries{HKEY_CURRENT_USER, L"Software\\" + test::UniqueName(L"TsuEngineQueue")};
    test::MessageRecorder m_page;
    UninstallEngine m_engine;
    NamedEvent m_started{L"TsuQueueStarted"};
    NamedEvent m_go{L"TsuQueueGo"};
};

// Workers that find nothing must never leave the running mark behind: the next program still starts.
TEST_F(UninstallQueueTest, AProgramStartsIsGoneAndItsRowLeavesAfterThePacingInterval) {
    for (int round = 0; round < 25; ++round)
        ASSERT_TRUE(m_engine.StartUninstallWorker() && WorkerEnded()) << "round " << round;
    const SoftwareRecord record = SelfRemoving(L"One", L"Queue One");
    m_engine.Enqueue(record);
    ASSERT_TRUE(m_engine.StartUninstallWorker());
    ASSERT_TRUE(m_page.WaitForCount(WM_UNINSTALL_REMOVED, 1));
    EXPECT_EQ(Steps(), (Texts{L"3 Queue One", L"1 Queue One", L"removed Queue One"}));
    const auto messages = m_page.Messages();
    EXPECT_GE(messages[2].at - messages[1].at, 600ms); // the done row stays visible
    EXPECT_FALSE(test::UninstallKeyExists(HKEY_CURRENT_USER, record.relativeKeyPath));
    EXPECT_EQ(m_engine.LastExitCode(record.keyPath), std::optional<DWORD>(0));
    EXPECT_TRUE(WorkerEnded());
}

// The function page receives inventory results, the conventional page uninstall messages, whatever
// the order of refreshes and uninstall clicks.
TEST_F(UninstallQueueTest, EachPageGetsItsOwnMessagesWhenARefreshAndAnUninstallOverlap) {
    const NamedEvent clicked(L"TsuTargetClicked");
    test::MessageRecorder functionPage;
    UninstallEngine engine( // the refresh ends only after the click below
        [&](ProductIconMap&, SoftwareMap&, bool) { return (void)clicked.WaitFor(), InventoryResult::Loaded; },
        SystemUninstallerProbe());
    ASSERT_TRUE(engine.SetOwnerWindow(functionPage.Window()) && engine.StartRefresh());
    ASSERT_TRUE(engine.SetUninstallWindow(m_page.Window())); // the user clicks "卸载" on the conventional page
    engine.Enqueue(Waiting(L"Target Program", m_started));
    ASSERT_TRUE(engine.StartUninstallWorker() && m_started.WaitFor());
    clicked.Set();
    ASSERT_TRUE(functionPage.WaitForCount(WM_SOFTWARE_LOADED, 1));
    m_go.Set();
    ASSERT_TRUE(m_page.WaitForCount(WM_UNINSTALL_STATE, 2));
    EXPECT_EQ(CountOf(functionPage.Messages(), WM_UNINSTALL_STATE), 0u);
    EXPECT_EQ(Steps(), (Texts{L"3 Target Program", L"2 Target Program"}));
}

} // namespace
} // namespace tsu
