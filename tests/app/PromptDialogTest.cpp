// The prompt and the wait dialog as real windows: results of the buttons per style, keys that must
// not close anything, dragging by the strip, the wait dialog's only way out.

#include "app/AppMessages.h"
#include "app/CExecutePromptDlg.h"
#include "app/core/DialogRules.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/common/TestSupport.h"
#include "uninstall/engine/EngineMessages.h"

#include <gtest/gtest.h>

#include <thread>

namespace tsu {
namespace {

RECT RectOf(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

INT_PTR RunPrompt(CPromptDlg& prompt, int style, const std::function<void(HWND child)>& action) {
    prompt.SetStyle(style);
    prompt.SetText(L"您确定卸载当前选择的文件？");
    return test::RunModal(
        prompt, [&] { return prompt.Child().GetSafeHwnd(); }, [&] { action(prompt.Child().GetSafeHwnd()); });
}

TEST(Prompt, EachStyleShowsItsButtonsAndReturnsOkOnlyForTheFirst) {
    const struct {
        int style;
        UINT button;
        INT_PTR result;
    } cases[] = {{3, IDC_PROMPT_FIRST, IDOK},    {4, IDC_PROMPT_FIRST, IDOK}, {4, IDC_PROMPT_SECOND, IDCANCEL},
                 {1, IDC_PROMPT_FIRST, IDOK},    {2, IDC_PROMPT_FIRST, IDOK}, {7, IDC_PROMPT_FIRST, IDOK},
                 {3, IDC_CLOSE_BUTTON, IDCANCEL}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        test::TestHostWindow owner;
        ASSERT_TRUE(owner.Create(200, 100));
        CPromptDlg prompt(owner.GetSafeHwnd());
        bool ownerDisabled = false, secondShown = false;
        RECT first{}, client{};
        EXPECT_EQ(RunPrompt(prompt, c.style,
                            [&](HWND child) {
                                ownerDisabled = !::IsWindowEnabled(owner.GetSafeHwnd());
                                secondShown = ::IsWindowVisible(::GetDlgItem(child, IDC_PROMPT_SECOND));
                                first = RectOf(::GetDlgItem(child, IDC_PROMPT_FIRST));
                                ::MapWindowPoints(nullptr, child, reinterpret_cast<POINT*>(&first), 2);
                                ::GetClientRect(child, &client);
                                if (c.button == IDC_PROMPT_FIRST)
                                    test::SaveWindowAreaPng(prompt.GetSafeHwnd(),
                                                            L"prompt_style" + std::to_wstring(c.style));
                                test::ClickButton(child, c.button);
                            }),
                  c.result);
        EXPECT_TRUE(ownerDisabled);
        EXPECT_TRUE(::IsWindowEnabled(owner.GetSafeHwnd()));
        const PromptButtonPlan plan = PlanPromptButtons(c.style);
        EXPECT_EQ(secondShown, plan.secondShown);
        EXPECT_TRUE(!plan.firstCentred || (first.left + first.right) / 2 == client.right / 2);
    }
    CPromptDlg closed;
    EXPECT_EQ(RunPrompt(closed, 4, [&](HWND) { ::PostMessageW(closed.GetSafeHwnd(), WM_CLOSE, 0, 0); }), IDCANCEL);
}

TEST(Prompt, EnterAndEscapeAreSwallowedAndTheStripDragsHostAndChild) {
    CPromptDlg prompt;
    bool swallowed = true, stillOpen = false;
    RECT host{}, child{}, hostAfter{}, childAfter{}, childAfterHostMove{};
    LRESULT stripHit = 0, buttonHit = 0;
    // WM_TIMER comes only when no posted message waits: the keys are dispatched before this runs.
    test::WhenReady answer([&] { return childAfter.right != 0; },
                           [&] {
                               stillOpen = ::IsWindowVisible(prompt.GetSafeHwnd());
                               test::ClickButton(prompt.Child().GetSafeHwnd(), IDC_PROMPT_SECOND);
                           });
    EXPECT_EQ(RunPrompt(prompt, 4,
                        [&](HWND c) {
                            for (HWND target : {prompt.GetSafeHwnd(), c, ::GetDlgItem(c, IDC_PROMPT_FIRST),
                                                ::GetDlgItem(c, IDC_PROMPT_SECOND)}) {
                                swallowed = swallowed && test::KeyIsSwallowed(target, VK_RETURN) &&
                                            test::KeyIsSwallowed(target, VK_ESCAPE);
                                ::PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 1);
                                ::PostMessageW(target, WM_KEYDOWN, VK_RETURN, 1);
                            }
                            host = RectOf(prompt.GetSafeHwnd());
                            child = RectOf(c);
                            buttonHit =
                                ::SendMessageW(c, WM_NCHITTEST, 0, MAKELPARAM(child.right - 10, child.top + 10));
                            // The press that starts the drag lands in the strip.
                            stripHit = ::SendMessageW(c, WM_NCHITTEST, 0, MAKELPARAM(child.left + 40, child.top + 10));
                            // What the system's move loop does with the dragged child; then a move of the host.
                            ::SetWindowPos(c, nullptr, child.left + 30, child.top + 20, 0, 0,
                                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                            hostAfter = RectOf(prompt.GetSafeHwnd());
                            childAfter = RectOf(c);
                            ::SetWindowPos(prompt.GetSafeHwnd(), nullptr, hostAfter.left - 50, hostAfter.top, 0, 0,
                                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                            childAfterHostMove = RectOf(c);
                        }),
              IDCANCEL);
    EXPECT_TRUE(swallowed);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(stripHit, HTCAPTION);
    EXPECT_NE(buttonHit, HTCAPTION);
    EXPECT_EQ(hostAfter.left, host.left + 30);
    EXPECT_EQ(hostAfter.top, host.top + 20);
    EXPECT_EQ(childAfter.left, child.left + 30);
    EXPECT_EQ(childAfterHostMove.left, childAfter.left - 50);
}

TEST(Prompt, OpenPromptsAreCancelledWhenTheToolCloses) {
    CPromptDlg prompt;
    size_t open = 0;
    EXPECT_EQ(RunPrompt(prompt, 4,
                        [&](HWND) {
                            open = CPromptDlg::OpenPrompts().size();
                            CPromptDlg::CancelOpenPrompts();
                        }),
              IDCANCEL);
    EXPECT_EQ(open, 1u);
    EXPECT_TRUE(CPromptDlg::OpenPrompts().empty());
}

TEST(WaitDialog, ShortTextsShowTheDefaultAndOnlyCloseProgressEndsIt) {
    for (const std::wstring text : {L"x", L"正在检测软件，请稍等"}) {
        CExecutePromptDlg wait;
        wait.SetText(text);
        std::wstring shown;
        bool open = false;
        EXPECT_EQ(test::RunModal(
                      wait, [&] { return wait.GetSafeHwnd(); },
                      [&] {
                          shown = wait.Child().TextControl().GetWindowText();
                          ::SendMessageW(wait.GetSafeHwnd(), WM_CLOSE, 0, 0);
                          ::SendMessageW(wait.Child().GetSafeHwnd(), WM_CLOSE, 0, 0);
                          open = ::IsWindowVisible(wait.GetSafeHwnd()) &&
                                 test::KeyIsSwallowed(wait.GetSafeHwnd(), VK_ESCAPE);
                          if (text.size() > 2)
                              test::SaveWindowAreaPng(wait.GetSafeHwnd(), L"wait_dialog");
                          // The engines send the close from their worker threads.
                          std::thread([hwnd = wait.GetSafeHwnd()] {
                              ::SendMessageW(hwnd, WM_CLOSE_PROGRESS, 0, 0);
                          }).detach();
                      }),
                  IDOK);
        EXPECT_TRUE(open);
        EXPECT_EQ(shown, WaitDialogText(text));
    }
    CExecutePromptDlg early; // a close that arrives before the run ends the run at once
    early.RequestClose();
    EXPECT_EQ(early.DoModal(), IDOK);
}

} // namespace
} // namespace tsu
