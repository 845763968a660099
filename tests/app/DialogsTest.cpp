// The terms viewer over the start page, the click hook behind it, and the closing question: the
// answers reported to the feedback library, a keyboard answer with the pointer elsewhere.

#include "app/AppMessages.h"
#include "app/ClickHook.h"
#include "app/CTooltipDlg.h"
#include "app/FeedbackBinding.h"
#include "tests/app/ToolWindow.h"

#include <cstdlib>
#include <ctime>

namespace tsu {
namespace {

POINT CentreOf(HWND window) {
    const RECT rect = test::RectOf(window);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

using TermsViewer = test::ToolTest;

TEST_F(TermsViewer, TheLabelTogglesItWrappedAndClicksElsewhereHideIt) {
    ASSERT_TRUE(tool.Create());
    CSoftwareUninstallMainDlg& start = tool.Start();
    const auto clickLabel = [&] {
        ::SendMessageW(start.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_TERMS_LABEL, STN_CLICKED),
                       reinterpret_cast<LPARAM>(start.GetDlgItem(IDC_TERMS_LABEL)));
    };
    const auto clickAt = [&](POINT at) {
        ASSERT_TRUE(::SetCursorPos(at.x, at.y));
        ::SendMessageW(start.GetSafeHwnd(), WM_GLOBAL_LBUTTONDOWN, WM_LBUTTONDOWN, 0);
    };
    clickLabel();
    CTooltipDlg* viewer = start.TermsViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->Child().IsWindowVisible());
    HWND edit = viewer->Child().RichEdit();
    EXPECT_TRUE(::GetWindowLongPtrW(edit, GWL_STYLE) & ES_READONLY);
    // Every line wrapped to the visible width: more lines than paragraphs, none reaching past it.
    ::RedrawWindow(viewer->Child().GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    test::PumpPending();
    const test::TermsLayout layout = test::MeasureTermsLayout(edit);
    EXPECT_GT(layout.lines, layout.paragraphs);
    EXPECT_LE(layout.widestRight, layout.visibleRight);
    EXPECT_GT(layout.widestRight, layout.visibleRight * 3 / 4);
    test::SaveWindowAreaPng(tool.Main(), L"terms_viewer");
    clickLabel();
    EXPECT_FALSE(viewer->Child().IsWindowVisible());
    // Toggled quickly many times: one viewer, in the state the count says.
    for (int i = 0; i < 21; ++i)
        clickLabel();
    test::PumpPending();
    EXPECT_EQ(start.TermsViewer(), viewer);
    EXPECT_TRUE(viewer->IsViewerVisible() && viewer->Child().IsWindowVisible());
    clickAt(CentreOf(viewer->Child().GetSafeHwnd())); // its scroll bar, its text
    EXPECT_TRUE(viewer->IsViewerVisible());
    clickAt(POINT{start.GetWindowRect().left + 100, start.GetWindowRect().top + 100});
    EXPECT_FALSE(viewer->IsViewerVisible());
}

TEST(ClickHook, ARealLeftClickAnywhereIsPostedToTheTargetAndEveryEventPassesOn) {
    test::TestHostWindow target;
    ASSERT_TRUE(target.Create(100, 60));
    std::vector<WPARAM> clicks;
    target.OnMessage = [&](UINT msg, WPARAM wp, LPARAM, LRESULT* result) {
        if (msg == WM_GLOBAL_LBUTTONDOWN)
            clicks.push_back(wp);
        *result = 0;
        return msg == WM_GLOBAL_LBUTTONDOWN;
    };
    const auto send = [](std::vector<DWORD> flags) {
        std::vector<INPUT> inputs(flags.size());
        for (size_t i = 0; i < flags.size(); ++i)
            inputs[i].type = INPUT_MOUSE, inputs[i].mi.dwFlags = flags[i];
        return ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    };
    {
        ClickHook hook;
        EXPECT_FALSE(hook.SetTargetWindow(nullptr));
        ASSERT_TRUE(hook.SetTargetWindow(target.GetSafeHwnd()) && hook.Install());
        // A corner of the screen where no window of any test lies; the right click is not looked at.
        ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 3, ::GetSystemMetrics(SM_CYSCREEN) - 3);
        ASSERT_EQ(send({MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}), 4u);
        EXPECT_TRUE(test::PumpUntil([&] { return !clicks.empty(); }, 5000));
        test::PumpPending();
        EXPECT_EQ(clicks, std::vector<WPARAM>{WM_LBUTTONDOWN});
    }
    EXPECT_FALSE(ClickHook::IsInstalled()); // removed with its owner
    (void)send({MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
    test::PumpPending();
    EXPECT_EQ(clicks.size(), 1u);
}

std::wstring g_questionLog;

// Runs the closing question bound to the recording stand-in (or to nothing); action gets its child
// once it shows.
std::vector<std::wstring> RunQuestion(const std::function<void(HWND child)>& action, bool withBinding = true) {
    const std::wstring folder = test::MakeFeedbackFolder(L"question", test::FeedbackKind::FakeFull);
    FeedbackBinding binding;
    EXPECT_TRUE(binding.LoadFrom(folder));
    EXPECT_TRUE(test::WriteFileBytes(folder + L"VeltorFeedbackInformation.ini",
                                     "[Feedback]\r\nKnowledgeBaseUrl=https://kb.test.example\r\n"));
    test::ConfigureFakeFeedback(g_questionLog = folder + L"calls.txt");
    CProblemSolvingFeedbackDlg dialog;
    dialog.SetFeedback(withBinding ? &binding : nullptr);
    EXPECT_NE(test::RunModal(
                  dialog, [&] { return dialog.Child().GetSafeHwnd(); }, [&] { action(dialog.Child().GetSafeHwnd()); }),
              -2);
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

TEST(FeedbackQuestion, EachAnswerIsReportedWithTheTimeThenTheQuestionCall) {
    for (const auto& [button, answer] : {std::pair{IDC_SOLVED, 1}, {IDC_UNSOLVED, 2}, {IDC_FEEDBACK_CLOSE, 3}}) {
        // The pointer may be moved by another program between setting and pressing: pressed again
        // until the answer was reported.
        const std::vector<std::wstring> calls = RunQuestion([&, button = button](HWND child) {
            for (int attempt = 0; attempt < 20 && test::ReadFakeFeedbackLog(g_questionLog).empty(); ++attempt)
                Press(child, button, true);
        });
        ASSERT_EQ(calls.size(), 2u) << answer;
        const std::wstring prefix = L"CustomerFeedbackEx|10100|1.0.20.1116|" + std::to_wstring(answer) + L"|";
        EXPECT_EQ(calls[0].rfind(prefix, 0), 0u) << calls[0];
        EXPECT_LT(std::llabs(std::stoll(calls[0].substr(prefix.size())) - std::time(nullptr)), 120);
        EXPECT_EQ(calls[1], L"FeedbackQuestion|10100|1.0.20.1116");
    }
}

TEST(FeedbackQuestion, AKeyboardAnswerWithThePointerElsewhereIsNoAnswer) {
    const std::vector<std::wstring> calls = RunQuestion([&](HWND child) {
        Press(child, IDC_SOLVED, false);
        Press(child, IDC_UNSOLVED, false);
        EXPECT_TRUE(::IsWindowVisible(child));
        // More solutions opens the knowledge base and stays, wherever the pointer is.
        Press(child, IDC_MORE_SOLUTIONS, false);
        Press(child, IDC_MORE_SOLUTIONS, true);
        Press(child, IDC_FEEDBACK_CLOSE, false);
    });
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0], L"OpenUrl|https://kb.test.example");
    EXPECT_EQ(calls[1], calls[0]);
    EXPECT_EQ(calls[2].rfind(L"CustomerFeedbackEx|10100|1.0.20.1116|3|", 0), 0u);
    EXPECT_TRUE(
        RunQuestion([&](HWND child) { Press(child, IDC_SOLVED, true); }, false).empty()); // no binding: it still ends
}

} // namespace
} // namespace tsu
