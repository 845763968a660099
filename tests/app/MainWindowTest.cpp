#include "app/AppMessages.h"
#include "app/CAboutDlg.h"
#include "app/CTooltipDlg.h"
#include "app/ClickHook.h"
#include "app/FeedbackBinding.h"
#include "controls/list/core/ListCell.h"
#include "tests/app/ToolWindow.h"

#include <cstdlib>
#include <ctime>

namespace tsu {
namespace {

using test::RectOf;

POINT CentreOf(HWND window) {
    const RECT rect = RectOf(window);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

using MainWindow = test::ToolTest;

TEST_F(MainWindow, StartPageConsentVersionCheckTermsKeysAboutBoxAndClosingQuestion) {
    ASSERT_TRUE(tool.Create());
    const RECT main = RectOf(tool.Main()), start = RectOf(tool.Start().GetSafeHwnd()),
               function = RectOf(tool.Function().GetSafeHwnd());
    EXPECT_EQ(std::tuple(main.right - main.left, main.bottom - main.top, start.left - main.left, start.top - main.top),
              std::tuple(806, 606, 3, 2));
    EXPECT_TRUE(::EqualRect(&start, &function) && (::GetWindowLongW(tool.Main(), GWL_STYLE) & WS_MINIMIZEBOX));
    // Dragged by its strip, the page takes the main window and the other page along (and back).
    for (const POINT to : {POINT{start.left + 40, start.top + 25}, POINT{start.left, start.top}}) {
        const RECT now = RectOf(tool.Start().GetSafeHwnd());
        ::SendMessageW(tool.Start().GetSafeHwnd(), WM_NCHITTEST, 0, MAKELPARAM(now.left + 100, now.top + 10));
        ::SetWindowPos(tool.Start().GetSafeHwnd(), nullptr, to.x, to.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(std::pair(RectOf(tool.Main()).left, RectOf(tool.Function().GetSafeHwnd()).top),
                  std::pair(to.x - 3, to.y));
    }
    EXPECT_TRUE(tool.Start().IsWindowVisible() && !tool.Function().IsWindowVisible());
    // The version check runs once the page is ready, without any click.
    ASSERT_TRUE(test::PumpUntil([&] { return tool.Start().IsVersionChecked(); }, 5000));
    const std::vector<std::wstring> calls = tool.FeedbackCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(std::pair(calls[0], calls[1]),
              std::pair(std::wstring(L"InitFreedbackDll"), std::wstring(L"GetToolIsNewVersion|10100|1.0.20.1116")));
    test::SaveWindowAreaPng(tool.Main(), L"start_page");
    HWND agree = tool.Start().GetDlgItem(IDC_AGREE_CHECK), startButton = tool.Start().GetDlgItem(IDC_START_BUTTON);
    CMemoryCanvas shot; // the button's round corners show the page behind it, not white
    ASSERT_TRUE(test::CaptureWindow(startButton, shot));
    EXPECT_NE(shot.PixelAt(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(::SendMessageW(agree, BM_GETCHECK, 0, 0), BST_CHECKED);
    ::SendMessageW(agree, BM_CLICK, 0, 0);
    EXPECT_FALSE(::IsWindowEnabled(startButton));
    // A disabled start button starts nothing even when its command arrives.
    test::ClickButton(tool.Start().GetSafeHwnd(), IDC_START_BUTTON);
    EXPECT_EQ(tool.Start().WaitDialog(), nullptr);
    ::SendMessageW(agree, BM_CLICK, 0, 0);
    EXPECT_TRUE(::IsWindowEnabled(startButton));
    // Enter and Escape close nothing; the system menu opens the About box.
    EXPECT_TRUE(test::KeyIsSwallowed(tool.Start().GetSafeHwnd(), VK_ESCAPE) &&
                test::KeyIsSwallowed(tool.Main(), VK_RETURN));
    test::WhenReady about([] { return test::FindShownDialog<CAboutDlg>() != nullptr; },
                          [] {
                              test::SaveWindowAreaPng(test::FindShownDialog<CAboutDlg>()->GetSafeHwnd(), L"about_box");
                              test::FindShownDialog<CAboutDlg>()->EndDialog(IDOK);
                          });
    ::SendMessageW(tool.Main(), WM_SYSCOMMAND, kAboutCommand, 0);
    EXPECT_TRUE(about.Ran() && ::IsWindowVisible(tool.Main()));
    // The terms label toggles its viewer; clicks away from both hide it, a click in the viewer does not.
    CSoftwareUninstallMainDlg& page = tool.Start();
    const auto clickLabel = [&] { test::ClickButton(page.GetSafeHwnd(), IDC_TERMS_LABEL); }; // STN_CLICKED is 0 too
    clickLabel();
    CTooltipDlg* viewer = page.TermsViewer();
    ASSERT_TRUE(viewer && viewer->Child().IsWindowVisible());
    EXPECT_TRUE(::GetWindowLongPtrW(viewer->Child().RichEdit(), GWL_STYLE) & ES_READONLY);
    test::SaveWindowAreaPng(tool.Main(), L"terms_viewer");
    clickLabel();
    EXPECT_FALSE(viewer->Child().IsWindowVisible());
    clickLabel();
    EXPECT_TRUE(page.TermsViewer() == viewer && viewer->IsViewerVisible());
    const RECT text = viewer->Child().GetWindowRect();
    ASSERT_TRUE(::SetCursorPos(text.left + 10, text.top + 10));
    ::SendMessageW(page.GetSafeHwnd(), WM_GLOBAL_LBUTTONDOWN, WM_LBUTTONDOWN, 0);
    EXPECT_TRUE(viewer->IsViewerVisible());
    ASSERT_TRUE(::SetCursorPos(page.GetWindowRect().left + 100, page.GetWindowRect().top + 100));
    ::SendMessageW(page.GetSafeHwnd(), WM_GLOBAL_LBUTTONDOWN, WM_LBUTTONDOWN, 0);
    EXPECT_FALSE(viewer->IsViewerVisible());
    // Closing asks the bound question once; a modeless main window is destroyed at once.
    const test::QuestionCloser question(L"feedback_dialog");
    test::ClickButton(tool.Start().GetSafeHwnd(), IDC_CLOSE_BUTTON);
    EXPECT_EQ(std::pair(question.Count(), tool.Main()), std::pair(1, HWND{}));
    EXPECT_EQ(tool.FeedbackCalls().back(), L"FeedbackQuestion|10100|1.0.20.1116");
}

TEST_F(MainWindow, StartFillsTheListAndTheTabsSwitchPages) {
    tool.inventory.AddProgram(L"TsuAlpha", L"Tsu Alpha", Quick(), L"1.0.1", L"C:\\windows\\notepad.exe", 2048);
    tool.inventory.AddProgram(L"TsuBeta", L"Tsu Beta", Quick(), L"2.5", L"", 1536 * 1024);
    tool.inventory.AddProgram(L"TsuGamma", L"Tsu Gamma", Quick(), L"");
    ASSERT_TRUE(tool.Create());
    CMultilineList& list = tool.Conventional().List();
    ASSERT_TRUE(tool.LoadPrograms());
    EXPECT_FALSE(tool.Start().IsWindowVisible());
    ASSERT_EQ(std::pair(tool.Conventional().CountText(), list.GetRowCount()), std::pair(std::wstring(L"3"), 3));
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
}

TEST_F(MainWindow, ACachedPictureThatFailsToLoadShowsTheDefaultIcon) {
    tool.inventory.AddProgram(L"TsuPicture", L"Tsu Picture", Quick(), L"1", L"C:\\windows\\notepad.exe");
    ASSERT_TRUE(tool.Create() && tool.LoadPrograms());
    const SoftwareRecord* record = tool.Conventional().RowRecord(0);
    ASSERT_TRUE(record && record->imagePath.size() > 3) << "the load made no picture";
    ASSERT_TRUE(test::WriteFileBytes(record->imagePath, "not a png at all"));
    tool.Conventional().FillList();
    CMultilineList& list = tool.Conventional().List();
    EXPECT_EQ(list.GetIconCount(), 1);
    CMemoryCanvas canvas; // the picture is decoded at the first paint; text never reaches the icon's top
    ASSERT_TRUE(canvas.CreateDib32(list.GetClientRect().right, list.GetClientRect().bottom));
    list.PaintContentTo(canvas.Dc());
    const LONG top = list.GetContentRect().top;
    EXPECT_GT(test::CountNonBackground(canvas, RECT{8, top + 5, 40, top + 11}, ::GetSysColor(COLOR_WINDOW)), 20);
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

TEST(ClickHook, ARealLeftClickAnywhereIsPostedOnceToTheTargetAndARemovedHookIsGone) {
    test::TestHostWindow target;
    ASSERT_TRUE(target.Create(100, 60));
    std::vector<WPARAM> clicks;
    target.OnMessage = [&](UINT msg, WPARAM wp, LPARAM, LRESULT* result) {
        if (msg == WM_GLOBAL_LBUTTONDOWN)
            clicks.push_back(wp);
        *result = 0;
        return msg == WM_GLOBAL_LBUTTONDOWN;
    };
    const DWORD flags[] = {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    INPUT inputs[4] = {};
    for (int i = 0; i < 4; ++i)
        inputs[i].type = INPUT_MOUSE, inputs[i].mi.dwFlags = flags[i];
    {
        ClickHook removed;
        ASSERT_TRUE(removed.SetTargetWindow(target.GetSafeHwnd()) && removed.Install());
    }
    ClickHook hook;
    ASSERT_TRUE(hook.SetTargetWindow(target.GetSafeHwnd()) && hook.Install());
    // A corner of the screen where no window of any test lies; the right click is not looked at.
    ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 3, ::GetSystemMetrics(SM_CYSCREEN) - 3);
    ASSERT_EQ(::SendInput(4, inputs, sizeof(INPUT)), 4u);
    EXPECT_TRUE(test::PumpUntil([&] { return !clicks.empty(); }, 5000));
    test::PumpPending();
    EXPECT_EQ(clicks, std::vector<WPARAM>{WM_LBUTTONDOWN});
}

std::wstring g_questionLog;

// Runs the closing question bound to the recording stand-in (or to nothing); action gets its child.
std::vector<std::wstring> RunQuestion(const std::function<void(HWND child)>& action, bool withBinding = true) {
    const std::wstring folder = test::MakeFeedbackFolder(L"question", test::FeedbackKind::FakeFull);
    FeedbackBinding binding;
    EXPECT_TRUE(binding.LoadFrom(folder));
    EXPECT_TRUE(test::WriteFileBytes(folder + L"VeltorFeedbackInformation.ini",
                                     "[Feedback]\r\nKnowledgeBaseUrl=https://kb.test.example\r\n"));
    test::ConfigureFakeFeedback(g_questionLog = folder + L"calls.txt");
    CProblemSolvingFeedbackDlg dialog;
    dialog.SetFeedback(withBinding ? &binding : nullptr);
    const auto child = [&] { return dialog.Child().GetSafeHwnd(); };
    EXPECT_NE(test::RunModal(dialog, child, [&] { action(child()); }), -2);
    return test::ReadFakeFeedbackLog(g_questionLog);
}

// Presses a button with the pointer on it or away from it. The pointer is shared with every program
// on the display: it is set until it stays put.
void Press(HWND child, UINT id, bool pointerInside) {
    HWND button = ::GetDlgItem(child, static_cast<int>(id));
    const POINT target = pointerInside ? CentreOf(button) : POINT{1, 1};
    const RECT rect = test::RectOf(button);
    POINT now{};
    for (int attempt = 0; attempt < 20 && (!::GetCursorPos(&now) || ::PtInRect(&rect, now) != pointerInside); ++attempt)
        ::SetCursorPos(target.x, target.y);
    test::ClickButton(child, id);
}

TEST(FeedbackQuestion, OnlyPointedAnswersAreReportedWithTheTimeThenTheQuestionCall) {
    for (const auto& [button, answer] : {std::pair{IDC_SOLVED, 1}, {IDC_UNSOLVED, 2}, {IDC_FEEDBACK_CLOSE, 3}}) {
        const std::vector<std::wstring> calls = RunQuestion([&, button = button](HWND child) {
            // With the pointer elsewhere a keyboard answer is no answer; more solutions opens the knowledge base.
            Press(child, IDC_SOLVED, false);
            Press(child, IDC_UNSOLVED, false);
            Press(child, IDC_MORE_SOLUTIONS, false);
            EXPECT_TRUE(::IsWindowVisible(child));
            // The pointer may be moved by another program between setting and pressing.
            for (int attempt = 0; attempt < 20 && test::ReadFakeFeedbackLog(g_questionLog).size() < 2; ++attempt)
                Press(child, button, true);
        });
        ASSERT_EQ(calls.size(), 3u) << answer;
        EXPECT_EQ(calls[0], L"OpenUrl|https://kb.test.example");
        const std::wstring prefix = L"CustomerFeedbackEx|10100|1.0.20.1116|" + std::to_wstring(answer) + L"|";
        EXPECT_EQ(calls[1].rfind(prefix, 0), 0u) << calls[1];
        EXPECT_LT(std::llabs(std::stoll(calls[1].substr(prefix.size())) - std::time(nullptr)), 120);
        EXPECT_EQ(calls[2], L"FeedbackQuestion|10100|1.0.20.1116");
    }
    EXPECT_TRUE(
        RunQuestion([&](HWND child) { Press(child, IDC_SOLVED, true); }, false).empty()); // no binding: it still ends
}

} // namespace
} // namespace tsu
