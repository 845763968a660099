// The main window with its two pages, in this process: start-up state, sizes, the consent box,
// keys, dragging, "开始运行" filling the program list from scratch registry entries, tab switching,
// pictures that fail to load, and the closing question.

#include "app/AppMessages.h"
#include "app/CAboutDlg.h"
#include "app/CConventionalUninstallDlg.h"
#include "app/CExecutePromptDlg.h"
#include "app/CIntelligenceUninstallDlg.h"
#include "app/CProblemSolvingFeedbackDlg.h"
#include "app/CSoftwareUninstallFunctionDlg.h"
#include "app/CSoftwareUninstallMainDlg.h"
#include "app/CTarrowSoftwareUninstallDlg.h"
#include "app/CTooltipDlg.h"
#include "controls/list/core/ListCell.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/ToolWindow.h"
#include "tests/common/TestProcess.h"
#include "tests/support/TestSupport.h"

#include <functional>

#include <gtest/gtest.h>

namespace tsu {
namespace {

RECT WindowRectOf(HWND hwnd) {
    RECT rect{};
    ::GetWindowRect(hwnd, &rect);
    return rect;
}

TEST(MainWindow, StartsOnTheStartPageWithTheDesignSizesAndTheConsentGiven) {
    test::ToolWindow tool(L"main-start");
    ASSERT_TRUE(tool.Create());
    const RECT main = WindowRectOf(tool.window->GetSafeHwnd());
    const RECT start = WindowRectOf(tool.Start().GetSafeHwnd());
    const RECT function = WindowRectOf(tool.Function().GetSafeHwnd());
    EXPECT_EQ(main.right - main.left, 806);
    EXPECT_EQ(main.bottom - main.top, 606);
    EXPECT_EQ(start.left - main.left, 3);
    EXPECT_EQ(start.top - main.top, 2);
    EXPECT_EQ(start.right - start.left, 800);
    EXPECT_EQ(start.bottom - start.top, 600);
    EXPECT_TRUE(::EqualRect(&start, &function));
    RECT tab{};
    ASSERT_TRUE(TabCtrl_GetItemRect(tool.Function().GetDlgItem(IDC_FUNCTION_TAB), 0, &tab));
    EXPECT_EQ(tab.right - tab.left, 100); // fixed width, not the text's
    EXPECT_TRUE(tool.Start().IsWindowVisible());
    EXPECT_FALSE(tool.Function().IsWindowVisible());
    EXPECT_EQ(tool.window->ShownPage(), 0);
    EXPECT_EQ(tool.window->GetWindowText(), L"软件卸载工具");
    EXPECT_TRUE(tool.Start().IsInitialised());
    HWND agree = tool.Start().GetDlgItem(IDC_AGREE_CHECK);
    EXPECT_EQ(::SendMessageW(agree, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(::IsWindowEnabled(tool.Start().GetDlgItem(IDC_START_BUTTON)));
    // The version check runs once, about 100 ms after the page is ready, without any click.
    ASSERT_TRUE(test::PumpUntil([&] { return tool.Start().IsVersionChecked(); }, 5000));
    const std::vector<std::wstring> calls = tool.FeedbackCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], L"InitFreedbackDll");
    EXPECT_EQ(calls[1], L"GetToolIsNewVersion|10100|1.0.20.1116");
    test::SaveWindowAreaPng(tool.window->GetSafeHwnd(), L"start_page");
}

TEST(MainWindow, TheConsentBoxEnablesAndDisablesTheStartButton) {
    test::ToolWindow tool(L"main-consent");
    ASSERT_TRUE(tool.Create());
    HWND agree = tool.Start().GetDlgItem(IDC_AGREE_CHECK);
    HWND start = tool.Start().GetDlgItem(IDC_START_BUTTON);
    ::SendMessageW(agree, BM_CLICK, 0, 0);
    EXPECT_EQ(::SendMessageW(agree, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(::IsWindowEnabled(start));
    test::SaveWindowAreaPng(tool.Start().GetSafeHwnd(), L"start_page_consent_withdrawn");
    // A disabled start button starts nothing even when its command arrives.
    test::ClickButton(tool.Start().GetSafeHwnd(), IDC_START_BUTTON);
    EXPECT_EQ(tool.Start().WaitDialog(), nullptr);
    ::SendMessageW(agree, BM_CLICK, 0, 0);
    EXPECT_EQ(::SendMessageW(agree, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(::IsWindowEnabled(start));
}

TEST(MainWindow, EnterAndEscapeAreSwallowedOnEveryWindowButTheAboutBox) {
    test::ToolWindow tool(L"main-keys");
    ASSERT_TRUE(tool.Create());
    for (HWND target : {tool.window->GetSafeHwnd(), tool.Start().GetSafeHwnd(),
                        tool.Start().GetDlgItem(IDC_START_BUTTON), tool.Function().GetSafeHwnd(),
                        tool.Conventional().GetSafeHwnd(), tool.Function().IntelligencePage()->GetSafeHwnd(),
                        tool.Function().IntelligencePage()->GetDlgItem(IDC_SMART_UNINSTALL_BUTTON)}) {
        EXPECT_TRUE(test::KeyIsSwallowed(target, VK_RETURN));
        EXPECT_TRUE(test::KeyIsSwallowed(target, VK_ESCAPE));
    }
    // Posted for real: nothing closes.
    ::PostMessageW(tool.Start().GetSafeHwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
    ::PostMessageW(tool.window->GetSafeHwnd(), WM_KEYDOWN, VK_RETURN, 1);
    test::PumpPending();
    EXPECT_TRUE(::IsWindowVisible(tool.window->GetSafeHwnd()));
    EXPECT_TRUE(tool.Start().IsWindowVisible());

    // The About box from the system menu is the one dialog that Escape closes.
    bool aboutShown = false;
    test::WhenReady escape([] { return test::FindShownDialog<CAboutDlg>() != nullptr; },
                           [&] {
                               HWND about = test::FindShownDialog<CAboutDlg>()->GetSafeHwnd();
                               wchar_t title[64] = {};
                               ::GetWindowTextW(about, title, 64);
                               aboutShown = std::wstring(title).find(L"关于") != std::wstring::npos;
                               test::SaveWindowAreaPng(about, L"about_box");
                               // The key goes where the keyboard focus is: the box's button.
                               ::PostMessageW(::GetDlgItem(about, IDOK), WM_KEYDOWN, VK_ESCAPE, 1);
                           });
    // Should Escape not close it, the box is closed after a while and the test fails.
    bool closedByForce = false;
    const DWORD giveUp = ::GetTickCount() + 5000;
    test::WhenReady fallback([&] { return static_cast<LONG>(::GetTickCount() - giveUp) > 0; },
                             [&] {
                                 if (CAboutDlg* about = test::FindShownDialog<CAboutDlg>()) {
                                     closedByForce = true;
                                     about->EndDialog(IDOK);
                                 }
                             },
                             20000);
    ::SendMessageW(tool.window->GetSafeHwnd(), WM_SYSCOMMAND, kAboutCommand, 0);
    EXPECT_TRUE(escape.Ran());
    EXPECT_TRUE(aboutShown);
    EXPECT_FALSE(closedByForce);
    EXPECT_TRUE(::IsWindowVisible(tool.window->GetSafeHwnd()));
}

TEST(MainWindow, DraggingEitherPageMovesAllThreeWindows) {
    test::ToolWindow tool(L"main-drag");
    ASSERT_TRUE(tool.Create());
    HWND main = tool.window->GetSafeHwnd();
    HWND start = tool.Start().GetSafeHwnd();
    HWND function = tool.Function().GetSafeHwnd();
    const RECT page = WindowRectOf(start);
    // The strip is the top 30 pixels without the right 86 (minimise and close).
    EXPECT_EQ(::SendMessageW(start, WM_NCHITTEST, 0, MAKELPARAM(page.left + 100, page.top + 10)), HTCAPTION);
    EXPECT_NE(::SendMessageW(start, WM_NCHITTEST, 0, MAKELPARAM(page.right - 40, page.top + 10)), HTCAPTION);
    EXPECT_NE(::SendMessageW(start, WM_NCHITTEST, 0, MAKELPARAM(page.left + 100, page.top + 40)), HTCAPTION);
    ::SendMessageW(start, WM_NCHITTEST, 0, MAKELPARAM(page.left + 100, page.top + 10));
    // What the system's move loop does with the dragged page:
    ::SetWindowPos(start, nullptr, page.left + 40, page.top + 25, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT mainRect = WindowRectOf(main);
    RECT functionRect = WindowRectOf(function);
    EXPECT_EQ(mainRect.left, page.left + 40 - 3);
    EXPECT_EQ(mainRect.top, page.top + 25 - 2);
    EXPECT_EQ(functionRect.left, page.left + 40);
    EXPECT_EQ(functionRect.top, page.top + 25);
    EXPECT_EQ(mainRect.right - mainRect.left, 806);

    // And the function page, dragged back.
    ::SendMessageW(function, WM_NCHITTEST, 0, MAKELPARAM(functionRect.left + 100, functionRect.top + 10));
    ::SetWindowPos(function, nullptr, page.left, page.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    mainRect = WindowRectOf(main);
    EXPECT_EQ(mainRect.left, page.left - 3);
    EXPECT_EQ(WindowRectOf(start).left, page.left);
}

// Runs for every message sent to a window of this thread while set.
std::function<void(const CWPSTRUCT&)> g_onSentMessage;
LRESULT CALLBACK WatchSentMessages(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && g_onSentMessage)
        g_onSentMessage(*reinterpret_cast<const CWPSTRUCT*>(lp));
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

TEST(MainWindow, StartFillsTheListAndTheTabsSwitchPages) {
    test::ToolWindow tool(L"main-load");
    const std::wstring helper = L"\"" + test::HelperPath() + L"\" --exit 0";
    tool.inventory.AddProgram(L"TsuAlpha", L"Tsu Alpha", L"1.0.1", helper, L"C:\\windows\\notepad.exe", 2048);
    tool.inventory.AddProgram(L"TsuBeta", L"Tsu Beta", L"2.5", helper, L"", 1536 * 1024);
    tool.inventory.AddProgram(L"TsuGamma", L"Tsu Gamma", L"", helper);
    ASSERT_TRUE(tool.Create());
    bool waitShown = false;
    test::WhenReady watch([&] { return test::FindShownDialog<CExecutePromptDlg>() != nullptr; },
                          [&] { waitShown = true; });
    // When the start page goes, the list page already covers the main window, filled and painted:
    // no frame shows the bare main window in between.
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
    EXPECT_TRUE(paintedWhenStartHides);
    EXPECT_FALSE(tool.Start().IsWindowVisible());
    EXPECT_TRUE(tool.Function().IsWindowVisible());
    EXPECT_EQ(tool.Conventional().CountText(), L"3");
    ASSERT_EQ(list.GetRowCount(), 3);
    const ListModel& model = list.Model();
    EXPECT_EQ(model.FindCell(0, 0)->text, L"Tsu Alpha");
    EXPECT_EQ(model.FindCell(0, 2)->text, L"1.0.1");
    EXPECT_EQ(model.FindCell(0, 1)->text, L"2.00 MB");
    EXPECT_EQ(model.FindCell(1, 0)->text, L"Tsu Beta");
    EXPECT_EQ(model.FindCell(1, 1)->text, L"1.50 GB");
    EXPECT_EQ(model.FindCell(2, 0)->text, L"Tsu Gamma");
    for (int row = 0; row < 3; ++row) {
        EXPECT_TRUE(model.FindCell(row, 0)->hasIcon) << row; // a picture, or the default program icon
        EXPECT_GE(model.FindCell(row, 0)->iconIndex, 0);
        EXPECT_EQ(model.FindCell(row, 3)->kind, CELL_BUTTON);
        EXPECT_EQ(model.FindRow(row)->height, 40);
    }
    test::SaveWindowAreaPng(tool.window->GetSafeHwnd(), L"function_page_conventional");

    tool.Function().SelectTab(1);
    EXPECT_TRUE(tool.Function().IntelligencePage()->IsWindowVisible());
    EXPECT_FALSE(tool.Conventional().IsWindowVisible());
    test::SaveWindowAreaPng(tool.window->GetSafeHwnd(), L"function_page_intelligent");
    // Back to the list: it is read anew.
    tool.inventory.AddProgram(L"TsuDelta", L"Tsu Delta", L"4", helper);
    tool.Function().SelectTab(0);
    EXPECT_TRUE(tool.Conventional().IsWindowVisible());
    ASSERT_TRUE(test::PumpUntil([&] { return !tool.window->Engine().IsInventoryWorkRunning(); }, 20000));
    test::PumpPending();
    // A refresh prunes what went and never adds: the list still shows three programs, filled anew.
    EXPECT_EQ(list.GetRowCount(), 3);
    (void)waitShown;
}

TEST(MainWindow, ACachedPictureThatFailsToLoadShowsTheDefaultIcon) {
    test::ToolWindow tool(L"main-pictures");
    tool.inventory.AddProgram(L"TsuPicture", L"Tsu Picture", L"1", L"\"" + test::HelperPath() + L"\"",
                              L"C:\\windows\\notepad.exe");
    ASSERT_TRUE(tool.Create());
    ASSERT_TRUE(tool.LoadPrograms());
    const SoftwareRecord* record = tool.Conventional().RowRecord(0);
    ASSERT_NE(record, nullptr);
    ASSERT_GT(record->imagePath.size(), 3u) << "the load made no picture";
    for (const std::string& damage : {std::string("not a png at all"), std::string()}) {
        if (damage.empty())
            ::DeleteFileW(record->imagePath.c_str());
        else
            ASSERT_TRUE(test::WriteFileBytes(record->imagePath, damage));
        tool.Conventional().FillList();
        const ListCell* cell = tool.Conventional().List().Model().FindCell(0, 0);
        ASSERT_NE(cell, nullptr);
        EXPECT_TRUE(cell->hasIcon);
        EXPECT_GE(cell->iconIndex, 0);
        EXPECT_EQ(tool.Conventional().List().GetIconCount(), 1);
    }
}

TEST(MainWindow, ClosingAsksTheQuestionOnceAndReportsTheAnswer) {
    test::ToolWindow tool(L"main-close");
    ASSERT_TRUE(tool.Create());
    const test::QuestionCloser question(10000, L"feedback_dialog");
    test::ClickButton(tool.Start().GetSafeHwnd(), IDC_CLOSE_BUTTON);
    EXPECT_EQ(question.Count(), 1);
    EXPECT_TRUE(tool.window->HasAskedFeedback());
    EXPECT_EQ(tool.window->GetSafeHwnd(), nullptr); // a modeless main window is destroyed at once
    const std::vector<std::wstring> calls = tool.FeedbackCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2].rfind(L"CustomerFeedbackEx|10100|1.0.20.1116|3|", 0), 0u);
    EXPECT_EQ(calls.back(), L"FeedbackQuestion|10100|1.0.20.1116");
}

} // namespace
} // namespace tsu

namespace tsu {
namespace {

TEST(MainWindow, ClosingWhileAPromptIsOpenCancelsItThenAsksTheQuestionOnce) {
    test::ToolWindow tool(L"main-close-prompt");
    ASSERT_TRUE(tool.Create());
    HWND main = tool.window->GetSafeHwnd();
    const test::QuestionCloser question;
    // While a question of a page is open, the tool is told to close (the taskbar, Alt+F4).
    test::WhenReady close(
        [] {
            return !CPromptDlg::OpenPrompts().empty() &&
                   ::IsWindowVisible(CPromptDlg::OpenPrompts().front()->GetSafeHwnd());
        },
        [&] { ::SendMessageW(main, WM_CLOSE, 0, 0); });
    const INT_PTR result = CPromptDlg::Show(nullptr, 1.0f, 4, L"您确定卸载当前软件？");
    EXPECT_TRUE(close.Ran());
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_TRUE(test::PumpUntil([&] { return tool.window->GetSafeHwnd() == nullptr; }, 10000));
    EXPECT_EQ(question.Count(), 1);
}

} // namespace
} // namespace tsu
