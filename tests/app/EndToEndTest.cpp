// The real TarrowSoftwareUninstall.exe under Wine, driven from outside: start-up failures with
// their log lines and exit code, the new-version prompt, the self-removal that keeps the user's
// files, and the program list with real NSIS and MSI programs installed in the prefix, one of them
// uninstalled through its row's "卸载".

#include "framework/Encoding.h"
#include "framework/StartupHardening.h"
#include "inventory/InventorySequence.h"
#include "tests/app/ToolProcess.h"
#include "tests/common/ProcessTestSupport.h"
#include "tests/common/ScratchKey.h"
#include "tests/common/TestProcess.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

using test::FeedbackKind;
using test::ToolProcess;

constexpr DWORD kStartMs = 30000;
constexpr UINT kPromptFirst = 1007;
constexpr UINT kStartButton = 1014;
constexpr UINT kStartPageClose = 1005;
constexpr UINT kFunctionPageClose = 1018;
constexpr UINT kTabs = 1020;
constexpr UINT kCount = 1023;
constexpr UINT kList = 1026;

size_t CountOf(const std::wstring& text, const std::wstring& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// A start-up that must fail: the prompt's text, a new log line, exit code 0 once confirmed.
void ExpectStartupFailure(ToolProcess& tool, const std::wstring& logLine, const std::wstring& promptText,
                          const std::wstring& screenshot) {
    const size_t linesBefore = CountOf(test::ToolLogText(), logLine);
    ASSERT_TRUE(tool.Start());
    ASSERT_TRUE(tool.WaitUntil([&] { return !tool.PromptText().empty(); }, kStartMs)) << "no prompt";
    EXPECT_EQ(tool.PromptText(), promptText);
    // The line is in the log before the user sees the prompt.
    EXPECT_EQ(CountOf(test::ToolLogText(), logLine), linesBefore + 1);
    if (!screenshot.empty())
        test::SaveWindowAreaPng(::GetAncestor(tool.FindPrompt(), GA_ROOT), screenshot);
    EXPECT_FALSE(tool.FindControl(kStartButton)) << "the start page must not show";
    tool.PressPromptButton(kPromptFirst);
    const std::optional<DWORD> code = tool.WaitForExit(kStartMs);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0u);
    // Ended through exit: nothing of the tool was removed.
    EXPECT_TRUE(test::FileExists(tool.ProgramPath()));
}

TEST(ToolStart, MissingFeedbackLibraryEndsWithFailureSeven) {
    ToolProcess tool(L"e2e-no-library", FeedbackKind::None);
    ExpectStartupFailure(tool, L"工具初始化失败7", L"工具初始化失败", L"prompt_startup_failure");
}

// A library named like the system's rich-edit library, planted beside the tool, which is also
// the folder it is started from: the tool loads that library before its start-up checks, and
// only the system's copy.
TEST(ToolStart, LibraryPlantedBesideTheToolIsNeverLoaded) {
    const std::wstring programName = test::UniqueName(L"PlantedLibraryTool") + L".exe";
    const std::wstring tsuName = test::UniqueName(L"PlantedLibraryTsu") + L".exe";
    ToolProcess tool(L"e2e-planted-library", FeedbackKind::None, programName);
    ASSERT_TRUE(test::CopyProgram(test::BinDir() + L"tsu.exe", tool.Folder() + tsuName));
    // Wine otherwise runs its own copy of a system library for any file of that name it finds (and
    // only reports the planted path); with these, a planted library that is found really runs, as
    // on Windows. riched20 is loaded late by the window program, gdiplus by both at first use.
    const wchar_t* const libraries[] = {L"riched20", L"gdiplus"};
    test::ScratchKey toolDefaults(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\" + programName);
    test::ScratchKey tsuDefaults(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\" + tsuName);
    for (test::ScratchKey* defaults : {&toolDefaults, &tsuDefaults}) {
        ASSERT_TRUE(defaults->CreateSubkey(L"DllOverrides"));
        for (const wchar_t* library : libraries)
            ASSERT_TRUE(defaults->SetString(L"DllOverrides", library, L"native,builtin"));
    }
    for (const wchar_t* library : libraries)
        ASSERT_TRUE(::CopyFileW((test::BinDir() + L"planted\\riched20.dll").c_str(),
                                (tool.Folder() + library + L".dll").c_str(), FALSE));
    ExpectStartupFailure(tool, L"工具初始化失败7", L"工具初始化失败", L"");
    // tsu makes its pictures with GDI+; started from the folder that holds the planted libraries.
    test::ProcessResult listed;
    {
        const test::ScopedCurrentFolder inToolFolder(tool.Folder());
        ASSERT_TRUE(inToolFolder.Changed());
        listed = test::RunProcess(test::Quoted(tool.Folder() + tsuName) + L" list --pictures");
    }
    EXPECT_EQ(listed.exitCode, 0u);
    for (const wchar_t* library : libraries)
        EXPECT_FALSE(test::FileExists(tool.Folder() + library + L".dll.loaded")) << library;
}

// tsu.exe started from a folder of its own: it works from the system folder, so the uninstaller
// it starts finds that as its current folder, not the folder tsu was started from.
TEST(ToolStart, TsuWorksFromTheSystemFolderWhereverItIsStarted) {
    const test::ScratchFolder folder(L"e2e_tsu_folder");
    const std::wstring uninstaller = folder.File(L"un.exe");
    const std::wstring seen = folder.File(L"cwd.txt");
    ASSERT_TRUE(test::CopyProgram(test::BinDir() + L"tsu.exe", folder.File(L"tsu.exe")));
    ASSERT_TRUE(test::CopyProgram(test::HelperPath(), uninstaller));
    const std::wstring name = test::UniqueName(L"Tsu E2E Folder");
    test::ScratchKey key(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
                                                test::UniqueName(L"TsuE2EFolder"));
    ASSERT_TRUE(key.SetString(L"", L"DisplayName", name));
    ASSERT_TRUE(key.SetString(L"", L"UninstallString", test::Quoted(uninstaller)));
    const test::ScopedEnvironmentVariable args(L"TSU_HELPER_ARGS", L"--cwd " + test::Quoted(seen));
    test::ProcessResult result;
    {
        const test::ScopedCurrentFolder inFolder(folder.Path());
        ASSERT_TRUE(inFolder.Changed());
        result = test::RunProcess(test::Quoted(folder.File(L"tsu.exe")) + L" uninstall " + test::Quoted(name));
    }
    ASSERT_TRUE(result.started);
    EXPECT_EQ(test::ReadUtf16File(seen), SystemFolder());
}

TEST(ToolStart, LibraryWithoutOneEntryPointEndsWithFailureSeven) {
    ToolProcess tool(L"e2e-partial-library", FeedbackKind::FakePartial);
    ExpectStartupFailure(tool, L"工具初始化失败7", L"工具初始化失败", L"");
}

TEST(ToolStart, LibraryThatRefusesToInitialiseEndsWithFailureSix) {
    ToolProcess tool(L"e2e-init-zero", FeedbackKind::FakeFull);
    test::ConfigureFakeFeedback(tool.Folder() + L"calls.txt", 0, 1);
    ExpectStartupFailure(tool, L"工具初始化失败6", L"工具初始化失败", L"");
    test::ConfigureFakeFeedback(tool.Folder() + L"calls.txt", 1, 1);
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

TEST(ToolStart, AnnouncedNewerVersionShowsTheDownloadPromptOpensTheDownloadAndExits) {
    ToolProcess tool(L"e2e-new-version", FeedbackKind::Real);
    const std::wstring mark = tool.Folder() + L"browser-started";
    // The "browser" is the process helper, which creates the mark file (TSU_HELPER_ARGS).
    std::string helper;
    for (wchar_t c : test::HelperPath())
        helper.push_back(static_cast<char>(c));
    ASSERT_TRUE(tool.WriteFile(L"VeltorFeedbackInformation.ini",
                               "[Update]\r\nLatestVersion=1.0.21.0\r\nDownloadUrl=https://dl.example/tool.zip\r\n"
                               "[Browser]\r\nProgram=" +
                                   helper + "\r\n"));
    std::wstring markArgument = L"--mark \"" + mark + L"\"";
    ::SetEnvironmentVariableW(L"TSU_HELPER_ARGS", markArgument.c_str());
    ASSERT_TRUE(tool.Start());
    ASSERT_TRUE(tool.WaitUntil([&] { return !tool.PromptText().empty(); }, kStartMs));
    EXPECT_EQ(tool.PromptText(), L"检测到当前工具有新的版本更新，请下载最新版本使用。");
    test::SaveWindowAreaPng(::GetAncestor(tool.FindPrompt(), GA_ROOT), L"prompt_new_version");
    tool.PressPromptButton(kPromptFirst);
    const std::optional<DWORD> code = tool.WaitForExit(kStartMs);
    ::SetEnvironmentVariableW(L"TSU_HELPER_ARGS", nullptr);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0u);
    EXPECT_TRUE(test::FileExists(tool.ProgramPath())); // ended through exit: nothing removed
    // The download address went to the browser (which may still be starting).
    std::vector<UniqueHandle> browsers = test::ChildProcessesOf(tool.ProcessId());
    for (const UniqueHandle& browser : browsers)
        ::WaitForSingleObject(browser.Get(), 10000);
    EXPECT_TRUE(test::FileExists(mark));
}

// An uninstall entry with Notepad's icon: loading the list then writes at least one picture,
// "Image\0.png".
void WritePictureEntry(test::ScratchKey& key, const ToolProcess& tool) {
    ASSERT_TRUE(key.SetString(L"", L"DisplayName", L"Tsu Self Removal Picture"));
    ASSERT_TRUE(key.SetString(L"", L"UninstallString", L"\"" + tool.ProgramPath() + L"\""));
    ASSERT_TRUE(key.SetString(L"", L"DisplayIcon", test::SystemFolderPath() + L"\\notepad.exe"));
}
constexpr wchar_t kPictureEntryKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TsuSelfRemovalPicture";

// Presses "开始运行" and waits for the list, whose picture pass has run by then; the function
// page's close button, or null.
HWND LoadList(ToolProcess& tool) {
    ToolProcess::Press(tool.FindControl(kStartButton));
    if (!tool.WaitForControl(kTabs, kStartMs))
        return nullptr;
    return tool.WaitForControl(kFunctionPageClose, kStartMs);
}

// Starts the tool, waits for the start page, loads the list, closes it through its close button
// and the closing question, and waits until the self-removal's command interpreter has finished.
void RunAndCloseNormally(ToolProcess& tool) {
    ASSERT_TRUE(tool.Start());
    HWND close = tool.WaitForControl(kStartPageClose, kStartMs);
    ASSERT_NE(close, nullptr);
    // Odd answers of the version check change nothing: the start page stays.
    ASSERT_TRUE(tool.WaitUntil(
        [&] {
            return !test::ReadFakeFeedbackLog(tool.Folder() + L"calls.txt").empty() &&
                   test::ReadFakeFeedbackLog(tool.Folder() + L"calls.txt").size() >= 2;
        },
        kStartMs));
    EXPECT_TRUE(tool.PromptText().empty());
    close = LoadList(tool);
    ASSERT_NE(close, nullptr) << "the list did not show";
    EXPECT_TRUE(test::FileExists(tool.Folder() + L"Image\\0.png")) << "no picture was written";
    ToolProcess::Press(close);
    ASSERT_TRUE(tool.AnswerFeedbackQuestion(kStartMs));
    const std::optional<DWORD> code = tool.WaitForExit(kStartMs);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0u);
    std::vector<UniqueHandle> interpreters = test::ChildProcessesOf(tool.ProcessId());
    ASSERT_FALSE(interpreters.empty()) << "no self-removal was started";
    for (const UniqueHandle& interpreter : interpreters)
        EXPECT_EQ(::WaitForSingleObject(interpreter.Get(), 20000), WAIT_OBJECT_0);
}

TEST(SelfRemoval, OnlyTheToolsOwnFilesGoAndTheUsersFilesStay) {
    ToolProcess tool(L"e2e-self-removal-shared", FeedbackKind::FakeFull);
    test::ConfigureFakeFeedback(tool.Folder() + L"calls.txt", 1, 4);
    test::ScratchKey entry(HKEY_CURRENT_USER, kPictureEntryKey);
    WritePictureEntry(entry, tool);
    ProductIconMap icons;
    SoftwareMap installed;
    ASSERT_EQ(RunInventorySequence(icons, installed), InventoryResult::Loaded);
    ASSERT_TRUE(tool.WriteFile(L"my notes.txt", "the user's own file"));
    ASSERT_TRUE(tool.WriteFile(L"Image\\holiday.png", "the user's own picture"));
    // A numbered picture past any number this run's pictures can have: the user's, not the tool's.
    const std::wstring numbered = L"Image\\" + std::to_wstring(installed.size() + 7) + L".png";
    ASSERT_TRUE(tool.WriteFile(numbered, "the user's own numbered picture"));
    RunAndCloseNormally(tool);
    EXPECT_FALSE(test::FileExists(tool.ProgramPath()));
    EXPECT_FALSE(test::FileExists(tool.Folder() + L"VeltorFeedbackInformation.dll"));
    EXPECT_FALSE(test::FileExists(tool.Folder() + L"Image\\0.png"));
    EXPECT_TRUE(test::FileExists(tool.Folder() + L"my notes.txt"));
    EXPECT_TRUE(test::FileExists(tool.Folder() + L"Image\\holiday.png"));
    EXPECT_TRUE(test::FileExists(tool.Folder() + numbered));
    test::RemoveTree(tool.Folder());
}

TEST(SelfRemoval, AFolderWithNothingElseIsRemovedWhole) {
    ToolProcess tool(L"e2e-self-removal-own (1)", FeedbackKind::FakeFull);
    const std::wstring log = test::MakeScratchFolder(L"e2e-self-removal-log") + L"calls.txt";
    test::ConfigureFakeFeedback(log, 1, 2);
    // The stand-in's call log lives elsewhere, so the tool's folder holds only the tool's files
    // and the pictures of the list.
    test::ScratchKey entry(HKEY_CURRENT_USER, kPictureEntryKey);
    WritePictureEntry(entry, tool);
    ASSERT_TRUE(tool.Start());
    ASSERT_NE(tool.WaitForControl(kStartPageClose, kStartMs), nullptr);
    HWND close = LoadList(tool);
    ASSERT_NE(close, nullptr) << "the list did not show";
    ASSERT_TRUE(test::FileExists(tool.Folder() + L"Image\\0.png"));
    ToolProcess::Press(close);
    ASSERT_TRUE(tool.AnswerFeedbackQuestion(kStartMs));
    ASSERT_TRUE(tool.WaitForExit(kStartMs).has_value());
    for (const UniqueHandle& interpreter : test::ChildProcessesOf(tool.ProcessId()))
        EXPECT_EQ(::WaitForSingleObject(interpreter.Get(), 20000), WAIT_OBJECT_0);
    EXPECT_EQ(::GetFileAttributesW(tool.Folder().c_str()), INVALID_FILE_ATTRIBUTES) << "folder still there";
}

// Real programs installed in the prefix, shown and removed by the real tool. The rows of these
// programs come first (their names start with "!"), so their places in the list are known.
class ProgramList : public ::testing::Test {
protected:
    static constexpr wchar_t kNsisName[] = L"!Tsu E2E NSIS";
    static constexpr wchar_t kNsisKey[] = L"TsuAppE2ENsis";
    static constexpr wchar_t kMsiName[] = L"!Tsu E2E MSI";
    static constexpr wchar_t kMsiProductCode[] = L"{6B1F3C2A-9D4E-4F5A-8B7C-2D3E4F5A6B71}";

    // The row's "卸载" button, clicked where the list draws it.
    static void ClickRowButton(HWND list, int row) {
        RECT client{};
        ::GetClientRect(list, &client);
        RECT header{};
        ::GetWindowRect(::GetDlgItem(list, 101), &header);
        ::MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&header), 2);
        // The operation column is the last 120 pixels of the columns, which end 20 pixels short
        // of the list's width; the button sits in the middle of the row.
        const int x = client.right - 80;
        const int y = header.bottom + row * 40 + 20;
        ::PostMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        ::PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
};

TEST_F(ProgramList, StartListsTheInstalledProgramsAndARowsUninstallRemovesItsProgram) {
    test::RemoveNsisLeftovers(kNsisKey);
    ASSERT_TRUE(test::InstallNsisFixture(L"fixture_app_e2e_nsis"));
    ASSERT_TRUE(test::InstallMsiFixture(L"fixture_app_e2e_msi"));
    ProductIconMap icons;
    SoftwareMap installed;
    ASSERT_EQ(RunInventorySequence(icons, installed), InventoryResult::Loaded);
    ASSERT_GE(installed.size(), 2u);
    auto first = installed.begin();
    ASSERT_EQ(first->first, kMsiName);
    ASSERT_EQ(std::next(first)->first, kNsisName);

    ToolProcess tool(L"e2e-program-list", FeedbackKind::Real);
    ASSERT_TRUE(tool.Start());
    HWND start = tool.WaitForControl(kStartButton, kStartMs);
    ASSERT_NE(start, nullptr);
    ToolProcess::Press(start);
    ASSERT_NE(tool.WaitForControl(kTabs, kStartMs), nullptr) << "the list did not show";
    HWND count = tool.WaitForControl(kCount, kStartMs);
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(ToolProcess::TextOf(count), std::to_wstring(installed.size()));
    HWND mainWindow = ::GetWindow(::GetAncestor(count, GA_ROOT), GW_OWNER);
    (void)::WaitForInputIdle(tool.Process(), 5000); // painted
    test::SaveWindowAreaPng(mainWindow, L"e2e_program_list");

    HWND list = tool.FindControl(kList);
    ASSERT_NE(list, nullptr);
    ClickRowButton(list, 1); // the NSIS program
    (void)::WaitForInputIdle(tool.Process(), 5000);
    test::SaveWindowAreaPng(mainWindow, L"e2e_row_uninstalling");
    const std::wstring uninstallKey =
        L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + std::wstring(kNsisKey);
    ASSERT_TRUE(tool.WaitUntil([&] { return !test::UninstallKeyExists(HKEY_LOCAL_MACHINE, uninstallKey); }, 60000))
        << "the program's key is still there";
    // The row goes once the engine's watcher lets it, and the count drops with it.
    EXPECT_TRUE(
        tool.WaitUntil([&] { return ToolProcess::TextOf(count) == std::to_wstring(installed.size() - 1); }, 60000));
    (void)::WaitForInputIdle(tool.Process(), 5000);
    test::SaveWindowAreaPng(mainWindow, L"e2e_row_removed");
    EXPECT_FALSE(test::FileExists(L"C:\\Program Files\\" + std::wstring(kNsisKey) + L"\\readme.txt"));
    EXPECT_FALSE(test::FileExists(L"C:\\Program Files\\" + std::wstring(kNsisKey)));

    // The MSI program stays (its uninstaller asks for confirmation in a window of its own, which
    // nobody answers here); the test removes it quietly below.
    EXPECT_TRUE(test::FindInstalled(kMsiName).has_value());

    HWND close = tool.FindControl(1018);
    ASSERT_NE(close, nullptr);
    ToolProcess::Press(close);
    ASSERT_TRUE(tool.AnswerFeedbackQuestion(kStartMs));
    EXPECT_TRUE(tool.WaitForExit(kStartMs).has_value());
    test::RemoveNsisLeftovers(kNsisKey);
    const test::ProcessResult removed =
        test::RunProcess(L"\"" + test::SystemFolderPath() + L"\\msiexec.exe\" /x " + kMsiProductCode + L" /qn");
    EXPECT_EQ(removed.exitCode, 0u);
}

} // namespace
} // namespace tsu
