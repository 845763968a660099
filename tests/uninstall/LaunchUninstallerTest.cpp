// The uninstaller launch against real process trees, planted programs, real NSIS uninstallers and msiexec.
#include "tests/common/ProcessTestSupport.h"
#include "tests/common/ScratchKey.h"

#include "uninstall/LaunchUninstaller.h"
#include "uninstall/ProcessMonitor.h"
#include "uninstall/core/UninstallCommandRules.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace tsu {
namespace {

using namespace tsu::test;

// A launch on a worker thread, as the engine runs it, so that the test can act while it waits.
class AsyncLaunch {
public:
    explicit AsyncLaunch(std::wstring command, ProcessMonitor* monitor = nullptr)
        : m_command(std::move(command)), m_thread([this, monitor] {
              m_result = monitor ? LaunchUninstaller(m_command, *monitor) : LaunchUninstaller(m_command);
              m_done.Set();
          }) {}
    ~AsyncLaunch() { m_thread.join(); }
    [[nodiscard]] bool Returned(DWORD ms) const { return m_done.WaitFor(ms); }
    [[nodiscard]] bool Result() const { return m_result; }

private:
    std::wstring m_command;
    NamedEvent m_done{L"done"};
    std::atomic<bool> m_result{false};
    std::thread m_thread; // last: it reaches the members above
};

class DesktopEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(EnsureDesktopProcess()); }
};
const ::testing::Environment* const g_desktop = ::testing::AddGlobalTestEnvironment(new DesktopEnvironment);

class LaunchUninstallerTest : public ::testing::Test {
protected:
    // Ends what the test's helpers left running, before any AsyncLaunch of the test is joined.
    struct Cleanup {
        LaunchUninstallerTest* test;
        ~Cleanup() {
            test->m_release.Set();
            test->m_release2.Set();
            EndRecordedProcesses(test->Ids());
        }
    };

    std::wstring Ids() const { return m_scratch.File(L"ids.txt"); }
    std::wstring Record() const { return L"--record " + Quoted(Ids()) + L" "; }
    std::wstring Helper(const std::wstring& arguments) const { return Quoted(HelperPath()) + L" " + arguments; }
    // Arguments that record the id, signal `ready` and wait for `release`.
    std::wstring Held(const NamedEvent& ready, const NamedEvent& release) const {
        return Record() + L"--signal " + ready.Name() + L" --wait-event " + release.Name();
    }
    bool Launch(std::wstring command) { return LaunchUninstaller(command); }

    ScratchFolder m_scratch{L"launch"};
    NamedEvent m_ready{L"ready"};
    NamedEvent m_release{L"release"};
    NamedEvent m_release2{L"release2"};
};

TEST_F(LaunchUninstallerTest, ReturnsOnlyAfterTheLastGrandchildOfATreeEnded) {
    const std::wstring done = m_scratch.File(L"grandchild_done.txt");
    // The launched process exits at once; the child ends when the test says, the grandchild last.
    AsyncLaunch launch(Helper(Record() + L"--child [ " + Record() + L"--child [ " + Held(m_ready, m_release) +
                              L" --mark " + Quoted(done) + L" ] --wait-event " + m_release2.Name() + L" ]"));
    Cleanup cleanup{this};
    ASSERT_TRUE(m_ready.WaitFor());
    const std::vector<DWORD> ids = ReadRecordedIds(Ids());
    ASSERT_EQ(ids.size(), 3u);
    ASSERT_TRUE(WaitForExit(ids[0], kMustHappenMs));
    // Each wait spans at least two monitor passes, so it has seen the generations alive.
    EXPECT_FALSE(launch.Returned(kTwoPassesMs)) << "returned when the launched process ended";
    m_release2.Set();
    ASSERT_TRUE(WaitForExit(ids[1], kMustHappenMs));
    EXPECT_FALSE(launch.Returned(kTwoPassesMs)) << "returned while the grandchild still ran";
    m_release.Set();
    ASSERT_TRUE(launch.Returned(kMustHappenMs));
    EXPECT_TRUE(launch.Result());
    EXPECT_TRUE(FileExists(done));
    EXPECT_FALSE(IsRunning(ids[2]));
    const MonitorLists lists = ProcessMonitor::GetInstance().Lists();
    EXPECT_TRUE(lists.watchedIds.empty()); // each dropped once a pass found it gone
    EXPECT_TRUE(lists.liveIds.empty());
    // The auto-reset completion event was used up by this launch.
    EXPECT_EQ(::WaitForSingleObject(LaunchCompletionEvent(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(LaunchUninstallerTest, TheLaunchEndsWithTheLastWorkerHoweverItWasStarted) {
    const std::wstring done = Quoted(m_scratch.File(L"done.txt"));
    const std::wstring work =
        L"--sleep 2000 --mark-in-job " + Quoted(m_scratch.File(L"in_job.txt")) + L" --mark " + done;
    const struct {
        const char* name;
        std::wstring arguments;
        bool inJob;
    } cases[] = {
        // Each middle generation ends far inside one monitor pass: only the job sees them.
        {"GenerationsThatEndAtOnce", L"--child [ --child [ --child [ --child [ " + work + L" ] ] ] ]", true},
        // A child started out of the job is found by the snapshots, through its parent.
        {"BreakawayChild", L"--breakaway-child [ " + work + L" ]", false},
        // Under Wine each start costs some 40 ms; the monitor's table test covers 2,000 children.
        {"ManyShortChildren", L"--children 200 [ --exit 0 ] --child [ " + work + L" ]", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const wchar_t* name : {L"done.txt", L"in_job.txt"})
            (void)::DeleteFileW(m_scratch.File(name).c_str());
        std::wstring command = Helper(c.arguments);
        DWORD exitCode = 1;
        ASSERT_TRUE(LaunchUninstaller(command, &exitCode));
        ASSERT_EQ(exitCode, 0u) << "the stand-in could not start its whole tree";
        EXPECT_TRUE(FileExists(m_scratch.File(L"done.txt")));
        EXPECT_EQ(FileExists(m_scratch.File(L"in_job.txt")), c.inJob);
    }
}

// The rule of which browsers are not waited for has its table; this is its wiring.
TEST_F(LaunchUninstallerTest, BrowserOpenedByTheUninstallerIsNotWaitedFor) {
    AsyncLaunch launch(Helper(L"--child-as iexplore.exe [ " + Held(m_ready, m_release) + L" ]"));
    Cleanup cleanup{this};
    ASSERT_TRUE(m_ready.WaitFor());
    const std::vector<DWORD> ids = ReadRecordedIds(Ids());
    ASSERT_EQ(ids.size(), 1u);
    ASSERT_TRUE(launch.Returned(kMustHappenMs));
    EXPECT_TRUE(IsRunning(ids[0])) << "the browser was waited for";
    EXPECT_TRUE(launch.Result());
}

TEST_F(LaunchUninstallerTest, UninstallerThatCrashesStillEndsTheLaunch) {
    EXPECT_TRUE(Launch(Helper(Record() + L"--crash")));
    const std::vector<DWORD> ids = ReadRecordedIds(Ids());
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_FALSE(IsRunning(ids[0]));
}

TEST_F(LaunchUninstallerTest, CommandsThatCannotBeStartedReturnFalse) {
    // A bare name that is no system program: the helper beside this test program is not searched for.
    for (const std::wstring& bad :
         {std::wstring(), std::wstring(L"\""), std::wstring(L"\"\" /S"),
          std::wstring(L"\"C:\\never closed\\uninst.exe /S"), m_scratch.File(L"missing.exe"),
          Quoted(m_scratch.File(L"missing.exe")), std::wstring(L"tsu_process_helper.exe --exit 0")}) {
        std::wstring command = bad;
        EXPECT_FALSE(LaunchUninstaller(command)) << ::testing::PrintToString(bad);
        EXPECT_EQ(command, bad);
    }
}

TEST_F(LaunchUninstallerTest, BareSystemProgramNamesRunTheSystemFoldersCopy) {
    for (const wchar_t* name : {L"cmd.exe", L"msiexec.exe"})
        ASSERT_TRUE(CopyProgram(HelperPath(), m_scratch.File(name)));
    const std::wstring planted = m_scratch.File(L"planted.txt");
    ScopedEnvironmentVariable args(L"TSU_HELPER_ARGS", L"--mark " + Quoted(planted));
    ScopedCurrentFolder here(m_scratch.Path());
    ASSERT_TRUE(here.Changed());
    // The trap is real: a search by name finds the current folder's copy before the system's.
    ASSERT_EQ(RunToEnd(L"cmd /C exit 0"), 0u);
    ASSERT_TRUE(::DeleteFileW(planted.c_str()));
    const std::wstring made = m_scratch.File(L"made by cmd");
    ASSERT_TRUE(Launch(L"cmd /C mkdir " + Quoted(made)));
    EXPECT_TRUE(FileExists(made)) << "the system's cmd did not run";
    // The fixed product code's command is rewritten and run (msiexec refuses at once: unknown product).
    std::wstring command = L"MsiExec.exe /I{BA6E3406-3BB9-433B-B9BF-ADC652DF3520}";
    ASSERT_TRUE(LaunchUninstaller(command));
    EXPECT_EQ(command, kFixedProductCodeCommand);
    EXPECT_FALSE(FileExists(planted)) << "a planted program ran";
}

TEST_F(LaunchUninstallerTest, LongCommandsUpToTheSystemLimitRunUnchangedAndLongerOnesNot) {
    const std::wstring seen = m_scratch.File(L"cmdline.txt");
    for (size_t length : {size_t(10000), kMaxCommandLineChars, kMaxCommandLineChars + 1}) {
        std::wstring original = Helper(L"--cmdline " + Quoted(seen) + L" --note ");
        original.append(length - original.size(), L'n');
        std::wstring command = original;
        EXPECT_EQ(LaunchUninstaller(command), length <= kMaxCommandLineChars) << length;
        EXPECT_TRUE(command == original) << length;
        EXPECT_EQ(ReadUtf16File(seen) == original, length <= kMaxCommandLineChars) << length;
    }
}

// A copy of the helper in a folder with a space and no hyphen, so the quote rule applies, and a
// planted program where Windows looks first for an unquoted form of that path.
TEST_F(LaunchUninstallerTest, PathsWithSpacesNeverRunThePlantedProgram) {
    const std::wstring tool = m_scratch.File(L"Un Install\\tool.exe"), other = m_scratch.File(L"Un Install\\other.exe");
    const std::wstring planted = m_scratch.File(L"Un.exe"), seen = m_scratch.File(L"image.txt");
    // "...\Un.exe Install\tool.exe /S" reads as the planted Un.exe or as tool.exe: refused.
    const std::wstring twoReadings = m_scratch.File(L"Un.exe Install\\tool.exe");
    for (const wchar_t* folder : {L"Un Install", L"Un.exe Install"})
        ASSERT_TRUE(::CreateDirectoryW(m_scratch.File(folder).c_str(), nullptr));
    for (const std::wstring& copy : {tool, other, planted, twoReadings})
        ASSERT_TRUE(CopyProgram(HelperPath(), copy));
    ScopedEnvironmentVariable args(L"TSU_HELPER_ARGS", L"--image " + Quoted(seen));
    // The trap is real: this is what starting the path without its quotes does.
    ASSERT_EQ(RunToEnd(tool), 0u);
    ASSERT_EQ(ReadUtf16File(seen), planted);
    const std::pair<std::wstring, bool> cases[] = {{Quoted(tool) + L" /S", true},
                                                   {tool + L" /S", true},
                                                   {Quoted(tool) + L" " + Quoted(other), true}, // the first token only
                                                   {twoReadings + L" /S", false}};
    for (const auto& [original, started] : cases) {
        ASSERT_TRUE(::DeleteFileW(seen.c_str()) || !FileExists(seen));
        std::wstring command = original;
        EXPECT_EQ(LaunchUninstaller(command), started) << original.size();
        EXPECT_EQ(command, original); // the caller's text is not touched
        EXPECT_EQ(ReadUtf16File(seen), started ? tool : L"") << "the planted program ran";
    }
}

TEST_F(LaunchUninstallerTest, WithoutAMonitoringThreadTheLaunchWaitsForItsProcess) {
    ProcessMonitor::Seams seams;
    seams.startThread = [](std::function<void()>) { return UniqueHandle(); };
    ProcessMonitor monitor(seams);
    AsyncLaunch launch(
        Helper(Record() + L"--child [ " + Held(m_ready, m_release) + L" ] --wait-event " + m_release.Name()), &monitor);
    Cleanup cleanup{this};
    ASSERT_TRUE(m_ready.WaitFor());
    // Neither forever nor at once: until the launched process itself has ended.
    EXPECT_FALSE(launch.Returned(kTwoPassesMs));
    const std::vector<DWORD> ids = ReadRecordedIds(Ids());
    ASSERT_EQ(ids.size(), 2u);
    EndProcess(ids[0]);
    ASSERT_TRUE(launch.Returned(kMustHappenMs));
    EXPECT_TRUE(launch.Result());
    EXPECT_TRUE(IsRunning(ids[1])); // its child could not be followed
}

TEST_F(LaunchUninstallerTest, SecondLaunchWaitsForTheFirst) {
    NamedEvent secondReady(L"second_ready");
    AsyncLaunch first(Helper(Held(m_ready, m_release)));
    Cleanup cleanup{this};
    ASSERT_TRUE(m_ready.WaitFor());
    AsyncLaunch second(Helper(Held(secondReady, m_release2)));
    EXPECT_FALSE(secondReady.WaitFor(kTwoPassesMs)) << "started while the first one ran";
    m_release.Set();
    ASSERT_TRUE(first.Returned(kMustHappenMs));
    ASSERT_TRUE(secondReady.WaitFor());
    EXPECT_FALSE(second.Returned(kTwoPassesMs));
    m_release2.Set();
    ASSERT_TRUE(second.Returned(kMustHappenMs));
    EXPECT_TRUE(first.Result() && second.Result());
}

// Real NSIS programs of this test, installed in the 64-bit view and removed again:
// - CopyInTemp: the uninstaller starts its copy in %TEMP% and exits at once;
// - HelperStartsTheWorker: the copy starts a helper that starts the worker, each ending within
//   milliseconds; the worker removes the program seconds later.
TEST(NsisUninstallTest, KeyIsGoneWhenTheLaunchReturns) {
    for (const auto& [fixture, appKey] : {std::pair{L"fixture_process_nsis", L"TsuProcessLaunchSample"},
                                          std::pair{L"fixture_handoff_nsis", L"TsuHandoffLaunchSample"}}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(fixture)));
        const std::wstring key = std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + appKey;
        const std::wstring folder = std::wstring(L"C:\\Program Files\\") + appKey + L"\\";
        const auto keyExists = [&] {
            UniqueHkey opened;
            return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, opened.Put()) ==
                   ERROR_SUCCESS;
        };
        EXPECT_EQ(RunToEnd(Quoted(BinDir() + L"..\\fixtures\\" + fixture + L".exe")), 0u);
        EXPECT_TRUE(keyExists());
        std::wstring command = Quoted(folder + L"uninst.exe"); // what the fixture registers
        EXPECT_TRUE(LaunchUninstaller(command));
        EXPECT_FALSE(keyExists());
        EXPECT_FALSE(FileExists(folder + L"readme.txt"));
        DeleteKeyTree(HKEY_LOCAL_MACHINE, key);
        RemoveTree(folder);
    }
}

} // namespace
} // namespace tsu
