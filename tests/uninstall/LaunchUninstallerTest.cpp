// The uninstaller launch (and the command runner) against process trees, planted programs, NSIS and msiexec.
#include "tests/common/ProcessTestSupport.h"
#include "tests/engine/EngineTestSupport.h"
#include "uninstall/LaunchUninstaller.h"
#include "uninstall/ProcessMonitor.h"
#include "uninstall/RunCommand.h"
#include "uninstall/core/UninstallCommandRules.h"

#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <deque>
#include <future>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace tsu {
namespace {

using namespace tsu::test;

bool Returned(const std::future<bool>& launch, DWORD ms) {
    return launch.wait_for(std::chrono::milliseconds(ms)) == std::future_status::ready;
}

// Launches the command and expects the launch to keep it unchanged; the launch's result.
bool Launch(const std::wstring& original) {
    std::wstring command = original;
    const bool started = LaunchUninstaller(command);
    EXPECT_EQ(command, original);
    return started;
}

class LaunchUninstallerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(EnsureDesktopProcess()); } // before the first launch
    // Ends what the test's helpers left running; the launches are waited for after it.
    void TearDown() override {
        m_release.Set();
        m_release2.Set();
        EndRecordedProcesses(Ids());
    }
    // A launch on a worker thread, as the engine runs it, so that the test can act while it waits.
    std::future<bool>& Async(std::wstring command) {
        return m_launches.emplace_back(
            std::async(std::launch::async, [command]() mutable { return LaunchUninstaller(command); }));
    }
    std::wstring Ids() const { return m_scratch.File(L"ids.txt"); }
    std::wstring Record() const { return L"--record " + Quoted(Ids()) + L" "; }
    static std::wstring Helper(const std::wstring& arguments) { return Quoted(HelperPath()) + L" " + arguments; }
    // Arguments that record the id, signal `ready` and wait for `release`.
    std::wstring Held(const NamedEvent& ready, const NamedEvent& release) const {
        return Record() + L"--signal " + ready.Name() + L" --wait-event " + release.Name();
    }

    ScratchFolder m_scratch{L"launch"};
    NamedEvent m_ready{L"ready"}, m_release{L"release"}, m_release2{L"release2"};
    std::deque<std::future<bool>> m_launches; // last: waited for before the members above go
};

TEST_F(LaunchUninstallerTest, TheLaunchEndsWithTheLastDescendantHoweverItWasStarted) {
    const std::wstring done = m_scratch.File(L"done.txt"), inJob = m_scratch.File(L"in_job.txt");
    const std::wstring work = L"--sleep 2000 --mark-in-job " + Quoted(inJob) + L" --mark " + Quoted(done);
    const std::tuple<const char*, std::wstring, bool> cases[] = {
        // Each middle generation ends far inside one monitor pass: only the job sees them.
        {"GenerationsThatEndAtOnce", L"--child [ --child [ --child [ --child [ " + work + L" ] ] ] ]", true},
        // A child started out of the job is found by the snapshots, through its parent.
        {"BreakawayChild", L"--breakaway-child [ " + work + L" ]", false},
    };
    for (const auto& [name, arguments, startedInJob] : cases) {
        SCOPED_TRACE(name);
        (void)::DeleteFileW(done.c_str());
        (void)::DeleteFileW(inJob.c_str());
        std::wstring command = Helper(arguments);
        DWORD exitCode = 1;
        ASSERT_TRUE(LaunchUninstaller(command, &exitCode));
        ASSERT_EQ(exitCode, 0u) << "the stand-in could not start its whole tree";
        EXPECT_TRUE(FileExists(done));
        EXPECT_EQ(FileExists(inJob), startedInJob);
        const MonitorLists lists = ProcessMonitor::GetInstance().Lists();
        EXPECT_TRUE(lists.watchedIds.empty() && lists.liveIds.empty()); // each dropped once a pass found it gone
        // The auto-reset completion event was used up by this launch.
        EXPECT_EQ(::WaitForSingleObject(LaunchCompletionEvent(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    }
}

TEST_F(LaunchUninstallerTest, BrowserOpenedByTheUninstallerIsNotWaitedFor) {
    auto& launch = Async(Helper(L"--child-as iexplore.exe [ " + Held(m_ready, m_release) + L" ]"));
    ASSERT_TRUE(m_ready.WaitFor());
    ASSERT_TRUE(Returned(launch, kMustHappenMs));
    EXPECT_TRUE(launch.get());
    const std::vector<DWORD> ids = ReadRecordedIds(Ids());
    EXPECT_TRUE(ids.size() == 1 && IsRunning(ids[0])) << "the browser was waited for";
}

TEST_F(LaunchUninstallerTest, CommandsThatCannotBeStartedReturnFalse) {
    // A bare name that is no system program: the helper beside this test program is not searched for.
    EXPECT_FALSE(Launch(Quoted(m_scratch.File(L"missing.exe"))));
    EXPECT_FALSE(Launch(L"tsu_process_helper.exe --exit 0"));
}

TEST_F(LaunchUninstallerTest, BareSystemProgramNamesRunTheSystemFoldersCopy) {
    for (const wchar_t* name : {L"cmd.exe", L"msiexec.exe"})
        ASSERT_TRUE(CopyProgram(HelperPath(), m_scratch.File(name)));
    const std::wstring planted = m_scratch.File(L"planted.txt"), made = m_scratch.File(L"made by cmd");
    ScopedEnvironmentVariable args(L"TSU_HELPER_ARGS", L"--mark " + Quoted(planted));
    ScopedCurrentFolder here(m_scratch.Path());
    ASSERT_TRUE(here.Changed());
    // The trap is real: a search by name finds the current folder's copy before the system's.
    ASSERT_EQ(RunToEnd(L"cmd /C exit 0"), 0u);
    ASSERT_TRUE(::DeleteFileW(planted.c_str()));
    ASSERT_TRUE(Launch(L"cmd /C mkdir " + Quoted(made)));
    EXPECT_TRUE(FileExists(made)) << "the system's cmd did not run";
    std::wstring output; // the command runner's interpreter alike
    ASSERT_TRUE(RunCommand(L"echo real", output));
    EXPECT_EQ(output, L"real\r\n");
    // The fixed product code's command is rewritten and run (msiexec refuses at once: unknown product).
    std::wstring command = L"MsiExec.exe /I{BA6E3406-3BB9-433B-B9BF-ADC652DF3520}";
    ASSERT_TRUE(LaunchUninstaller(command));
    EXPECT_EQ(command, kFixedProductCodeCommand);
    EXPECT_FALSE(FileExists(planted)) << "a planted program ran";
}

// A copy of the helper in a folder with a space and no hyphen, so the quote rule applies, and a
// planted program where Windows looks first for an unquoted form of that path.
TEST_F(LaunchUninstallerTest, PathsWithSpacesNeverRunThePlantedProgram) {
    const std::wstring tool = m_scratch.File(L"Un Install\\tool.exe");
    const std::wstring planted = m_scratch.File(L"Un.exe"), seen = m_scratch.File(L"image.txt");
    // "...\Un.exe Install\tool.exe /S" reads as the planted Un.exe or as tool.exe: refused.
    const std::wstring twoReadings = m_scratch.File(L"Un.exe Install\\tool.exe");
    for (const wchar_t* folder : {L"Un Install", L"Un.exe Install"})
        ASSERT_TRUE(::CreateDirectoryW(m_scratch.File(folder).c_str(), nullptr));
    for (const std::wstring& copy : {tool, planted, twoReadings})
        ASSERT_TRUE(CopyProgram(HelperPath(), copy));
    ScopedEnvironmentVariable args(L"TSU_HELPER_ARGS", L"--image " + Quoted(seen));
    // The trap is real: this is what starting the path without its quotes does.
    ASSERT_EQ(RunToEnd(tool), 0u);
    ASSERT_EQ(ReadUtf16File(seen), planted);
    const std::pair<std::wstring, bool> cases[] = {{tool + L" /S", true}, {twoReadings + L" /S", false}};
    for (const auto& [command, started] : cases) {
        ASSERT_TRUE(::DeleteFileW(seen.c_str()) || !FileExists(seen));
        EXPECT_EQ(Launch(command), started) << command.size();
        EXPECT_EQ(ReadUtf16File(seen), started ? tool : L"") << "the planted program ran";
    }
}

TEST_F(LaunchUninstallerTest, SecondLaunchWaitsForTheFirst) {
    NamedEvent secondReady(L"second_ready");
    auto& first = Async(Helper(Held(m_ready, m_release)));
    ASSERT_TRUE(m_ready.WaitFor());
    auto& second = Async(Helper(Held(secondReady, m_release2)));
    EXPECT_FALSE(secondReady.WaitFor(kTwoPassesMs)) << "started while the first one ran";
    m_release.Set();
    ASSERT_TRUE(Returned(first, kMustHappenMs) && secondReady.WaitFor());
    EXPECT_FALSE(Returned(second, kTwoPassesMs));
    m_release2.Set();
    ASSERT_TRUE(Returned(second, kMustHappenMs));
    EXPECT_TRUE(first.get() && second.get());
}

// Destroying the monitor ends its thread instead of waiting for the watched process, and reports no end.
TEST_F(LaunchUninstallerTest, DestroyingTheMonitorEndsARunningThread) {
    static std::atomic<int> finishes{0};
    auto monitor = std::make_unique<ProcessMonitor>();
    DWORD id = 0;
    const UniqueHandle process = StartProcess(Helper(L"--wait-event " + m_release.Name()), &id);
    ASSERT_TRUE(process && monitor->AddWatchedProcess(id, ProcessCreationTime(process.Get())));
    ASSERT_TRUE(monitor->StartMonitor([](int32_t state, const wchar_t*, uint32_t) {
        finishes += state == kMonitorStateFinished ? 1 : 0;
    }, 0));
    NamedEvent destroyed(L"destroyed");
    std::thread destroyer([&] {
        monitor.reset();
        destroyed.Set();
    });
    EXPECT_TRUE(destroyed.WaitFor() && IsRunning(id));
    m_release.Set(); // unblocks the destroyer if it waited for the process after all
    destroyer.join();
    EXPECT_EQ(finishes, 0);
}

// A real NSIS program, whose uninstaller starts its copy in %TEMP% and exits at once.
TEST_F(LaunchUninstallerTest, NsisKeyIsGoneWhenTheLaunchReturns) {
    const std::wstring key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TsuProcessLaunchSample";
    const std::wstring folder = L"C:\\Program Files\\TsuProcessLaunchSample\\";
    EXPECT_TRUE(InstallNsisFixture(L"fixture_process_nsis") && UninstallKeyExists(HKEY_LOCAL_MACHINE, key));
    EXPECT_TRUE(Launch(Quoted(folder + L"uninst.exe"))); // what the fixture registers
    EXPECT_FALSE(UninstallKeyExists(HKEY_LOCAL_MACHINE, key) || FileExists(folder + L"readme.txt"));
    RemoveNsisLeftovers(L"TsuProcessLaunchSample");
}

} // namespace
} // namespace tsu
