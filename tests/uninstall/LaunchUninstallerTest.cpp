// The uninstaller launch against real process trees, a planted program, a real NSIS uninstaller
// and msiexec.
#include "tests/common/ProcessTestSupport.h"

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
        : m_command(std::move(command)), m_monitor(monitor) {
        m_thread = std::thread([this] {
            m_result = m_monitor ? LaunchUninstaller(m_command, *m_monitor) : LaunchUninstaller(m_command);
            m_done.Set();
        });
    }
    ~AsyncLaunch() { m_thread.join(); }
    AsyncLaunch(const AsyncLaunch&) = delete;
    AsyncLaunch& operator=(const AsyncLaunch&) = delete;

    [[nodiscard]] bool Returned(DWORD ms) const { return m_done.WaitFor(ms); }
    [[nodiscard]] bool Result() const { return m_result; }

private:
    std::wstring m_command;
    ProcessMonitor* m_monitor;
    NamedEvent m_done{L"done"};
    std::atomic<bool> m_result{false};
    std::thread m_thread;
};

class DesktopEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(EnsureDesktopProcess()); }
};
const ::testing::Environment* const g_desktop = ::testing::AddGlobalTestEnvironment(new DesktopEnvironment);

// Under Wine each process start costs some 40 ms, so 2,000 would take minutes; the monitor's own
// table test runs a pass over 2,000 children.
constexpr int kManyChildren = 200;

class LaunchUninstallerTest : public ::testing::Test {
protected:
    // Ends whatever the test's helpers left running; runs before any AsyncLaunch of the test is
    // joined, so a launch that waits for them returns.
    struct Cleanup {
        LaunchUninstallerTest* test;
        ~Cleanup() {
            test->m_release.Set();
            EndRecordedProcesses(test->Ids());
        }
    };

    std::wstring Ids() const { return m_scratch.File(L"ids.txt"); }
    std::wstring Record() const { return L"--record " + Quoted(Ids()) + L" "; }
    std::wstring Helper(const std::wstring& arguments) const { return Quoted(HelperPath()) + L" " + arguments; }

    ScratchFolder m_scratch{L"launch"};
    NamedEvent m_ready{L"ready"};
    NamedEvent m_release{L"release"};
};

TEST_F(LaunchUninstallerTest, ReturnsOnlyAfterTheLastGrandchildOfATreeEnded) {
    NamedEvent childRelease(L"child_release");
    const std::wstring done = m_scratch.File(L"grandchild_done.txt");
    // The launched process exits at once; the child ends when the test says, the grandchild last.
    const std::wstring command = Helper(Record() + L"--child [ " + Record() + L"--child [ " + Record() + L"--signal " +
                                        m_ready.Name() + L" --wait-event " + m_release.Name() + L" --mark " +
                                        Quoted(done) + L" ] --wait-event " + childRelease.Name() + L" ]");
    AsyncLaunch launch(command);
    Cleanup cleanup{this};
    struct ChildCleanup {
        const NamedEvent& release;
        ~ChildCleanup() { release.Set(); }
    } childCleanup{childRelease};
    ASSERT_TRUE(m_ready.WaitFor(kMustHappenMs));
    const std::vector<DWORD> ids = ReadRecordedIds(Ids());
    ASSERT_EQ(ids.size(), 3u);
    ASSERT_TRUE(WaitForExit(ids[0], kMustHappenMs));
    // Each wait spans at least two passes of the monitor, so it has seen the generations alive.
    EXPECT_FALSE(launch.Returned(kTwoPassesMs)) << "returned when the launched process ended";
    childRelease.Set();
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

TEST_F(LaunchUninstallerTest, ProcessThatExitedBeforeTheFirstSnapshotEndsTheRunAfterOnePass) {
    std::wstring command = Helper(L"--exit 0");
    EXPECT_TRUE(LaunchUninstaller(command));
    EXPECT_EQ(ProcessMonitor::GetInstance().State(), kMonitorStateFinished);
    EXPECT_TRUE(ProcessMonitor::GetInstance().Lists().liveIds.empty());
}

// Each middle generation ends within milliseconds of starting the next, far inside one monitor
// pass: only the job sees them. The last one marks its end, which must be past when the launch
// returns.
TEST_F(LaunchUninstallerTest, GenerationsThatEndAtOnceAreFollowedToTheLastWorker) {
    const std::wstring done = m_scratch.File(L"done.txt");
    const std::wstring inJob = m_scratch.File(L"in_job.txt");
    const std::wstring work = L"--sleep 2000 --mark-in-job " + Quoted(inJob) + L" --mark " + Quoted(done);
    std::wstring command = Helper(L"--child [ --child [ --child [ --child [ " + work + L" ] ] ] ]");
    ASSERT_TRUE(LaunchUninstaller(command));
    EXPECT_TRUE(FileExists(done));
    EXPECT_TRUE(FileExists(inJob));
}

// A child started out of the job is found by the snapshots, through its parent.
TEST_F(LaunchUninstallerTest, ChildThatBreaksAwayFromTheJobIsStillFollowed) {
    const std::wstring done = m_scratch.File(L"done.txt");
    const std::wstring inJob = m_scratch.File(L"in_job.txt");
    std::wstring command =
        Helper(L"--breakaway-child [ --sleep 2000 --mark-in-job " + Quoted(inJob) + L" --mark " + Quoted(done) + L" ]");
    ASSERT_TRUE(LaunchUninstaller(command));
    EXPECT_TRUE(FileExists(done));
    EXPECT_FALSE(FileExists(inJob));
}

TEST_F(LaunchUninstallerTest, ManyShortChildrenEndTheLaunchWithTheLastWorker) {
    const std::wstring done = m_scratch.File(L"done.txt");
    std::wstring command = Helper(L"--children " + std::to_wstring(kManyChildren) +
                                  L" [ --exit 0 ] --child [ --sleep 1000 --mark " + Quoted(done) + L" ]");
    DWORD exitCode = 1;
    ASSERT_TRUE(LaunchUninstaller(command, &exitCode));
    ASSERT_EQ(exitCode, 0u) << "the stand-in could not start its whole tree";
    EXPECT_TRUE(FileExists(done));
}

struct BrowserCase {
    const char* name;
    const wchar_t* browser; // copy of the helper the uninstaller opens
    const wchar_t* note;    // extra text in the command
    bool waitedFor;
};

class BrowserChildTest : public LaunchUninstallerTest, public ::testing::WithParamInterface<BrowserCase> {};

TEST_P(BrowserChildTest, BrowserOpenedByTheUninstallerIsWaitedForOnlyWhenItIsTheOneRemoved) {
    const BrowserCase& c = GetParam();
    const std::wstring browserArgs = Record() + L"--signal " + m_ready.Name() + L" --wait-event " + m_release.Name();
    std::wstring uninstallerArgs =
        L"--child-as " + std::wstring(c.browser) + L" [ " + browserArgs + L" ] --note " + Quoted(c.note);
    AsyncLaunch launch(Helper(uninstallerArgs));
    Cleanup cleanup{this};
    ASSERT_TRUE(m_ready.WaitFor(kMustHappenMs));
    const std::vector<DWORD> ids = ReadRecordedIds(Ids());
    ASSERT_EQ(ids.size(), 1u);
    if (c.waitedFor) {
        EXPECT_FALSE(launch.Returned(kTwoPassesMs)) << "did not wait for " << c.name;
        m_release.Set();
        ASSERT_TRUE(launch.Returned(kMustHappenMs));
        EXPECT_FALSE(IsRunning(ids[0]));
    } else {
        ASSERT_TRUE(launch.Returned(kMustHappenMs));
        EXPECT_TRUE(IsRunning(ids[0])) << "the browser was waited for";
    }
    EXPECT_TRUE(launch.Result());
}

INSTANTIATE_TEST_SUITE_P(
    Rules, BrowserChildTest,
    ::testing::Values(BrowserCase{"InternetExplorer", L"iexplore.exe", L"", false},
                      BrowserCase{"Chrome", L"chrome.exe", L"", false},
                      // The command names 360se.exe (here in --child-as): the 360 browser is the one removed.
                      BrowserCase{"ThreeSixtyBeingRemoved", L"360se.exe", L"", true},
                      BrowserCase{"ChromeBeingRemoved", L"chrome.exe", L"Google Chrome", true},
                      BrowserCase{"InternetExplorerEvenWhenChromeIsRemoved", L"iexplore.exe", L"Google Chrome", false}),
    [](const ::testing::TestParamInfo<BrowserCase>& info) { return info.param.name; });

TEST_F(LaunchUninstallerTest, ThreeSixtyNotNamedInTheCommandIsNotWaitedFor) {
    // The uninstaller's arguments come from the environment, so "360se.exe" is not in the command.
    ScopedEnvironmentVariable args(L"TSU_HELPER_ARGS", L"--child-as 360se.exe [ " + Record() + L"--signal " +
                                                           m_ready.Name() + L" --wait-event " + m_release.Name() +
                                                           L" ]");
    AsyncLaunch launch(Quoted(HelperPath()));
    Cleanup cleanup{this};
    ASSERT_TRUE(m_ready.WaitFor(kMustHappenMs));
    ASSERT_TRUE(launch.Returned(kMustHappenMs));
    EXPECT_TRUE(launch.Result());
    const std::vector<DWORD> ids = ReadRecordedIds(Ids());
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_TRUE(IsRunning(ids[0]));
}

TEST_F(LaunchUninstallerTest, UninstallerThatCrashesStillEndsTheLaunch) {
    std::wstring command = Helper(Record() + L"--crash");
    EXPECT_TRUE(LaunchUninstaller(command));
    const std::vector<DWORD> ids = ReadRecordedIds(Ids());
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_FALSE(IsRunning(ids[0]));
}

TEST_F(LaunchUninstallerTest, UninstallerThatNeverEndsIsWaitedForUntilEndedFromOutside) {
    NamedEvent never(L"never");
    AsyncLaunch launch(Helper(Record() + L"--signal " + m_ready.Name() + L" --wait-event " + never.Name()));
    Cleanup cleanup{this};
    ASSERT_TRUE(m_ready.WaitFor(kMustHappenMs));
    EXPECT_FALSE(launch.Returned(kTwoPassesMs));
    const std::vector<DWORD> ids = ReadRecordedIds(Ids());
    ASSERT_EQ(ids.size(), 1u);
    EndProcess(ids[0]);
    ASSERT_TRUE(launch.Returned(kMustHappenMs));
    EXPECT_TRUE(launch.Result());
}

TEST_F(LaunchUninstallerTest, CommandsThatCannotBeStartedReturnFalse) {
    for (const std::wstring& bad : {std::wstring(), std::wstring(L"\""), std::wstring(L"\"\" /S"),
                                    std::wstring(L"\"C:\\never closed\\uninst.exe /S"), m_scratch.File(L"missing.exe"),
                                    Quoted(m_scratch.File(L"missing.exe")),
                                    // A bare name that is no system program: the helper beside this
                                    // test program is not searched for.
                                    std::wstring(L"tsu_process_helper.exe --exit 0")}) {
        std::wstring command = bad;
        EXPECT_FALSE(LaunchUninstaller(command)) << "[" << std::string(bad.begin(), bad.end()) << "]";
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
    ASSERT_TRUE(FileExists(planted));
    ASSERT_TRUE(::DeleteFileW(planted.c_str()));

    const std::wstring made = m_scratch.File(L"made by cmd");
    std::wstring command = L"cmd /C mkdir " + Quoted(made);
    ASSERT_TRUE(LaunchUninstaller(command));
    EXPECT_TRUE(FileExists(made)) << "the system's cmd did not run";
    command = kFixedProductCodeCommand;
    ASSERT_TRUE(LaunchUninstaller(command));
    EXPECT_FALSE(FileExists(planted)) << "a planted program ran";
}

// A command of exactly the given length that makes the helper write down its command line.
std::wstring CommandOfLength(const std::wstring& helper, const std::wstring& seenFile, size_t length) {
    std::wstring command = helper + L" --cmdline " + Quoted(seenFile) + L" --note ";
    command.append(length > command.size() ? length - command.size() : 0, L'n');
    return command;
}

TEST_F(LaunchUninstallerTest, LongCommandsUpToTheSystemLimitRunUnchanged) {
    const std::wstring seen = m_scratch.File(L"cmdline.txt");
    for (size_t length : {size_t(10000), kMaxCommandLineChars}) {
        const std::wstring original = CommandOfLength(Quoted(HelperPath()), seen, length);
        ASSERT_EQ(original.size(), length);
        std::wstring command = original;
        ASSERT_TRUE(LaunchUninstaller(command)) << length;
        EXPECT_TRUE(command == original) << length;
        EXPECT_TRUE(ReadUtf16File(seen) == original) << length;
    }
}

TEST_F(LaunchUninstallerTest, CommandBeyondTheSystemLimitIsRefusedWhole) {
    const std::wstring seen = m_scratch.File(L"cmdline.txt");
    const std::wstring original = CommandOfLength(Quoted(HelperPath()), seen, kMaxCommandLineChars + 1);
    std::wstring command = original;
    EXPECT_FALSE(LaunchUninstaller(command));
    EXPECT_TRUE(command == original);
    EXPECT_FALSE(FileExists(seen));
}

// A copy of the helper in a folder with a space and no hyphen, so the quote rule applies, and a
// planted program where Windows looks first for an unquoted form of that path.
class QuotedPathTest : public LaunchUninstallerTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(::CreateDirectoryW(m_scratch.File(L"Un Install").c_str(), nullptr));
        ASSERT_TRUE(CopyProgram(HelperPath(), m_tool));
        ASSERT_TRUE(CopyProgram(HelperPath(), m_planted));
    }

    const std::wstring m_tool = m_scratch.File(L"Un Install\\tool.exe");
    const std::wstring m_other = m_scratch.File(L"Un Install\\other.exe");
    const std::wstring m_planted = m_scratch.File(L"Un.exe");
    const std::wstring m_seen = m_scratch.File(L"image.txt");
};

TEST_F(QuotedPathTest, UnquotedFormWouldRunThePlantedProgram) {
    // The trap is real: this is what starting the path without its quotes does.
    ScopedEnvironmentVariable args(L"TSU_HELPER_ARGS", L"--image " + Quoted(m_seen));
    ASSERT_EQ(RunToEnd(m_tool), 0u);
    EXPECT_EQ(ReadUtf16File(m_seen), m_planted);
}

TEST_F(QuotedPathTest, QuotedPathIsStartedQuotedWithoutItsArguments) {
    ScopedEnvironmentVariable args(L"TSU_HELPER_ARGS",
                                   L"--image " + Quoted(m_seen) + L" --cmdline " + Quoted(m_scratch.File(L"cmd.txt")));
    std::wstring command = Quoted(m_tool) + L" /S";
    ASSERT_TRUE(LaunchUninstaller(command));
    EXPECT_EQ(ReadUtf16File(m_seen), m_tool) << "the planted program ran";
    EXPECT_EQ(ReadUtf16File(m_scratch.File(L"cmd.txt")), Quoted(m_tool));
    EXPECT_EQ(command, Quoted(m_tool) + L" /S"); // the caller's text is not touched
}

TEST_F(QuotedPathTest, UnquotedPathWithSpacesRunsTheProgramItNames) {
    ScopedEnvironmentVariable args(L"TSU_HELPER_ARGS", L"--image " + Quoted(m_seen));
    std::wstring command = m_tool + L" /S";
    ASSERT_TRUE(LaunchUninstaller(command));
    EXPECT_EQ(ReadUtf16File(m_seen), m_tool) << "the planted program ran";
}

TEST_F(QuotedPathTest, UnquotedPathThatNamesTwoProgramsIsRefused) {
    // "...\Un.exe Install\tool.exe /S" reads as the planted Un.exe or as tool.exe.
    const std::wstring tool = m_scratch.File(L"Un.exe Install\\tool.exe");
    ASSERT_TRUE(::CreateDirectoryW(m_scratch.File(L"Un.exe Install").c_str(), nullptr));
    ASSERT_TRUE(CopyProgram(HelperPath(), tool));
    ScopedEnvironmentVariable args(L"TSU_HELPER_ARGS", L"--image " + Quoted(m_seen));
    std::wstring command = tool + L" /S";
    EXPECT_FALSE(LaunchUninstaller(command));
    EXPECT_FALSE(FileExists(m_seen));
}

TEST_F(QuotedPathTest, OfTwoQuotedTokensOnlyTheFirstIsStarted) {
    ASSERT_TRUE(CopyProgram(HelperPath(), m_other));
    ScopedEnvironmentVariable args(L"TSU_HELPER_ARGS", L"--image " + Quoted(m_seen));
    std::wstring command = Quoted(m_tool) + L" " + Quoted(m_other);
    ASSERT_TRUE(LaunchUninstaller(command));
    EXPECT_EQ(ReadUtf16File(m_seen), m_tool);
}

TEST_F(LaunchUninstallerTest, FixedProductCodeCommandIsRewrittenAndRun) {
    // msiexec refuses at once (unknown product); what matters is the text it was given.
    std::wstring command = L"MsiExec.exe /I{BA6E3406-3BB9-433B-B9BF-ADC652DF3520}";
    EXPECT_TRUE(LaunchUninstaller(command));
    EXPECT_EQ(command, kFixedProductCodeCommand);
}

HANDLE RefuseThread(LPTHREAD_START_ROUTINE, void*) {
    return nullptr;
}

TEST_F(LaunchUninstallerTest, WithoutAMonitoringThreadTheLaunchWaitsForItsProcess) {
    ProcessMonitor::Seams seams;
    seams.startThread = &RefuseThread;
    ProcessMonitor monitor(seams);
    AsyncLaunch launch(Helper(Record() + L"--child [ " + Record() + L"--signal " + m_ready.Name() + L" --wait-event " +
                              m_release.Name() + L" ] --wait-event " + m_release.Name()),
                       &monitor);
    Cleanup cleanup{this};
    ASSERT_TRUE(m_ready.WaitFor(kMustHappenMs));
    // Neither forever nor at once: until the launched process itself has ended.
    EXPECT_FALSE(launch.Returned(kTwoPassesMs));
    std::vector<DWORD> ids = ReadRecordedIds(Ids());
    ASSERT_EQ(ids.size(), 2u);
    EndProcess(ids[0]);
    ASSERT_TRUE(launch.Returned(kMustHappenMs));
    EXPECT_TRUE(launch.Result());
    EXPECT_TRUE(IsRunning(ids[1])); // its child could not be followed
}

TEST_F(LaunchUninstallerTest, SecondLaunchWaitsForTheFirst) {
    NamedEvent secondReady(L"second_ready");
    NamedEvent secondRelease(L"second_release");
    const std::wstring secondIds = m_scratch.File(L"second_ids.txt");
    AsyncLaunch first(Helper(Record() + L"--signal " + m_ready.Name() + L" --wait-event " + m_release.Name()));
    Cleanup cleanup{this};
    ASSERT_TRUE(m_ready.WaitFor(kMustHappenMs));
    AsyncLaunch second(Helper(L"--record " + Quoted(secondIds) + L" --signal " + secondReady.Name() +
                              L" --wait-event " + secondRelease.Name()));
    struct SecondCleanup {
        const NamedEvent& release;
        std::wstring ids;
        ~SecondCleanup() {
            release.Set();
            EndRecordedProcesses(ids);
        }
    } secondCleanup{secondRelease, secondIds};
    // The second uninstaller is not even started while the first one runs.
    EXPECT_FALSE(secondReady.WaitFor(kTwoPassesMs));
    m_release.Set();
    ASSERT_TRUE(first.Returned(kMustHappenMs));
    ASSERT_TRUE(secondReady.WaitFor(kMustHappenMs));
    EXPECT_FALSE(second.Returned(kTwoPassesMs));
    secondRelease.Set();
    ASSERT_TRUE(second.Returned(kMustHappenMs));
    EXPECT_TRUE(first.Result());
    EXPECT_TRUE(second.Result());
}

struct NsisCase {
    const char* name;
    const wchar_t* fixture; // fixtures\<fixture>.exe
    const wchar_t* appKey;  // its Uninstall subkey and folder name
};

// An NSIS program of this test, installed in the 64-bit view and removed again at the end.
class NsisUninstallTest : public ::testing::TestWithParam<NsisCase> {
protected:
    std::wstring Key() const {
        return std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + GetParam().appKey;
    }
    std::wstring Folder() const { return std::wstring(L"C:\\Program Files\\") + GetParam().appKey + L"\\"; }
    bool KeyExists() const {
        UniqueHkey key;
        return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Key().c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.Put()) ==
               ERROR_SUCCESS;
    }
    std::wstring UninstallString() const {
        UniqueHkey key;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Key().c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.Put()) !=
            ERROR_SUCCESS)
            return std::wstring();
        wchar_t value[1024]{};
        DWORD size = sizeof(value) - sizeof(wchar_t);
        DWORD type = 0;
        if (::RegQueryValueExW(key.Get(), L"UninstallString", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
                ERROR_SUCCESS ||
            type != REG_SZ)
            return std::wstring();
        return value;
    }
    void TearDown() override {
        if (KeyExists())
            (void)::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, Key().c_str(), KEY_WOW64_64KEY, 0);
        for (const std::wstring& file :
             {std::wstring(L"readme.txt"), std::wstring(L"uninst.exe"), std::wstring(GetParam().appKey) + L".exe"})
            (void)::DeleteFileW((Folder() + file).c_str());
        (void)::RemoveDirectoryW(Folder().c_str());
    }
};

TEST_P(NsisUninstallTest, KeyIsGoneWhenTheLaunchReturns) {
    const std::wstring installer = std::wstring(TSU_TEST_BIN_DIR) + L"\\..\\fixtures\\" + GetParam().fixture + L".exe";
    ASSERT_EQ(RunToEnd(Quoted(installer)), 0u);
    ASSERT_TRUE(KeyExists());
    std::wstring command = UninstallString();
    ASSERT_EQ(command, Quoted(Folder() + L"uninst.exe"));
    ASSERT_TRUE(LaunchUninstaller(command));
    EXPECT_FALSE(KeyExists());
    EXPECT_FALSE(FileExists(Folder() + L"readme.txt"));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, NsisUninstallTest,
                         ::testing::Values(
                             // The uninstaller copies itself to %TEMP%, starts the copy and exits at once: only
                             // following the copy tells when the work is done.
                             NsisCase{"CopyInTemp", L"fixture_process_nsis", L"TsuProcessLaunchSample"},
                             // The copy starts a helper and ends, the helper starts the worker and ends, each within
                             // milliseconds; the worker removes the program seconds later.
                             NsisCase{"HelperStartsTheWorker", L"fixture_handoff_nsis", L"TsuHandoffLaunchSample"}),
                         [](const ::testing::TestParamInfo<NsisCase>& info) { return info.param.name; });

} // namespace
} // namespace tsu
