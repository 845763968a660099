// The load and refresh workers over scratch uninstall keys: what they send, and what the inventory holds.
#include "tests/common/ProcessTestSupport.h"
#include "tests/engine/EngineTestSupport.h"
#include "uninstall/engine/EngineMessages.h"
#include "uninstall/engine/UninstallEngine.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tsu {
namespace {

using test::RecordedMessage;
using Kinds = std::vector<std::pair<UINT, WPARAM>>;

Kinds KindsOf(const std::vector<RecordedMessage>& messages) {
    Kinds kinds;
    for (const RecordedMessage& message : messages)
        kinds.emplace_back(message.message, message.wParam);
    return kinds;
}
const Kinds kLoaded{{WM_CLOSE_PROGRESS, 0}, {WM_SOFTWARE_LOADED, kSoftwareLoaded}};
const Kinds kEmpty{{WM_CLOSE_PROGRESS, 0}, {WM_SOFTWARE_LOADED, kSoftwareEmpty}};

class EngineLoadTest : public ::testing::Test {
protected:
    EngineLoadTest() { EXPECT_TRUE(m_engine.SetOwnerWindow(m_recorder.Window())); }

    // Entries "X..." below subkey "X".
    void AddEntries(std::initializer_list<const wchar_t*> names) {
        for (const std::wstring name : names)
            m_inventory.AddProgram(name.substr(0, 1), name, L"\"C:\\" + name.substr(0, 1) + L"\\uninst.exe\"", L"");
    }
    // Starts a load or refresh, waits until the worker has ended; the messages it sent.
    Kinds Run(bool (UninstallEngine::*start)()) {
        m_recorder.Clear();
        EXPECT_TRUE((m_engine.*start)());
        EXPECT_TRUE(m_recorder.WaitForCount(WM_SOFTWARE_LOADED, 1));
        EXPECT_TRUE(test::WaitUntil([&] { return !m_engine.IsInventoryWorkRunning(); }));
        return KindsOf(m_recorder.Messages());
    }

    test::ScratchInventory m_inventory{L"TsuEngineLoad"};
    test::MessageRecorder m_recorder;
    UninstallEngine m_engine{m_inventory.Locations()};
};

TEST_F(EngineLoadTest, LoadFillsTheInventoryAndRefreshOnlyPrunes) {
    AddEntries({L"Alpha Tool", L"Beta Tool"});
    EXPECT_EQ(Run(&UninstallEngine::StartLoading), kLoaded);
    ASSERT_EQ(m_engine.Inventory().size(), 2u);
    // Beta goes and Gamma arrives: the refresh never adds. Then Alpha's command changes: nothing is left.
    ASSERT_TRUE(m_inventory.entries.DeleteSubkey(L"B"));
    AddEntries({L"Gamma Tool"});
    EXPECT_EQ(Run(&UninstallEngine::StartRefresh), (Kinds{{WM_SOFTWARE_LOADED, kSoftwareLoaded}}));
    ASSERT_EQ(m_engine.Inventory().size(), 1u);
    EXPECT_EQ(m_engine.Inventory().count(L"Alpha Tool"), 1u);
    ASSERT_TRUE(m_inventory.entries.SetString(L"A", L"UninstallString", L"\"C:\\A\\other.exe\""));
    EXPECT_EQ(Run(&UninstallEngine::StartRefresh), kEmpty);
}

TEST_F(EngineLoadTest, NoSecondLoadOrRefreshWhileOneRuns) {
    AddEntries({L"Alpha Tool"});
    // Hold the load inside its first message: it is certainly still running meanwhile.
    test::NamedEvent release(L"TsuEngineLoadRelease");
    m_recorder.SetHook([&](const RecordedMessage& message) {
        if (message.message == WM_CLOSE_PROGRESS)
            (void)release.WaitFor();
    });
    ASSERT_TRUE(m_engine.StartLoading());
    ASSERT_TRUE(m_recorder.WaitForCount(WM_CLOSE_PROGRESS, 1));
    EXPECT_TRUE(m_engine.IsInventoryWorkRunning());
    EXPECT_FALSE(m_engine.StartRefresh() || m_engine.StartLoading());
    release.Set();
    ASSERT_TRUE(m_recorder.WaitForCount(WM_SOFTWARE_LOADED, 1));
    ASSERT_TRUE(test::WaitUntil([&] { return !m_engine.IsInventoryWorkRunning(); }));
    m_recorder.SetHook(nullptr);
    EXPECT_EQ(KindsOf(m_recorder.Messages()), kLoaded); // the refused ones sent nothing, and left no running mark
    EXPECT_EQ(Run(&UninstallEngine::StartRefresh), (Kinds{{WM_SOFTWARE_LOADED, kSoftwareLoaded}}));
}

// A worker whose work fails still reports its end: the page's progress dialog closes, the row leaves
// "uninstalling", and the close guard sees the engine idle.
TEST(EngineFailureTest, AFailingWorkerStillReportsItsEnd) {
    const auto fail = [](const auto&...) -> InventoryResult { throw std::runtime_error("unreadable"); };
    UninstallerProbe probe;
    probe.expandVariables =
        probe.searchPath = [](const std::wstring&) -> std::wstring { throw std::runtime_error(""); };
    probe.queryFile = [](const std::wstring&) -> FileState { throw std::runtime_error("unreadable"); };
    probe.isFixedDrive = [](const std::wstring&) -> bool { throw std::runtime_error("unreadable"); };
    const std::pair<bool (*)(UninstallEngine&), Kinds> cases[] = {
        {[](UninstallEngine& e) { return e.StartLoading(); }, kEmpty},
        {[](UninstallEngine& e) { return e.StartRefresh(); }, kEmpty},
        {[](UninstallEngine& e) {
             SoftwareRecord record;
             record.displayName = L"Failing";
             record.uninstallString = L"\"C:\\Failing\\uninst.exe\"";
             e.Enqueue(record);
             return e.StartUninstallWorker();
         },
         {{WM_UNINSTALL_STATE, kUninstallStarting}, {WM_UNINSTALL_STATE, kUninstallFailed}}}};
    for (const auto& [start, messages] : cases) {
        test::MessageRecorder page;
        UninstallEngine engine(fail, probe);
        ASSERT_TRUE(engine.SetOwnerWindow(page.Window()) && start(engine));
        ASSERT_TRUE(page.WaitFor([&](const auto& got) { return got.size() >= messages.size(); }));
        EXPECT_EQ(KindsOf(page.Messages()), messages);
        EXPECT_TRUE(test::WaitUntil(
            [&] { return !engine.IsInventoryWorkRunning() && !engine.IsWorkerRunning() && !engine.IsBusy(); }));
    }
}

} // namespace
} // namespace tsu
