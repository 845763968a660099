// The terms viewer over the start page and the closing question on their own: toggling (also in
// quick succession), clicks that hide the viewer and clicks that must not, the answers reported to
// the feedback library, a keyboard "解决" with the pointer elsewhere, "更多方案".

#include "app/AppMessages.h"
#include "app/ClickHook.h"
#include "app/CProblemSolvingFeedbackDlg.h"
#include "app/CTooltipDlg.h"
#include "app/FeedbackBinding.h"
#include "tests/app/TermsLayout.h"
#include "tests/app/ToolWindow.h"
#include "tests/common/TestProcess.h"

#include <cstdlib>
#include <ctime>

#include <gtest/gtest.h>
#include <richedit.h>

namespace tsu {
namespace {

POINT CentreOf(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

TEST(TermsViewer, TheLabelTogglesItAndClicksElsewhereHideIt) {
    test::ToolWindow tool(L"terms");
    ASSERT_TRUE(tool.Create());
    CSoftwareUninstallMainDlg& start = tool.Start();
    HWND label = start.GetDlgItem(IDC_TERMS_LABEL);
    const auto clickLabel = [&] {
        ::SendMessageW(start.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_TERMS_LABEL, STN_CLICKED),
                       reinterpret_cast<LPARAM>(label));
    };
    clickLabel();
    CTooltipDlg* viewer = start.TermsViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->IsViewerVisible());
    EXPECT_TRUE(viewer->Child().IsWindowVisible());
    const RECT page = start.GetWindowRect();
    const RECT host = viewer->GetWindowRect();
    EXPECT_EQ(host.right - host.left, 541);
    EXPECT_EQ(host.bottom - host.top, 402);
    EXPECT_EQ(host.left, page.left + 400 - 270);
    EXPECT_EQ(host.top, page.top + 600 - 430);
    // The terms are in the read-only box.
    HWND edit = viewer->Child().RichEdit();
    ASSERT_NE(edit, nullptr);
    EXPECT_GT(::GetWindowTextLengthW(edit), 2000);
    EXPECT_TRUE(::GetWindowLongPtrW(edit, GWL_STYLE) & ES_READONLY);
    // The box paints (and its frame places it) when their messages run; the screen then shows it,
    // every line wrapped to the visible width: more lines than paragraphs, none reaching past it.
    ::RedrawWindow(viewer->Child().GetSafeHwnd(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    test::PumpPending();
    const test::TermsLayout layout = test::MeasureTermsLayout(edit);
    EXPECT_GT(layout.lines, layout.paragraphs);
    EXPECT_LE(layout.widestRight, layout.visibleRight);
    EXPECT_GT(layout.widestRight, layout.visibleRight * 3 / 4);
    test::SaveWindowAreaPng(tool.window->GetSafeHwnd(), L"terms_viewer");

    clickLabel();
    EXPECT_FALSE(viewer->IsViewerVisible());
    EXPECT_FALSE(viewer->Child().IsWindowVisible());
    // Toggled quickly many times: one viewer, and it ends in the state the count says.
    for (int i = 0; i < 21; ++i)
        clickLabel();
    test::PumpPending();
    EXPECT_EQ(start.TermsViewer(), viewer);
    EXPECT_TRUE(viewer->IsViewerVisible());
    EXPECT_TRUE(viewer->Child().IsWindowVisible());

    // A click inside the viewer (its scroll bar, its text) leaves it open.
    ASSERT_TRUE(::SetCursorPos(CentreOf(viewer->Child().GetSafeHwnd()).x, CentreOf(viewer->Child().GetSafeHwnd()).y));
    ::SendMessageW(start.GetSafeHwnd(), WM_GLOBAL_LBUTTONDOWN, WM_LBUTTONDOWN, 0);
    EXPECT_TRUE(viewer->IsViewerVisible());
    // A click on the label goes to the label's own toggle.
    ASSERT_TRUE(::SetCursorPos(CentreOf(label).x, CentreOf(label).y));
    ::SendMessageW(start.GetSafeHwnd(), WM_GLOBAL_LBUTTONDOWN, WM_LBUTTONDOWN, 0);
    EXPECT_TRUE(viewer->IsViewerVisible());
    // Anywhere else on the page, or outside the tool: hidden.
    ASSERT_TRUE(::SetCursorPos(page.left + 100, page.top + 100));
    ::SendMessageW(start.GetSafeHwnd(), WM_GLOBAL_LBUTTONDOWN, WM_LBUTTONDOWN, 0);
    EXPECT_FALSE(viewer->IsViewerVisible());
    clickLabel();
    ASSERT_TRUE(::SetCursorPos(page.right + 50 < ::GetSystemMetrics(SM_CXSCREEN) ? page.right + 50 : 1, 1));
    ::SendMessageW(start.GetSafeHwnd(), WM_GLOBAL_LBUTTONDOWN, WM_LBUTTONDOWN, 0);
    EXPECT_FALSE(viewer->IsViewerVisible());
}

TEST(ClickHook, ARealLeftClickAnywhereIsPostedToTheTargetAndEveryEventPassesOn) {
    test::TestHostWindow target;
    ASSERT_TRUE(target.Create(100, 60));
    int clicks = 0;
    WPARAM seenParameter = 0;
    target.OnMessage = [&](UINT msg, WPARAM wp, LPARAM, LRESULT* result) {
        if (msg != WM_GLOBAL_LBUTTONDOWN)
            return false;
        ++clicks;
        seenParameter = wp;
        *result = 0;
        return true;
    };
    {
        ClickHook hook;
        EXPECT_FALSE(hook.SetTargetWindow(nullptr));
        ASSERT_TRUE(hook.SetTargetWindow(target.GetSafeHwnd()));
        ASSERT_TRUE(hook.Install());
        EXPECT_TRUE(ClickHook::IsInstalled());
        // A right click is not looked at; a left press is, wherever it lands (here a corner of the
        // screen where no window of any test lies).
        ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 3, ::GetSystemMetrics(SM_CYSCREEN) - 3);
        INPUT inputs[4] = {};
        for (INPUT& input : inputs)
            input.type = INPUT_MOUSE;
        inputs[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
        inputs[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
        inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        inputs[3].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ASSERT_EQ(::SendInput(4, inputs, sizeof(INPUT)), 4u);
        EXPECT_TRUE(test::PumpUntil([&] { return clicks > 0; }, 5000));
        test::PumpPending();
        EXPECT_EQ(clicks, 1);
        EXPECT_EQ(seenParameter, static_cast<WPARAM>(WM_LBUTTONDOWN));
    }
    // Removed with its owner: no more messages.
    EXPECT_FALSE(ClickHook::IsInstalled());
    INPUT again[2] = {};
    again[0].type = again[1].type = INPUT_MOUSE;
    again[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    again[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    (void)::SendInput(2, again, sizeof(INPUT));
    test::PumpPending();
    EXPECT_EQ(clicks, 1);
}

// The closing question with a binding to the recording stand-in.
class FeedbackQuestion : public ::testing::Test {
protected:
    void SetUp() override {
        folder = test::MakeFeedbackFolder(L"question", test::FeedbackKind::FakeFull);
        log = folder + L"calls.txt";
        test::ConfigureFakeFeedback(log);
        ASSERT_TRUE(binding.LoadFrom(folder));
        ASSERT_TRUE(test::WriteFileBytes(folder + L"VeltorFeedbackInformation.ini",
                                         "[Feedback]\r\nKnowledgeBaseUrl=https://kb.test.example\r\n"));
    }
    // Runs the dialog; action gets its child once it shows.
    void Run(const std::function<void(HWND child)>& action, bool withBinding = true) {
        CProblemSolvingFeedbackDlg dialog;
        dialog.SetFeedback(withBinding ? &binding : nullptr);
        test::WhenReady act([&] { return dialog.GetSafeHwnd() && ::IsWindowVisible(dialog.Child().GetSafeHwnd()); },
                            [&] {
                                const RECT host = dialog.GetWindowRect();
                                const RECT child = dialog.Child().GetWindowRect();
                                hostSize = SIZE{host.right - host.left, host.bottom - host.top};
                                childSize = SIZE{child.right - child.left, child.bottom - child.top};
                                childOffset = POINT{child.left - host.left, child.top - host.top};
                                action(dialog.Child().GetSafeHwnd());
                            });
        // A dialog that no press could end is closed after a while, and the test fails.
        bool forced = false;
        const DWORD giveUp = ::GetTickCount() + 15000;
        test::WhenReady fallback([&] { return static_cast<LONG>(::GetTickCount() - giveUp) > 0; },
                                 [&] {
                                     forced = true;
                                     dialog.EndDialog(IDCANCEL);
                                 },
                                 30000);
        (void)dialog.DoModal();
        EXPECT_TRUE(act.Ran());
        EXPECT_FALSE(forced) << "the dialog did not end";
    }
    // Presses an answer with the pointer on it. The pointer is shared with every other program on
    // the display, so the press is repeated until the answer was reported.
    void Answer(HWND child, UINT id) {
        for (int attempt = 0; attempt < 20; ++attempt) {
            Press(child, id, true);
            for (const std::wstring& call : test::ReadFakeFeedbackLog(log)) {
                if (call.rfind(L"CustomerFeedbackEx|", 0) == 0)
                    return;
            }
        }
    }
    void Press(HWND child, UINT id, bool pointerInside) {
        HWND button = ::GetDlgItem(child, static_cast<int>(id));
        const POINT target = pointerInside ? CentreOf(button) : POINT{1, 1};
        RECT rect{};
        ::GetWindowRect(button, &rect);
        // The pointer is shared with every program on the display: set it until it stays put.
        for (int attempt = 0; attempt < 20; ++attempt) {
            ::SetCursorPos(target.x, target.y);
            POINT now{};
            if (::GetCursorPos(&now) && (::PtInRect(&rect, now) != FALSE) == pointerInside)
                break;
        }
        test::ClickButton(child, id);
    }

    std::wstring folder;
    std::wstring log;
    FeedbackBinding binding;
    SIZE hostSize{};
    SIZE childSize{};
    POINT childOffset{};
};

TEST_F(FeedbackQuestion, EachAnswerIsReportedThenTheQuestionCall) {
    struct Case {
        UINT button;
        int answer;
    };
    for (const Case& c : {Case{IDC_SOLVED, 1}, Case{IDC_UNSOLVED, 2}, Case{IDC_FEEDBACK_CLOSE, 3}}) {
        test::ConfigureFakeFeedback(log);
        Run([&](HWND child) { Answer(child, c.button); });
        const std::vector<std::wstring> calls = test::ReadFakeFeedbackLog(log);
        ASSERT_EQ(calls.size(), 2u) << c.answer;
        const std::wstring prefix = L"CustomerFeedbackEx|10100|1.0.20.1116|" + std::to_wstring(c.answer) + L"|";
        EXPECT_EQ(calls[0].rfind(prefix, 0), 0u) << calls[0];
        // The time is now, in seconds since 1970.
        const long long time = std::stoll(calls[0].substr(prefix.size()));
        EXPECT_LT(std::llabs(time - static_cast<long long>(std::time(nullptr))), 120);
        EXPECT_EQ(calls[1], L"FeedbackQuestion|10100|1.0.20.1116");
    }
    EXPECT_EQ(hostSize.cx, 410);
    EXPECT_EQ(hostSize.cy, 479);
    EXPECT_EQ(childSize.cx, 400);
    EXPECT_EQ(childSize.cy, 468);
    EXPECT_EQ(childOffset.x, 5);
    EXPECT_EQ(childOffset.y, 4);
}

TEST_F(FeedbackQuestion, AKeyboardAnswerWithThePointerElsewhereIsNoAnswer) {
    bool stillOpen = false;
    Run([&](HWND child) {
        Press(child, IDC_SOLVED, false);
        Press(child, IDC_UNSOLVED, false);
        stillOpen = ::IsWindowVisible(child) != FALSE;
        // More solutions opens the knowledge base and stays; then the close answers.
        Press(child, IDC_MORE_SOLUTIONS, false);
        Press(child, IDC_MORE_SOLUTIONS, true);
        Press(child, IDC_FEEDBACK_CLOSE, false);
    });
    EXPECT_TRUE(stillOpen);
    const std::vector<std::wstring> calls = test::ReadFakeFeedbackLog(log);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0], L"OpenUrl|https://kb.test.example");
    EXPECT_EQ(calls[1], L"OpenUrl|https://kb.test.example");
    EXPECT_EQ(calls[2].rfind(L"CustomerFeedbackEx|10100|1.0.20.1116|3|", 0), 0u);
}

TEST_F(FeedbackQuestion, WithoutABindingEveryButtonStillWorks) {
    Run([&](HWND child) { Press(child, IDC_SOLVED, true); }, false);
    EXPECT_TRUE(test::ReadFakeFeedbackLog(log).empty());
}

} // namespace
} // namespace tsu
