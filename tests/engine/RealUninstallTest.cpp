// End to end on real NSIS programs whose uninstallers hand their work to a copy in %TEMP% and exit
// at once, and one whose uninstaller refuses (an MSI package goes in the console tests). After each
// run the program's files and uninstall key are checked, not only the messages.

#include "tests/common/TestProcess.h"
#include "tests/engine/EngineTestSupport.h"
#include "uninstall/engine/EngineMessages.h"
#include "uninstall/engine/UninstallEngine.h"

#include <gtest/gtest.h>

#include <atomic>

namespace tsu {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

struct NsisProgram {
    const wchar_t* fixture;
    const wchar_t* name;
    const wchar_t* key;
};
constexpr NsisProgram kQueued[] = {
    {L"fixture_engine_nsis_a", L"Engine Sample A", L"TsuEngineSampleA"},
    {L"fixture_engine_nsis_b", L"Engine Sample B", L"TsuEngineSampleB"},
    {L"fixture_engine_nsis_c", L"Engine Sample C", L"TsuEngineSampleC"},
};
constexpr NsisProgram kCancelling = {L"fixture_engine_nsis_cancel", L"Engine Sample Cancel", L"TsuEngineSampleCancel"};

std::wstring Readme(const std::wstring& key) {
    return L"C:\\Program Files\\" + key + L"\\readme.txt";
}

class RealUninstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (const NsisProgram& program : kQueued)
            ASSERT_TRUE(test::InstallNsisFixture(program.fixture)) << program.fixture;
        ASSERT_TRUE(test::InstallNsisFixture(kCancelling.fixture));
    }
    static void TearDownTestSuite() {
        for (const NsisProgram& program : kQueued)
            test::RemoveNsisLeftovers(program.key);
        test::RemoveNsisLeftovers(kCancelling.key);
    }

    test::MessageRecorder m_page;
};

// "3 Name" for each WM_UNINSTALL_STATE, "removed Name" for each WM_UNINSTALL_REMOVED.
std::vector<std::wstring> Steps(const std::vector<test::RecordedMessage>& messages) {
    std::vector<std::wstring> steps;
    for (const test::RecordedMessage& message : messages)
        steps.push_back((message.message == WM_UNINSTALL_STATE ? std::to_wstring(message.wParam) : L"removed") + L" " +
                        message.text);
    return steps;
}

TEST_F(RealUninstallTest, ThreeQueuedProgramsGoOneAfterAnotherAndLeaveAtThePacingInterval) {
    UninstallEngine engine;
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    for (const NsisProgram& program : kQueued) {
        const auto record = test::FindInstalled(program.name);
        ASSERT_TRUE(record.has_value()) << program.name;
        ASSERT_TRUE(test::FileExists(Readme(program.key)));
        engine.Enqueue(*record);
    }
    std::atomic<bool> busyWhileRunning{false};
    m_page.SetHook([&](const test::RecordedMessage& message) {
        if (message.message == WM_UNINSTALL_STATE && message.wParam == kUninstallStarting)
            busyWhileRunning = engine.IsBusy();
    });
    ASSERT_TRUE(engine.StartUninstallWorker());
    ASSERT_TRUE(m_page.WaitForCount(WM_UNINSTALL_REMOVED, 3)) << test::Describe(m_page.Messages());
    m_page.SetHook(nullptr);

    const auto messages = m_page.Messages();
    const auto states = OnlyOf(messages, WM_UNINSTALL_STATE);
    EXPECT_EQ(Steps(states), (std::vector<std::wstring>{L"3 Engine Sample A", L"1 Engine Sample A", L"3 Engine Sample B",
                                                        L"1 Engine Sample B", L"3 Engine Sample C",
                                                        L"1 Engine Sample C"}));
    const auto removed = OnlyOf(messages, WM_UNINSTALL_REMOVED);
    ASSERT_EQ(removed.size(), 3u);
    for (size_t i = 0; i < removed.size(); ++i) {
        EXPECT_EQ(removed[i].text, kQueued[i].name);
        // Each row shows its done state at least the pacing interval, and rows leave that far apart.
        EXPECT_GE(removed[i].at - states[2 * i + 1].at, 600ms) << i;
        if (i > 0) {
            EXPECT_GE(removed[i].at - removed[i - 1].at, 600ms) << i;
        }
    }
    EXPECT_TRUE(busyWhileRunning);
    for (const NsisProgram& program : kQueued) {
        EXPECT_FALSE(test::FileExists(L"C:\\Program Files\\" + std::wstring(program.key))) << program.key;
        EXPECT_FALSE(test::UninstallKeyExists(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + program.key));
    }
    EXPECT_TRUE(test::WaitUntil([&] { return !engine.IsWorkerRunning() && !engine.IsBusy(); }));
}

TEST_F(RealUninstallTest, CancelledUninstallLeavesTheProgramAndReportsFailure) {
    const auto record = test::FindInstalled(kCancelling.name);
    ASSERT_TRUE(record.has_value());
    UninstallEngine engine;
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    engine.Enqueue(*record);
    ASSERT_TRUE(engine.StartUninstallWorker());
    ASSERT_TRUE(m_page.WaitForCount(WM_UNINSTALL_STATE, 2));
    ASSERT_TRUE(test::WaitUntil([&] { return !engine.IsWorkerRunning(); }));

    EXPECT_EQ(Steps(m_page.Messages()),
              (std::vector<std::wstring>{L"3 Engine Sample Cancel", L"2 Engine Sample Cancel"}));
    EXPECT_TRUE(test::FileExists(Readme(kCancelling.key)));
    EXPECT_TRUE(test::UninstallKeyExists(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + kCancelling.key));
}

} // namespace
} // namespace tsu
