// The main window with its two pages, in this process: start-up state, the consent box, keys,
// dragging, "开始运行" filling the list from scratch registry entries, tab switching, pictures that
// fail to load, and the closing question.

#include "app/AppMessages.h"
#include "app/CAboutDlg.h"
#include "controls/list/core/ListCell.h"
#include "tests/app/ToolWindow.h"

namespace tsu {
namespace {

using test::RectOf;
using MainWindow = test::ToolTest;

TEST_F(MainWindow, StartsOnTheStartPageWithTheConsentGivenAndChecksTheVersion) {
    ASSERT_TRUE(tool.Create());
    const RECT main = RectOf(tool.Main()), start = RectOf(tool.Start().GetSafeHwnd()),
               function = RectOf(tool.Function().GetSafeHwnd());
    EXPECT_EQ(std::tuple(main.right - main.left, main.bottom - main.top, start.left - main.left, start.top - main.top),
              std::tuple(806, 606, 3, 2));
    EXPECT_TRUE(::EqualRect(&start, &function));
    RECT tab{};
    ASSERT_TRUE(TabCtrl_GetItemRect(tool.Function().GetDlgItem(IDC_FUNCTION_TAB), 0, &tab));
    EXPECT_EQ(tab.right - tab.left, 100); // fixed width, not the text's
    EXPECT_TRUE(tool.Start().IsWindowVisible() && !tool.Function().IsWindowVisible());
    // The version check runs once the page is ready, without any click.
    ASSERT_TRUE(test::PumpUntil([&] { return tool.Start().IsVersionChecked(); }, 5000));
    const std::vector<std::wstring> calls = tool.FeedbackCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], L"InitFreedbackDll");
    EXPECT_EQ(calls[1], L"GetToolIsNewVersion|10100|1.0.20.1116");
    test::SaveWindowAreaPng(tool.Main(), L"start_page");
    HWND agree = tool.Start().GetDlgItem(IDC_AGREE_CHECK), startButton = tool.Start().GetDlgItem(IDC_START_BUTTON);
    EXPECT_EQ(::SendMessageW(agree, BM_GETCHECK, 0, 0), BST_CHECKED);
    ::SendMessageW(agree, BM_CLICK, 0, 0);
    EXPECT_FALSE(::IsWindowEnabled(startButton));
    test::SaveWindowAreaPng(tool.Start().GetSafeHwnd(), L"start_page_consent_withdrawn");
    // A disabled start button starts nothing even when its command arrives.
    test::ClickButton(tool.Start().GetSafeHwnd(), IDC_START_BUTTON);
    EXPECT_EQ(tool.Start().WaitDialog(), nullptr);
    ::SendMessageW(agree, BM_CLICK, 0, 0);
    EXPECT_TRUE(::IsWindowEnabled(startButton));
}

TEST_F(MainWindow, EnterAndEscapeAreSwallowedOnEveryWindowButTheAboutBox) {
    ASSERT_TRUE(tool.Create());
    for (HWND target : {tool.Main(), tool.Start().GetSafeHwnd(), tool.Start().GetDlgItem(IDC_START_BUTTON),
                        tool.Function().GetSafeHwnd(), tool.Conventional().GetSafeHwnd(),
                        tool.Intelligent().GetDlgItem(IDC_SMART_UNINSTALL_BUTTON)})
        EXPECT_TRUE(test::KeyIsSwallowed(target, VK_RETURN) && test::KeyIsSwallowed(target, VK_ESCAPE));
    ::PostMessageW(tool.Start().GetSafeHwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
    ::PostMessageW(tool.Main(), WM_KEYDOWN, VK_RETURN, 1);
    test::PumpPending();
    EXPECT_TRUE(tool.Start().IsWindowVisible());
    // The About box of the system menu is the one dialog that Escape closes (should it not, the
    // box is ended after a while and the test fails).
    bool forced = false;
    test::WhenReady escape([] { return test::FindShownDialog<CAboutDlg>() != nullptr; },
                           [&] {
                               HWND about = test::FindShownDialog<CAboutDlg>()->GetSafeHwnd();
                               test::SaveWindowAreaPng(about, L"about_box");
                               ::PostMessageW(::GetDlgItem(about, IDOK), WM_KEYDOWN, VK_ESCAPE, 1);
                           });
    const DWORD giveUp = ::GetTickCount() + 5000;
    test::WhenReady fallback([&] { return static_cast<LONG>(::GetTickCount() - giveUp) > 0; },
                             [&] {
                                 if (CAboutDlg* about = test::FindShownDialog<CAboutDlg>())
                                     forced = true, about->EndDialog(IDOK);
                             },
                             20000);
    ::SendMessageW(tool.Main(), WM_SYSCOMMAND, kAboutCommand, 0);
    EXPECT_TRUE(escape.Ran() && !forced);
    EXPECT_TRUE(::IsWindowVisible(tool.Main()));
}

TEST_F(MainWindow, DraggingEitherPageMovesAllThreeWindows) {
    ASSERT_TRUE(tool.Create());
    HWND start = tool.Start().GetSafeHwnd(), function = tool.Function().GetSafeHwnd();
    const RECT page = RectOf(start);
    EXPECT_NE(::SendMessageW(start, WM_NCHITTEST, 0, MAKELPARAM(page.right - 40, page.top + 10)), HTCAPTION);
    EXPECT_EQ(::SendMessageW(start, WM_NCHITTEST, 0, MAKELPARAM(page.left + 100, page.top + 10)), HTCAPTION);
    // What the system's move loop does with the dragged page:
    ::SetWindowPos(start, nullptr, page.left + 40, page.top + 25, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(std::pair(RectOf(tool.Main()).left, RectOf(tool.Main()).top), std::pair(page.left + 37, page.top + 23));
    EXPECT_EQ(std::pair(RectOf(function).left, RectOf(function).top), std::pair(page.left + 40, page.top + 25));
    ::SendMessageW(function, WM_NCHITTEST, 0, MAKELPARAM(page.left + 140, page.top + 35));
    ::SetWindowPos(function, nullptr, page.left, page.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(std::pair(RectOf(tool.Main()).left, RectOf(start).left), std::pair(page.left - 3, page.left));
}

std::function<void(const CWPSTRUCT&)> g_onSentMessage;
LRESULT CALLBACK WatchSentMessages(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && g_onSentMessage)
        g_onSentMessage(*reinterpret_cast<const CWPSTRUCT*>(lp));
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

TEST_F(MainWindow, StartFillsTheListAndTheTabsSwitchPages) {
    tool.inventory.AddProgram(L"TsuAlpha", L"Tsu Alpha", Quick(), L"1.0.1", L"C:\\windows\\notepad.exe", 2048);
    tool.inventory.AddProgram(L"TsuBeta", L"Tsu Beta", Quick(), L"2.5", L"", 1536 * 1024);
    tool.inventory.AddProgram(L"TsuGamma", L"Tsu Gamma", Quick(), L"");
    ASSERT_TRUE(tool.Create());
    // When the start page goes, the list page already covers the main window, filled and painted.
    CMultilineList& list = tool.Conventional().List();
    int rowsWhenStartHides = -1;
    bool paintedWhenStartHides = false;
    g_onSentMessage = [&](const CWPSTRUCT& msg) {
        if (msg.hwnd != tool.Start().GetSafeHwnd() || msg.message != WM_SHOWWINDOW || msg.wParam)
            return;
        rowsWhenStartHides = tool.Function().IsWindowVisible() ? list.GetRowCount() : -1;
        paintedWhenStartHides = !::GetUpdateRect(tool.Function().GetSafeHwnd(), nullptr, FALSE) &&
                                !::GetUpdateRect(list.GetSafeHwnd(), nullptr, FALSE);
    };
    HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, &WatchSentMessages, nullptr, ::GetCurrentThreadId());
    ASSERT_TRUE(tool.LoadPrograms());
    ::UnhookWindowsHookEx(hook);
    g_onSentMessage = nullptr;
    EXPECT_EQ(rowsWhenStartHides, 3);
    EXPECT_TRUE(paintedWhenStartHides && !tool.Start().IsWindowVisible());
    EXPECT_EQ(tool.Conventional().CountText(), L"3");
    ASSERT_EQ(list.GetRowCount(), 3);
    const ListModel& model = list.Model();
    EXPECT_EQ(std::tuple(model.FindCell(0, 0)->text, model.FindCell(0, 1)->text, model.FindCell(0, 2)->text,
                         model.FindCell(1, 1)->text),
              std::tuple(L"Tsu Alpha", L"2.00 MB", L"1.0.1", L"1.50 GB"));
    for (int row = 0; row < 3; ++row) {
        EXPECT_GE(model.FindCell(row, 0)->iconIndex, 0); // a picture, or the default program icon
        EXPECT_EQ(model.FindCell(row, 3)->kind, CELL_BUTTON);
    }
    test::SaveWindowAreaPng(tool.Main(), L"function_page_conventional");
    tool.Function().SelectTab(1);
    EXPECT_TRUE(tool.Intelligent().IsWindowVisible() && !tool.Conventional().IsWindowVisible());
    test::SaveWindowAreaPng(tool.Main(), L"function_page_intelligent");
    // Back to the list: read anew, and a refresh prunes what went but never adds.
    tool.inventory.AddProgram(L"TsuDelta", L"Tsu Delta", Quick());
    ASSERT_TRUE(tool.Refresh());
    EXPECT_TRUE(tool.Conventional().IsWindowVisible());
    EXPECT_EQ(list.GetRowCount(), 3);
}

TEST_F(MainWindow, ACachedPictureThatFailsToLoadShowsTheDefaultIcon) {
    tool.inventory.AddProgram(L"TsuPicture", L"Tsu Picture", Quick(), L"1", L"C:\\windows\\notepad.exe");
    ASSERT_TRUE(tool.Create() && tool.LoadPrograms());
    const SoftwareRecord* record = tool.Conventional().RowRecord(0);
    ASSERT_TRUE(record && record->imagePath.size() > 3) << "the load made no picture";
    for (const std::string damage : {"not a png at all", ""}) {
        if (damage.empty())
            ::DeleteFileW(record->imagePath.c_str());
        else
            ASSERT_TRUE(test::WriteFileBytes(record->imagePath, damage));
        tool.Conventional().FillList();
        EXPECT_GE(tool.Conventional().List().Model().FindCell(0, 0)->iconIndex, 0);
        EXPECT_EQ(tool.Conventional().List().GetIconCount(), 1);
    }
}

TEST_F(MainWindow, ClosingAsksTheBoundQuestionOnce) {
    ASSERT_TRUE(tool.Create());
    const test::QuestionCloser question(L"feedback_dialog");
    test::ClickButton(tool.Start().GetSafeHwnd(), IDC_CLOSE_BUTTON);
    EXPECT_EQ(question.Count(), 1);
    EXPECT_EQ(tool.Main(), nullptr); // a modeless main window is destroyed at once
    const std::vector<std::wstring> calls = tool.FeedbackCalls(); // the question is bound
    EXPECT_EQ(calls.empty() ? L"" : calls.back(), L"FeedbackQuestion|10100|1.0.20.1116");
}

TEST(MainWindowPrompt, ClosingWhileAPromptIsOpenCancelsItThenAsksTheQuestionOnce) {
    test::ToolWindow tool(L"main-close-prompt"); // no answerer: the close must cancel the prompt
    ASSERT_TRUE(tool.Create());
    const test::QuestionCloser question;
    // While a question of a page is open, the tool is told to close (the taskbar, Alt+F4).
    test::WhenReady close(
        [] {
            return !CPromptDlg::OpenPrompts().empty() &&
                   ::IsWindowVisible(CPromptDlg::OpenPrompts().front()->GetSafeHwnd());
        },
        [&] { ::SendMessageW(tool.Main(), WM_CLOSE, 0, 0); });
    EXPECT_EQ(CPromptDlg::Show(nullptr, 1.0f, 4, L"您确定卸载当前软件？"), IDCANCEL);
    EXPECT_TRUE(close.Ran());
    ASSERT_TRUE(tool.Closed());
    EXPECT_EQ(question.Count(), 1);
}

} // namespace
} // namespace tsu
