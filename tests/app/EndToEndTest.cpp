// The real TarrowSoftwareUninstall.exe and tsu.exe under Wine, driven from outside: start-up
// failures with their log lines, planted libraries, the new-version prompt, the self-removal that
// keeps the user's files, and the program list with real NSIS and MSI programs, one of them
// uninstalled through its row's "卸载".

#include "framework/ScopedHandles.h"
#include "framework/StartupHardening.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/common/TestProcess.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <optional>

namespace tsu {
namespace {

using test::FeedbackKind;

// The real executable, copied with a feedback library into a scratch folder and driven from
// outside: windows found by control id, buttons pressed with messages across the process boundary.
class ToolProcess {
public:
    ToolProcess(const std::wstring& name, FeedbackKind library,
                const std::wstring& programName = L"TarrowSoftwareUninstall.exe")
        : m_folder(test::MakeFeedbackFolder(name, library)), m_program(m_folder + programName) {
        ::CopyFileW((test::BinDir() + L"TarrowSoftwareUninstall.exe").c_str(), m_program.c_str(), FALSE);
    }
    ~ToolProcess() {
        if (m_process && ::WaitForSingleObject(m_process.Get(), 0) != WAIT_OBJECT_0)
            ::TerminateProcess(m_process.Get(), 99);
        ::WaitForSingleObject(m_process.Get(), 5000);
    }
    const std::wstring& Folder() const { return m_folder; }
    const std::wstring& ProgramPath() const { return m_program; }
    bool Start() {
        const test::ScopedCurrentFolder inFolder(m_folder); // started from its own folder
        m_process = test::StartProcess(test::Quoted(m_program), &m_processId);
        return static_cast<bool>(m_process);
    }
    std::optional<DWORD> WaitForExit() {
        DWORD code = 0;
        if (::WaitForSingleObject(m_process.Get(), test::kMustHappenMs) != WAIT_OBJECT_0 ||
            !::GetExitCodeProcess(m_process.Get(), &code))
            return std::nullopt;
        return code;
    }
    HANDLE Process() const { return m_process.Get(); }
    // The first visible window of the tool with this control id (any depth), or null.
    HWND FindControl(UINT id) const {
        std::tuple<DWORD, UINT, HWND> search{m_processId, id, nullptr};
        ::EnumWindows(
            [](HWND top, LPARAM lp) -> BOOL {
                auto& [processId, wanted, found] = *reinterpret_cast<std::tuple<DWORD, UINT, HWND>*>(lp);
                DWORD owner = 0;
                ::GetWindowThreadProcessId(top, &owner);
                if (owner == processId && ::IsWindowVisible(top))
                    ::EnumChildWindows(
                        top,
                        [](HWND hwnd, LPARAM lp2) -> BOOL {
                            auto& [unused, id2, found2] = *reinterpret_cast<std::tuple<DWORD, UINT, HWND>*>(lp2);
                            if (static_cast<UINT>(::GetDlgCtrlID(hwnd)) == id2 && ::IsWindowVisible(hwnd))
                                found2 = hwnd;
                            return found2 == nullptr;
                        },
                        lp);
                return found == nullptr;
            },
            reinterpret_cast<LPARAM>(&search));
        return std::get<2>(search);
    }
    // Waits while the tool runs until condition holds; a window appearing in another process
    // announces itself to nobody, so it is looked for every 50 ms.
    bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = test::kMustHappenMs) {
        for (const DWORD start = ::GetTickCount(); !condition();) {
            if (::GetTickCount() - start > timeoutMs)
                return false;
            if (::WaitForSingleObject(m_process.Get(), 50) == WAIT_OBJECT_0)
                return condition();
        }
        return true;
    }
    HWND WaitForControl(UINT id) {
        HWND found = nullptr;
        (void)WaitUntil([&] { return (found = FindControl(id)) != nullptr; });
        return found;
    }
    std::wstring PromptText() const {
        HWND message = FindControl(IDC_PROMPT_MESSAGE);
        return message ? TextOf(message) : std::wstring();
    }
    static void Press(HWND control) {
        ::PostMessageW(::GetParent(control), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), BN_CLICKED),
                       reinterpret_cast<LPARAM>(control));
    }
    static std::wstring TextOf(HWND window) {
        wchar_t text[512] = {};
        DWORD_PTR copied = 0;
        return ::SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                                     &copied)
                   ? std::wstring(text, wcsnlen(text, 512))
                   : std::wstring();
    }
    // Waits until every child process of the tool (its browser, its self-removal) has ended.
    bool WaitForChildren() const {
        UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        bool found = false, ended = true;
        for (BOOL more = snapshot && ::Process32FirstW(snapshot.Get(), &entry); more;
             more = ::Process32NextW(snapshot.Get(), &entry)) {
            const UniqueHandle child(entry.th32ParentProcessID == m_processId
                                         ? ::OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID)
                                         : nullptr);
            found = found || static_cast<bool>(child);
            ended = ended && (!child || ::WaitForSingleObject(child.Get(), 20000) == WAIT_OBJECT_0);
        }
        return found && ended;
    }

private:
    std::wstring m_folder;
    std::wstring m_program;
    UniqueHandle m_process;
    DWORD m_processId = 0;
};

size_t CountOf(const std::wstring& text, const std::wstring& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// A start-up that must fail: the prompt's text, a new log line written before the prompt shows,
// exit code 0 once confirmed, and nothing of the tool removed.
void ExpectStartupFailure(ToolProcess& tool, const std::wstring& logLine, const std::wstring& promptText,
                          const std::wstring& screenshot = L"") {
    const size_t linesBefore = CountOf(test::ToolLogText(), logLine);
    ASSERT_TRUE(tool.Start());
    ASSERT_TRUE(tool.WaitUntil([&] { return !tool.PromptText().empty(); })) << "no prompt";
    EXPECT_EQ(tool.PromptText(), promptText);
    EXPECT_EQ(CountOf(test::ToolLogText(), logLine), linesBefore + 1);
    if (!screenshot.empty())
        test::SaveWindowAreaPng(::GetAncestor(tool.FindControl(IDC_PROMPT_MESSAGE), GA_ROOT), screenshot);
    EXPECT_FALSE(tool.FindControl(IDC_START_BUTTON)) << "the start page must not show";
    ToolProcess::Press(tool.FindControl(IDC_PROMPT_FIRST));
    EXPECT_EQ(tool.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_TRUE(test::FileExists(tool.ProgramPath()));
}

TEST(ToolStart, ABrokenFeedbackLibraryEndsTheStart) {
    const struct {
        const wchar_t* name;
        FeedbackKind kind;
        int init;
        const wchar_t* logLine;
        const wchar_t* screenshot;
    } cases[] = {{L"e2e-no-library", FeedbackKind::None, 1, L"工具初始化失败7", L"prompt_startup_failure"},
                 {L"e2e-partial-library", FeedbackKind::FakePartial, 1, L"工具初始化失败7", L""},
                 {L"e2e-init-zero", FeedbackKind::FakeFull, 0, L"工具初始化失败6", L""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.logLine);
        ToolProcess tool(c.name, c.kind);
        test::ConfigureFakeFeedback(tool.Folder() + L"calls.txt", c.init, 1);
        ExpectStartupFailure(tool, c.logLine, L"工具初始化失败", c.screenshot);
    }
    test::ConfigureFakeFeedback(L"", 1, 1);
}

TEST(ToolStart, WindowsVistaIsNotSupported) {
    // Wine reports the version of the settings for this program's name.
    const std::wstring program = L"TarrowSoftwareUninstallVista.exe";
    test::ScratchKey appDefaults(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\" + program);
    ASSERT_TRUE(appDefaults.SetString(L"", L"Version", L"vista"));
    test::UseUnmanagedWindows(program);
    ToolProcess tool(L"e2e-vista", FeedbackKind::Real, program);
    ExpectStartupFailure(tool, L"获取当前系统是否支持失败2", L"此工具不支持当前系统", L"prompt_unsupported_system");
}

// Libraries named like system ones (riched20, gdiplus), planted beside the tool and tsu in the
// folder they are started from: only the system's copies are loaded.
TEST(ToolStart, LibrariesPlantedBesideTheProgramsAreNeverLoaded) {
    const std::wstring programName = test::UniqueName(L"PlantedLibraryTool") + L".exe";
    const std::wstring tsuName = test::UniqueName(L"PlantedLibraryTsu") + L".exe";
    ToolProcess tool(L"e2e-planted-library", FeedbackKind::None, programName);
    ASSERT_TRUE(test::CopyProgram(test::BinDir() + L"tsu.exe", tool.Folder() + tsuName));
    // Wine otherwise runs its own copy of a system library for any file of that name it finds;
    // with these overrides a planted library that is found really runs, as on Windows.
    const wchar_t* const libraries[] = {L"riched20", L"gdiplus"};
    test::ScratchKey toolDefaults(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\" + programName);
    test::ScratchKey tsuDefaults(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\" + tsuName);
    for (const wchar_t* library : libraries) {
        for (test::ScratchKey* defaults : {&toolDefaults, &tsuDefaults})
            ASSERT_TRUE(defaults->SetString(L"DllOverrides", library, L"native,builtin"));
        ASSERT_TRUE(::CopyFileW((test::BinDir() + L"planted\\riched20.dll").c_str(),
                                (tool.Folder() + library + L".dll").c_str(), FALSE));
    }
    ExpectStartupFailure(tool, L"工具初始化失败7", L"工具初始化失败");
    test::ProcessResult listed;
    {
        const test::ScopedCurrentFolder inToolFolder(tool.Folder());
        ASSERT_TRUE(inToolFolder.Changed());
        listed = test::RunProcess(test::Quoted(tool.Folder() + tsuName) + L" list --pictures"); // GDI+
    }
    EXPECT_EQ(listed.exitCode, 0u);
    for (const wchar_t* library : libraries)
        EXPECT_FALSE(test::FileExists(tool.Folder() + library + L".dll.loaded")) << library;
}

// tsu works from the system folder: the uninstaller it starts finds that as its current folder,
// not the folder tsu was started from.
TEST(ToolStart, TsuWorksFromTheSystemFolderWhereverItIsStarted) {
    const test::ScratchFolder folder(L"e2e_tsu_folder");
    ASSERT_TRUE(test::CopyProgram(test::BinDir() + L"tsu.exe", folder.File(L"tsu.exe")));
    ASSERT_TRUE(test::CopyProgram(test::HelperPath(), folder.File(L"un.exe")));
    const std::wstring name = test::UniqueName(L"Tsu E2E Folder");
    test::ScratchKey key(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
                                                test::UniqueName(L"TsuE2EFolder"));
    ASSERT_TRUE(key.SetString(L"", L"DisplayName", name));
    ASSERT_TRUE(key.SetString(L"", L"UninstallString", test::Quoted(folder.File(L"un.exe"))));
    const test::ScopedEnvironmentVariable args(L"TSU_HELPER_ARGS", L"--cwd " + test::Quoted(folder.File(L"cwd.txt")));
    const test::ScopedCurrentFolder inFolder(folder.Path());
    ASSERT_TRUE(inFolder.Changed());
    ASSERT_TRUE(test::RunProcess(test::Quoted(folder.File(L"tsu.exe")) + L" uninstall " + test::Quoted(name)).started);
    EXPECT_EQ(test::ReadUtf16File(folder.File(L"cwd.txt")), SystemFolder());
}

TEST(ToolStart, AnnouncedNewerVersionShowsTheDownloadPromptOpensTheDownloadAndExits) {
    ToolProcess tool(L"e2e-new-version", FeedbackKind::Real);
    const std::wstring mark = tool.Folder() + L"browser-started";
    // The "browser" is the process helper, which creates the mark file.
    const std::wstring helper = test::HelperPath();
    ASSERT_TRUE(test::WriteFileBytes(tool.Folder() + L"VeltorFeedbackInformation.ini",
                                     "[Update]\r\nLatestVersion=1.0.21.0\r\nDownloadUrl=https://dl.example/tool.zip\r\n"
                                     "[Browser]\r\nProgram=" +
                                         std::string(helper.begin(), helper.end()) + "\r\n"));
    const test::ScopedEnvironmentVariable args(L"TSU_HELPER_ARGS", L"--mark " + test::Quoted(mark));
    ASSERT_TRUE(tool.Start());
    ASSERT_TRUE(tool.WaitUntil([&] { return !tool.PromptText().empty(); }));
    EXPECT_EQ(tool.PromptText(), L"检测到当前工具有新的版本更新，请下载最新版本使用。");
    test::SaveWindowAreaPng(::GetAncestor(tool.FindControl(IDC_PROMPT_MESSAGE), GA_ROOT), L"prompt_new_version");
    ToolProcess::Press(tool.FindControl(IDC_PROMPT_FIRST));
    EXPECT_EQ(tool.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_TRUE(test::FileExists(tool.ProgramPath())); // ended through exit: nothing removed
    (void)tool.WaitForChildren();                      // the browser may still be starting
    EXPECT_TRUE(test::FileExists(mark));
}

// Closes the tool through the function page's close button and the closing question.
void CloseFromList(ToolProcess& tool, HWND close) {
    ToolProcess::Press(close);
    HWND questionClose = tool.WaitForControl(IDC_FEEDBACK_CLOSE);
    ASSERT_NE(questionClose, nullptr);
    ToolProcess::Press(questionClose);
}

// Runs the tool with an uninstall entry showing Notepad's icon, so that loading the list writes at
// least "Image\0.png", closes it and waits until its self-removal has finished.
void RunAndClose(ToolProcess& tool, const std::wstring& feedbackLog) {
    test::ScratchKey entry(HKEY_CURRENT_USER,
                           L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TsuSelfRemovalPicture");
    ASSERT_TRUE(entry.SetString(L"", L"DisplayName", L"Tsu Self Removal Picture"));
    ASSERT_TRUE(entry.SetString(L"", L"UninstallString", test::Quoted(tool.ProgramPath())));
    ASSERT_TRUE(entry.SetString(L"", L"DisplayIcon", test::SystemFolderPath() + L"\\notepad.exe"));
    ASSERT_TRUE(tool.Start());
    HWND start = tool.WaitForControl(IDC_START_BUTTON);
    ASSERT_NE(start, nullptr);
    // Odd answers of the version check change nothing: the start page stays.
    ASSERT_TRUE(tool.WaitUntil([&] { return test::ReadFakeFeedbackLog(feedbackLog).size() >= 2; }));
    EXPECT_TRUE(tool.PromptText().empty());
    ToolProcess::Press(start);
    HWND close = tool.WaitForControl(IDC_FUNCTION_CLOSE);
    ASSERT_NE(close, nullptr) << "the list did not show";
    EXPECT_TRUE(test::FileExists(tool.Folder() + L"Image\\0.png")) << "no picture was written";
    CloseFromList(tool, close);
    EXPECT_EQ(tool.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_TRUE(tool.WaitForChildren()) << "no self-removal was started, or it did not end";
}

TEST(SelfRemoval, OnlyTheToolsOwnFilesGoAndTheUsersFilesStay) {
    ToolProcess tool(L"e2e-self-removal-shared", FeedbackKind::FakeFull);
    const std::wstring log = tool.Folder() + L"calls.txt";
    test::ConfigureFakeFeedback(log, 1, 4);
    ProductIconMap icons;
    SoftwareMap installed;
    ASSERT_EQ(RunInventorySequence(icons, installed), InventoryResult::Loaded);
    // A numbered picture past any number this run's pictures can have: the user's, not the tool's.
    const std::wstring numbered = L"Image\\" + std::to_wstring(installed.size() + 7) + L".png";
    ::CreateDirectoryW((tool.Folder() + L"Image").c_str(), nullptr);
    for (const std::wstring& file : {std::wstring(L"my notes.txt"), std::wstring(L"Image\\holiday.png"), numbered})
        ASSERT_TRUE(test::WriteFileBytes(tool.Folder() + file, "the user's own"));
    RunAndClose(tool, log);
    for (const std::wstring& file : {std::wstring(L"TarrowSoftwareUninstall.exe"),
                                     std::wstring(L"VeltorFeedbackInformation.dll"), std::wstring(L"Image\\0.png")})
        EXPECT_FALSE(test::FileExists(tool.Folder() + file)) << file;
    for (const std::wstring& file : {std::wstring(L"my notes.txt"), std::wstring(L"Image\\holiday.png"), numbered})
        EXPECT_TRUE(test::FileExists(tool.Folder() + file)) << file;
    test::RemoveTree(tool.Folder());
}

TEST(SelfRemoval, AFolderWithNothingElseIsRemovedWhole) {
    ToolProcess tool(L"e2e-self-removal-own (1)", FeedbackKind::FakeFull);
    // The stand-in's call log lives elsewhere: the folder holds only the tool's files and pictures.
    const std::wstring log = test::MakeScratchFolder(L"e2e-self-removal-log") + L"calls.txt";
    test::ConfigureFakeFeedback(log, 1, 2);
    RunAndClose(tool, log);
    EXPECT_EQ(::GetFileAttributesW(tool.Folder().c_str()), INVALID_FILE_ATTRIBUTES) << "folder still there";
}

// Real programs installed in the prefix, shown and removed by the real tool. Their names start with
// "!", so their rows come first.
TEST(ProgramList, StartListsTheInstalledProgramsAndARowsUninstallRemovesItsProgram) {
    const std::wstring nsisKey = L"TsuAppE2ENsis";
    test::RemoveNsisLeftovers(nsisKey);
    ASSERT_TRUE(test::InstallNsisFixture(L"fixture_app_e2e_nsis"));
    ASSERT_TRUE(test::InstallMsiFixture(L"fixture_app_e2e_msi"));
    ProductIconMap icons;
    SoftwareMap installed;
    ASSERT_EQ(RunInventorySequence(icons, installed), InventoryResult::Loaded);
    ASSERT_GE(installed.size(), 2u);
    ASSERT_EQ(installed.begin()->first, L"!Tsu E2E MSI");
    ASSERT_EQ(std::next(installed.begin())->first, L"!Tsu E2E NSIS");

    ToolProcess tool(L"e2e-program-list", FeedbackKind::Real);
    ASSERT_TRUE(tool.Start());
    HWND start = tool.WaitForControl(IDC_START_BUTTON);
    ASSERT_NE(start, nullptr);
    ToolProcess::Press(start);
    HWND count = tool.WaitForControl(IDC_FOUND_COUNT);
    ASSERT_NE(count, nullptr) << "the list did not show";
    EXPECT_EQ(ToolProcess::TextOf(count), std::to_wstring(installed.size()));
    HWND mainWindow = ::GetWindow(::GetAncestor(count, GA_ROOT), GW_OWNER);
    const auto screenshot = [&](const wchar_t* name) {
        (void)::WaitForInputIdle(tool.Process(), 5000); // painted
        test::SaveWindowAreaPng(mainWindow, name);
    };
    screenshot(L"e2e_program_list");
    // The NSIS program's "卸载", clicked where the list draws it: the operation column is the last
    // 120 pixels of the columns, which end 20 pixels short of the list's width; rows are 40 high.
    HWND list = tool.FindControl(IDC_SOFTWARE_LIST);
    ASSERT_NE(list, nullptr);
    RECT client{}, header{};
    ::GetClientRect(list, &client);
    ::GetWindowRect(::GetDlgItem(list, 101), &header);
    ::MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&header), 2);
    const LPARAM at = MAKELPARAM(client.right - 80, header.bottom + 1 * 40 + 20);
    ::PostMessageW(list, WM_MOUSEMOVE, 0, at);
    ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(list, WM_LBUTTONUP, 0, at);
    screenshot(L"e2e_row_uninstalling");
    ASSERT_TRUE(tool.WaitUntil([&] {
        return !test::UninstallKeyExists(HKEY_LOCAL_MACHINE,
                                         L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + nsisKey);
    })) << "the program's key is still there";
    // The row goes once the engine's watcher lets it, and the count drops with it.
    EXPECT_TRUE(tool.WaitUntil([&] { return ToolProcess::TextOf(count) == std::to_wstring(installed.size() - 1); }));
    screenshot(L"e2e_row_removed");
    EXPECT_FALSE(test::FileExists(L"C:\\Program Files\\" + nsisKey));
    // The MSI program stays (its uninstaller asks in a window nobody answers here); removed below.
    EXPECT_TRUE(test::FindInstalled(L"!Tsu E2E MSI").has_value());
    CloseFromList(tool, tool.FindControl(IDC_FUNCTION_CLOSE));
    EXPECT_TRUE(tool.WaitForExit().has_value());
    test::RemoveNsisLeftovers(nsisKey);
    EXPECT_EQ(test::RunProcess(test::Quoted(test::SystemFolderPath() + L"\\msiexec.exe") +
                               L" /x {6B1F3C2A-9D4E-4F5A-8B7C-2D3E4F5A6B71} /qn")
                  .exitCode,
              0u);
}

} // namespace
} // namespace tsu
