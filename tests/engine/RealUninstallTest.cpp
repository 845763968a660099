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

struct NsisProgram {
    const wchar_t* fixture;
    const wchar_t* name;
    const wchar_t* key;
};
constexpr NsisProgram kPrograms[] = {
    {L"fixture_engine_nsis_a", L"Engine Sample A", L"TsuEngineSampleA"},
    {L"fixture_engine_nsis_b", L"Engine Sample B", L"TsuEngineSampleB"},
    {L"fixture_engine_nsis_c", L"Engine Sample C", L"TsuEngineSampleC"},
    {L"fixture_engine_nsis_cancel", L"Engine Sample Cancel", L"TsuEngineSampleCancel"}, // last: refuses
};

bool Installed(const NsisProgram& program) {
    return test::FileExists(L"C:\\Program Files\\" + std::wstring(program.key)) ||
           test::UninstallKeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
                                                            std::wstring(program.key));
}

class RealUninstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (const NsisProgram& program : kPrograms)
            ASSERT_TRUE(test::InstallNsisFixture(program.fixture)) << program.fixture;
    }
    static void TearDownTestSuite() {
        for (const NsisProgram& program : kPrograms)
            test::RemoveNsisLeftovers(program.key);
    }
    void Start(const NsisProgram* begin, const NsisProgram* end) {
        ASSERT_TRUE(m_engine.SetOwnerWindow(m_page.Window()));
        for (const NsisProgram* program = begin; program != end; ++program) {
            const auto record = test::FindInstalled(program->name);
            ASSERT_TRUE(record.has_value()) << program->name;
            m_engine.Enqueue(*record);
        }
        ASSERT_TRUE(m_engine.StartUninstallWorker());
    }

    test::MessageRecorder m_page;
    UninstallEngine m_engine;
};

TEST_F(RealUninstallTest, ThreeQueuedProgramsGoOneAfterAnotherAndLeaveAtThePacingInterval) {
    std::atomic<bool> busyWhileRunning{false};
    m_page.SetHook([&](const test::RecordedMessage& message) {
        if (message.message == WM_UNINSTALL_STATE && message.wParam == kUninstallStarting)
            busyWhileRunning = m_engine.IsBusy();
    });
    Start(kPrograms, kPrograms + 3);
    ASSERT_TRUE(m_page.WaitForCount(WM_UNINSTALL_REMOVED, 3)) << test::Describe(m_page.Messages());
    m_page.SetHook(nullptr);
    const auto messages = m_page.Messages();
    const auto states = OnlyOf(messages, WM_UNINSTALL_STATE);
    EXPECT_EQ(test::Steps(states),
              (std::vector<std::wstring>{L"3 Engine Sample A", L"1 Engine Sample A", L"3 Engine Sample B",
                                         L"1 Engine Sample B", L"3 Engine Sample C", L"1 Engine Sample C"}));
    const auto removed = OnlyOf(messages, WM_UNINSTALL_REMOVED);
    ASSERT_EQ(removed.size(), 3u);
    for (size_t i = 0; i < removed.size(); ++i) {
        EXPECT_EQ(removed[i].text, kPrograms[i].name);
        // Each row shows its done state at least the pacing interval, and rows leave that far apart.
        EXPECT_GE(removed[i].at - states[2 * i + 1].at, 600ms) << i;
        EXPECT_TRUE(i == 0 || removed[i].at - removed[i - 1].at >= 600ms) << i;
        EXPECT_FALSE(Installed(kPrograms[i])) << i;
    }
    EXPECT_TRUE(busyWhileRunning);
    EXPECT_TRUE(test::WaitUntil([&] { return !m_engine.IsWorkerRunning() && !m_engine.IsBusy(); }));
}

TEST_F(RealUninstallTest, CancelledUninstallLeavesTheProgramAndReportsFailure) {
    Start(kPrograms + 3, kPrograms + 4);
    ASSERT_TRUE(m_page.WaitForCount(WM_UNINSTALL_STATE, 2));
    ASSERT_TRUE(test::WaitUntil([&] { return !m_engine.IsWorkerRunning(); }));
    EXPECT_EQ(test::Steps(m_page.Messages()),
              (std::vector<std::wstring>{L"3 Engine Sample Cancel", L"2 Engine Sample Cancel"}));
    EXPECT_TRUE(test::FileExists(L"C:\\Program Files\\TsuEngineSampleCancel\\readme.txt"));
    EXPECT_TRUE(test::UninstallKeyExists(
        HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TsuEngineSampleCancel"));
}

} // namespace
} // namespace tsu
