// End to end on real packages: NSIS programs whose uninstallers hand their work to a copy in
// %TEMP% and exit at once, one whose uninstaller refuses, and an MSI package. After each run the
// program's files and uninstall key are checked, not only the messages.

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
constexpr wchar_t kMsiName[] = L"Engine MSI Sample";
constexpr wchar_t kMsiKey[] = L"TsuEngineMsiSample";
constexpr wchar_t kMsiCode[] = L"{3C8E2F41-7A5B-4D6C-9E0F-1A2B3C4D5E61}";

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

std::wstring ProgramFolder(const std::wstring& key) {
    return L"C:\\Program Files\\" + key;
}

bool ProgramFilesPresent(const NsisProgram& program) {
    const std::wstring folder = ProgramFolder(program.key) + L"\\";
    return test::FileExists(folder + L"readme.txt") && test::FileExists(folder + L"uninst.exe") &&
           test::FileExists(folder + program.key + L".exe");
}

class RealUninstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (const NsisProgram& program : kQueued)
            ASSERT_TRUE(test::InstallNsisFixture(program.fixture)) << program.fixture;
        ASSERT_TRUE(test::InstallNsisFixture(kCancelling.fixture));
        ASSERT_TRUE(test::InstallMsiFixture(L"fixture_engine_msi"));
        // Under Wine, the registered "MsiExec.exe /I{code}" of an installed product does not
        // remove it; "/X{code}" does, so the entry gets the removal command a real system runs.
        ASSERT_TRUE(test::SetRegistryString(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + kMsiCode,
                                            L"UninstallString", std::wstring(L"MsiExec.exe /X") + kMsiCode + L" /qn"));
    }
    static void TearDownTestSuite() {
        for (const NsisProgram& program : kQueued)
            test::RemoveNsisLeftovers(program.key);
        test::RemoveNsisLeftovers(kCancelling.key);
        if (test::UninstallKeyExists(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + kMsiCode))
            (void)test::RunProcess(L"\"" + test::SystemFolderPath() + L"\\msiexec.exe\" /x" + kMsiCode + L" /qn");
    }

    test::MessageRecorder m_page;
};

std::vector<std::wstring> StateLines(const std::vector<test::RecordedMessage>& messages) {
    std::vector<std::wstring> lines;
    for (const auto& message : messages) {
        if (message.message == WM_UNINSTALL_STATE)
            lines.push_back(L"state " + std::to_wstring(message.wParam) + L" " + message.text);
        else if (message.message == WM_UNINSTALL_REMOVED)
            lines.push_back(L"removed " + message.text);
    }
    return lines;
}

TEST_F(RealUninstallTest, MsiProgramIsRemoved) {
    const auto record = test::FindInstalled(kMsiName);
    ASSERT_TRUE(record.has_value());
    ASSERT_TRUE(test::FileExists(ProgramFolder(kMsiKey) + L"\\readme.txt"));

    UninstallEngine engine;
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    engine.Enqueue(*record);
    ASSERT_TRUE(engine.StartUninstallWorker());
    ASSERT_TRUE(m_page.WaitForCount(WM_UNINSTALL_REMOVED, 1)) << test::Describe(m_page.Messages());

    EXPECT_EQ(StateLines(m_page.Messages()),
              (std::vector<std::wstring>{L"state 3 Engine MSI Sample", L"state 1 Engine MSI Sample",
                                         L"removed Engine MSI Sample"}));
    EXPECT_FALSE(test::FileExists(ProgramFolder(kMsiKey) + L"\\readme.txt"));
    EXPECT_FALSE(test::UninstallKeyExists(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + kMsiCode));
    EXPECT_FALSE(test::FindInstalled(kMsiName).has_value());
}

TEST_F(RealUninstallTest, ThreeQueuedProgramsGoOneAfterAnotherAndLeaveAtThePacingInterval) {
    UninstallEngine engine;
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    for (const NsisProgram& program : kQueued) {
        const auto record = test::FindInstalled(program.name);
        ASSERT_TRUE(record.has_value()) << program.name;
        ASSERT_TRUE(ProgramFilesPresent(program));
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
    std::vector<std::wstring> lines;
    for (const auto& message : states)
        lines.push_back(std::to_wstring(message.wParam) + L" " + message.text);
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"3 Engine Sample A", L"1 Engine Sample A", L"3 Engine Sample B",
                                                L"1 Engine Sample B", L"3 Engine Sample C", L"1 Engine Sample C"}));
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
        EXPECT_FALSE(test::FileExists(ProgramFolder(program.key) + L"\\readme.txt")) << program.key;
        EXPECT_FALSE(test::FileExists(ProgramFolder(program.key))) << program.key;
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

    EXPECT_EQ(StateLines(m_page.Messages()),
              (std::vector<std::wstring>{L"state 3 Engine Sample Cancel", L"state 2 Engine Sample Cancel"}));
    EXPECT_TRUE(ProgramFilesPresent(kCancelling));
    EXPECT_TRUE(test::UninstallKeyExists(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + kCancelling.key));
}

} // namespace
} // namespace tsu
