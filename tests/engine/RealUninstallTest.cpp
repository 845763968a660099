// End to end on two real NSIS programs whose uninstallers hand their work to a copy in %TEMP% and exit at
// once (a refusing one and an MSI package go in the console tests). After the run the programs' files
// and uninstall keys are checked, not only the messages.
#include "tests/common/TestProcess.h"
#include "tests/engine/EngineTestSupport.h"
#include "uninstall/engine/EngineMessages.h"
#include "uninstall/engine/UninstallEngine.h"

#include <gtest/gtest.h>

#include <atomic>

namespace tsu {
namespace {

using namespace std::chrono_literals;

TEST(RealUninstallTest, QueuedProgramsGoOneAfterAnotherAndLeaveAtThePacingInterval) {
    const std::wstring letters = L"AB", fixtures = L"ab";
    struct Cleanup {
        ~Cleanup() {
            for (const wchar_t* key : {L"TsuEngineSampleA", L"TsuEngineSampleB"})
                test::RemoveNsisLeftovers(key);
        }
    } cleanup;
    test::MessageRecorder page;
    UninstallEngine engine;
    ASSERT_TRUE(engine.SetOwnerWindow(page.Window()));
    for (size_t i = 0; i < letters.size(); ++i) {
        ASSERT_TRUE(test::InstallNsisFixture(L"fixture_engine_nsis_" + fixtures.substr(i, 1)));
        const auto record = test::FindInstalled(L"Engine Sample " + letters.substr(i, 1));
        ASSERT_TRUE(record.has_value()) << i;
        engine.Enqueue(*record);
    }
    std::atomic<bool> busyWhileRunning{false};
    page.SetHook([&](const test::RecordedMessage& message) {
        if (message.message == WM_UNINSTALL_STATE && message.wParam == kUninstallStarting)
            busyWhileRunning = engine.IsBusy();
    });
    ASSERT_TRUE(engine.StartUninstallWorker());
    ASSERT_TRUE(page.WaitForCount(WM_UNINSTALL_REMOVED, 2));
    page.SetHook(nullptr);
    const auto messages = page.Messages();
    const auto states = OnlyOf(messages, WM_UNINSTALL_STATE), removed = OnlyOf(messages, WM_UNINSTALL_REMOVED);
    EXPECT_EQ(test::Steps(states), (std::vector<std::wstring>{L"3 Engine Sample A", L"1 Engine Sample A",
                                                              L"3 Engine Sample B", L"1 Engine Sample B"}));
    ASSERT_EQ(removed.size(), 2u);
    for (size_t i = 0; i < removed.size(); ++i) {
        const std::wstring key = L"TsuEngineSample" + letters.substr(i, 1);
        EXPECT_EQ(removed[i].text, L"Engine Sample " + letters.substr(i, 1));
        // Each row shows its done state at least the pacing interval, and rows leave that far apart.
        EXPECT_GE(removed[i].at - states[2 * i + 1].at, 600ms) << i;
        EXPECT_TRUE(i == 0 || removed[i].at - removed[i - 1].at >= 600ms) << i;
        EXPECT_FALSE(test::FileExists(L"C:\\Program Files\\" + key) ||
                     test::UninstallKeyExists(HKEY_LOCAL_MACHINE,
                                              L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + key))
            << i;
    }
    EXPECT_TRUE(busyWhileRunning);
    EXPECT_TRUE(test::WaitUntil([&] { return !engine.IsWorkerRunning() && !engine.IsBusy(); }));
}

} // namespace
} // namespace tsu
