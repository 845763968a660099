#include "app/AppMessages.h"
#include "app/CExecutePromptDlg.h"
#include "framework/Messages.h"
#include "tests/app/ToolWindow.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/smart/ShortcutFiles.h"
#include "uninstall/LaunchUninstaller.h"


#include <algorithm>
#include <thread>

namespace tsu {
namespace {

using Answers = std::vector<test::PromptAnswerer::Answer>;
constexpr auto kFirst = test::PromptAnswerer::First;

// A launch of the stand-in uninstaller that waits for release (or the end of the scope); while it
// waits, every other launch of this process waits behind it.
struct LauncherHold {
    LauncherHold() {
        const test::ScopedEnvironmentVariable args(L"TSU_HELPER_ARGS",
                                                   L"--signal " + signal.Name() + L" --wait-event " + release.Name());
        thread =
            std::thread([command = test::Quoted(test::HelperPath())]() mutable { (void)LaunchUninstaller(command); });
        started = signal.WaitFor();
    }
    ~LauncherHold() { release.Set(), thread.join(); }
    test::NamedEvent signal{L"TsuSmartHoldStarted"}, release{L"TsuSmartHoldRelease"};
    std::thread thread;
    bool started = false;
};

class IntelligentPage : public test::ToolTest {
protected:
    // The analysis matches programs against the system's uninstall entries.
    IntelligentPage() : ToolTest(true) {}
    void SetUp() override {
        ASSERT_TRUE(tool.Create());
        ::SendMessageW(tool.Main(), WM_SHOW_PAGE, kShowFunctionPage, 0);
        tool.Function().SelectTab(1);
        ASSERT_TRUE(page().IsWindowVisible());
    }
    void TearDown() override { test::RemoveTree(folder); }
    CIntelligenceUninstallDlg& page() { return tool.Intelligent(); }
    // Drops paths on the input box, as the shell hands them over; returns once the analysis is over.
    void Drop(const std::vector<std::wstring>& paths) {
        test::DropFiles(page().GetDlgItem(IDC_DROP_EDIT), paths);
        // The wait dialog closes while the worker is still on its way out; the next drop waits for it.
        EXPECT_TRUE(test::PumpUntil([&] { return !page().Engine().IsAnalysisRunning(); }, test::kMustHappenMs));
    }
    void PressUninstall() { test::ClickButton(page().GetSafeHwnd(), IDC_SMART_UNINSTALL_BUTTON); }
    const std::wstring folder = test::MakeScratchFolder(TestName() + L"Files");
};

TEST_F(IntelligentPage, AShortcutsProgramFilesAreListedTickedAndDeletedWhenConfirmed) {
    ::CreateDirectoryW((folder + L"TsuSmartProg").c_str(), nullptr);
    const std::wstring program = folder + L"TsuSmartProg\\prog.exe", shortcut = folder + L"Tsu Smart Prog.lnk";
    ASSERT_TRUE(::CopyFileW(test::HelperPath().c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(test::WriteFileBytes(folder + L"TsuSmartProg\\data.txt", "data"));
    ASSERT_TRUE(test::CreateShortcut(shortcut, program));
    Drop({shortcut});
    EXPECT_TRUE(page().IsListShown() && !page().IsNoticeShown() && page().IsCountShown());
    CMultilineList& list = page().List();
    ASSERT_GE(list.GetRowCount(), 3); // the shortcut and both files
    EXPECT_EQ(std::pair(page().CountText(), page().InputText()),
              std::pair(std::to_wstring(list.GetRowCount()), program));
    for (int row = 0; row < list.GetRowCount(); ++row)
        EXPECT_TRUE(list.GetCellCheck(row, 0)) << row;
    test::SaveWindowAreaPng(tool.Main(), L"function_page_intelligent_results");
    // Nothing ticked: the user is asked to choose. All ticked and confirmed: deleted, the rows go.
    answerer.Plan(Answers(3, kFirst));
    ::SendMessageW(list.GetSafeHwnd(), WM_HEADER_CHECKALL, 0, 0);
    PressUninstall();
    ::SendMessageW(list.GetSafeHwnd(), WM_HEADER_CHECKALL, 1, 0);
    PressUninstall();
    // The worker sends its result after closing the wait dialog: it may arrive once the click is over.
    ASSERT_TRUE(test::PumpUntil([&] { return answerer.texts.size() >= 3; }, test::kMustHappenMs));
    EXPECT_EQ(answerer.texts,
              (std::vector<std::wstring>{L"请选择要卸载的文件？", L"您确定卸载当前选择的文件？", L"卸载成功！"}));
    EXPECT_FALSE(test::FileExists(program) || test::FileExists(shortcut));
    EXPECT_EQ(std::pair(list.GetRowCount(), page().CountText()), std::pair(0, std::wstring(L"0")));
}

// Which drops give no items is the analysis' own matter; here the page's part of it.
TEST_F(IntelligentPage, SeveralFilesAreIgnoredAndAnUnusableDropLeavesNothingOnScreen) {
    ASSERT_TRUE(test::WriteFileBytes(folder + L"note.txt", "not a shortcut"));
    Drop({folder + L"note.txt", folder + L"note.txt"});
    EXPECT_EQ(page().ProgressDialog(), nullptr) << "two files started an analysis";
    Drop({folder + L"note.txt"});
    ASSERT_NE(page().ProgressDialog(), nullptr);
    EXPECT_FALSE(::IsWindow(page().ProgressDialog()->GetSafeHwnd()));
    EXPECT_EQ(page().List().GetRowCount(), 0);
}

TEST_F(IntelligentPage, ARegisteredProgramShowsTheNoticeAndItsUninstallerRunsOnlyWhenConfirmedTwice) {
    const std::wstring key = L"TsuAppSmartNsis", busy = L"正在卸载软件，请稍后再试！";
    test::RemoveNsisLeftovers(key);
    ASSERT_TRUE(test::InstallNsisFixture(L"fixture_app_smart_nsis"));
    // Another launch holds the launcher (one runs at a time), so the program's own uninstaller
    // starts only when the test lets it: the checks made while it runs cannot race its end.
    LauncherHold hold;
    ASSERT_TRUE(hold.started);
    const std::wstring shortcut = folder + L"Tsu Smart NSIS.lnk";
    ASSERT_TRUE(test::CreateShortcut(shortcut, L"C:\\Program Files\\" + key + L"\\" + key + L".exe"));
    Drop({shortcut});
    EXPECT_TRUE(page().IsNoticeShown() && !page().IsListShown() && !page().IsCountShown());
    test::SaveWindowAreaPng(tool.Main(), L"function_page_intelligent_standard_notice");
    // Cancelled at the first question: nothing runs. Then confirmed twice: the program's own
    // uninstaller runs, and drops and presses meanwhile are refused.
    Answers plan(6, kFirst);
    plan[0] = test::PromptAnswerer::Second;
    answerer.Plan(plan);
    PressUninstall();
    EXPECT_FALSE(page().IsStandardUninstallRunning());
    EXPECT_EQ(answerer.texts,
              std::vector<std::wstring>{L"当前软件有标准卸载方式，点击确定进行标准卸载，点击取消不卸载"});
    PressUninstall();
    ASSERT_TRUE(page().IsStandardUninstallRunning());
    EXPECT_EQ(answerer.texts.back(), L"您确定卸载当前软件？");
    Drop({shortcut});
    EXPECT_EQ(answerer.texts.back(), busy);
    PressUninstall();
    EXPECT_EQ(std::pair(answerer.texts.size(), answerer.texts.back()), std::pair(size_t{5}, busy));
    EXPECT_TRUE(page().IsNoticeShown());
    // Closing now warns and waits for the uninstaller; once it ends the tool closes, asking once.
    ::SendMessageW(tool.Main(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(answerer.texts.back() == L"正在有卸载的软件，请勿关闭程序" && tool.Function().IsClosePending());
    const test::QuestionCloser question;
    hold.release.Set();
    ASSERT_TRUE(tool.Closed());
    EXPECT_EQ(std::pair(question.Count(), answerer.texts.back()), std::pair(1, std::wstring(L"卸载成功！")));
    EXPECT_FALSE(test::FileExists(L"C:\\Program Files\\" + key + L"\\readme.txt"));
    test::RemoveNsisLeftovers(key);
}

} // namespace
} // namespace tsu
