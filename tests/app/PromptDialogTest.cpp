// The prompt and the wait dialog as real windows under Wine: styles 3 and 4 and their results,
// the close button, keys that must not close anything, the wait dialog's text rule and its only
// way out, dragging a prompt by its strip, and the sizes of host and child.

#include "app/AppMessages.h"
#include "app/CExecutePromptDlg.h"
#include "app/CPromptDlg.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/TestSupport.h"
#include "uninstall/engine/EngineMessages.h"

#include <gtest/gtest.h>

#include <thread>

namespace tsu {
namespace {

bool PromptShown(CPromptDlg& prompt) {
    return prompt.GetSafeHwnd() && prompt.Child().GetSafeHwnd() && ::IsWindowVisible(prompt.GetSafeHwnd());
}

RECT ChildRectOf(HWND dialog, UINT id) {
    RECT rect{};
    HWND control = ::GetDlgItem(dialog, static_cast<int>(id));
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST(Prompt, StyleThreeShowsOneCentredConfirmButtonAndReturnsOk) {
    test::TestHostWindow owner;
    ASSERT_TRUE(owner.Create(200, 100));
    CPromptDlg prompt(owner.GetSafeHwnd());
    prompt.SetStyle(3);
    prompt.SetText(L"卸载软件失败！");
    bool ownerDisabled = false;
    RECT first{}, client{};
    bool secondVisible = true;
    std::wstring message;
    test::WhenReady click([&] { return PromptShown(prompt); },
                          [&] {
                              HWND child = prompt.Child().GetSafeHwnd();
                              ownerDisabled = !::IsWindowEnabled(owner.GetSafeHwnd());
                              first = ChildRectOf(child, IDC_PROMPT_FIRST);
                              ::GetClientRect(child, &client);
                              secondVisible = ::IsWindowVisible(::GetDlgItem(child, IDC_PROMPT_SECOND)) != FALSE;
                              wchar_t text[64] = {};
                              ::GetWindowTextW(::GetDlgItem(child, IDC_PROMPT_MESSAGE), text, 64);
                              message = text;
                              test::SaveWindowAreaPng(prompt.GetSafeHwnd(), L"prompt_style3");
                              test::ClickButton(child, IDC_PROMPT_FIRST);
                          });
    EXPECT_EQ(prompt.DoModal(), IDOK);
    EXPECT_TRUE(click.Ran());
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(::IsWindowEnabled(owner.GetSafeHwnd()));
    EXPECT_FALSE(secondVisible);
    EXPECT_EQ(message, L"卸载软件失败！");
    EXPECT_EQ((first.left + first.right) / 2, client.right / 2);
    EXPECT_EQ(first.right - first.left, 55);
    EXPECT_EQ(first.top, 107);
}

TEST(Prompt, CloseButtonAndWmCloseReturnCancel) {
    {
        CPromptDlg prompt;
        prompt.SetStyle(3);
        prompt.SetText(L"close button");
        test::WhenReady click([&] { return PromptShown(prompt); },
                              [&] { test::ClickButton(prompt.Child().GetSafeHwnd(), IDC_CLOSE_BUTTON); });
        EXPECT_EQ(prompt.DoModal(), IDCANCEL);
    }
    {
        CPromptDlg prompt;
        prompt.SetStyle(4);
        test::WhenReady close([&] { return PromptShown(prompt); },
                              [&] { ::PostMessageW(prompt.GetSafeHwnd(), WM_CLOSE, 0, 0); });
        EXPECT_EQ(prompt.DoModal(), IDCANCEL);
    }
}

TEST(Prompt, StyleFourReturnsOkForTheLeftAndCancelForTheRightButton) {
    for (UINT button : {IDC_PROMPT_FIRST, IDC_PROMPT_SECOND}) {
        CPromptDlg prompt;
        prompt.SetStyle(4);
        prompt.SetText(L"您确定卸载当前选择的文件？");
        RECT first{}, second{};
        test::WhenReady click([&] { return PromptShown(prompt); },
                              [&] {
                                  HWND child = prompt.Child().GetSafeHwnd();
                                  first = ChildRectOf(child, IDC_PROMPT_FIRST);
                                  second = ChildRectOf(child, IDC_PROMPT_SECOND);
                                  if (button == IDC_PROMPT_FIRST)
                                      test::SaveWindowAreaPng(prompt.GetSafeHwnd(), L"prompt_style4");
                                  test::ClickButton(child, button);
                              });
        EXPECT_EQ(prompt.DoModal(), button == IDC_PROMPT_FIRST ? IDOK : IDCANCEL);
        EXPECT_LT(first.right, second.left);
        EXPECT_EQ(second.left - first.right, 24);
    }
}

TEST(Prompt, OtherStylesShowTheirButtonsToo) {
    for (int style : {1, 2, 7}) {
        CPromptDlg prompt;
        prompt.SetStyle(style);
        prompt.SetText(L"style " + std::to_wstring(style));
        bool secondVisible = false;
        test::WhenReady click([&] { return PromptShown(prompt); },
                              [&] {
                                  HWND child = prompt.Child().GetSafeHwnd();
                                  secondVisible = ::IsWindowVisible(::GetDlgItem(child, IDC_PROMPT_SECOND)) != FALSE;
                                  test::SaveWindowAreaPng(prompt.GetSafeHwnd(),
                                                          L"prompt_style" + std::to_wstring(style));
                                  test::ClickButton(child, IDC_PROMPT_FIRST);
                              });
        EXPECT_EQ(prompt.DoModal(), IDOK);
        EXPECT_EQ(secondVisible, style == 2);
    }
}

TEST(Prompt, EnterAndEscapeAreSwallowedOnHostChildAndButtons) {
    CPromptDlg prompt;
    prompt.SetStyle(4);
    bool allSwallowed = false;
    bool stillOpen = false;
    test::WhenReady keys([&] { return PromptShown(prompt); },
                         [&] {
                             HWND child = prompt.Child().GetSafeHwnd();
                             allSwallowed = true;
                             for (HWND target : {prompt.GetSafeHwnd(), child, ::GetDlgItem(child, IDC_PROMPT_FIRST),
                                                 ::GetDlgItem(child, IDC_PROMPT_SECOND)}) {
                                 allSwallowed = allSwallowed && test::KeyIsSwallowed(target, VK_RETURN) &&
                                                test::KeyIsSwallowed(target, VK_ESCAPE);
                                 // Really posted too: the modal loop must drop them.
                                 ::PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 1);
                                 ::PostMessageW(target, WM_KEYDOWN, VK_RETURN, 1);
                             }
                         });
    // WM_TIMER comes only when no posted message waits: the keys are dispatched before this runs.
    test::WhenReady answer([&] { return keys.Ran(); },
                           [&] {
                               stillOpen = PromptShown(prompt);
                               test::ClickButton(prompt.Child().GetSafeHwnd(), IDC_PROMPT_SECOND);
                           });
    EXPECT_EQ(prompt.DoModal(), IDCANCEL);
    EXPECT_TRUE(allSwallowed);
    EXPECT_TRUE(stillOpen);
}

TEST(Prompt, HostAndChildSizesAndDraggingByTheStripMovesBoth) {
    CPromptDlg prompt;
    prompt.SetStyle(3);
    RECT host{}, child{}, hostAfter{}, childAfter{}, childAfterHostMove{};
    LRESULT stripHit = 0, buttonHit = 0;
    test::WhenReady drag(
        [&] { return PromptShown(prompt); },
        [&] {
            HWND childHwnd = prompt.Child().GetSafeHwnd();
            ::GetWindowRect(prompt.GetSafeHwnd(), &host);
            ::GetWindowRect(childHwnd, &child);
            // The press lands in the strip: the child is dragged like by a caption.
            stripHit = ::SendMessageW(childHwnd, WM_NCHITTEST, 0, MAKELPARAM(child.left + 40, child.top + 10));
            buttonHit = ::SendMessageW(childHwnd, WM_NCHITTEST, 0, MAKELPARAM(child.right - 10, child.top + 10));
            stripHit = ::SendMessageW(childHwnd, WM_NCHITTEST, 0, MAKELPARAM(child.left + 40, child.top + 10));
            // What the system's move loop does with the child:
            ::SetWindowPos(childHwnd, nullptr, child.left + 30, child.top + 20, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            ::GetWindowRect(prompt.GetSafeHwnd(), &hostAfter);
            ::GetWindowRect(childHwnd, &childAfter);
            // And a move of the host carries the child.
            ::SetWindowPos(prompt.GetSafeHwnd(), nullptr, hostAfter.left - 50, hostAfter.top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            ::GetWindowRect(childHwnd, &childAfterHostMove);
            test::ClickButton(childHwnd, IDC_PROMPT_FIRST);
        });
    EXPECT_EQ(prompt.DoModal(), IDOK);
    EXPECT_EQ(host.right - host.left, 336);
    EXPECT_EQ(host.bottom - host.top, 156);
    EXPECT_EQ(child.left - host.left, 5);
    EXPECT_EQ(child.top - host.top, 3);
    EXPECT_EQ(child.right - child.left, 326);
    EXPECT_EQ(child.bottom - child.top, 146);
    EXPECT_EQ(stripHit, HTCAPTION);
    EXPECT_NE(buttonHit, HTCAPTION);
    EXPECT_EQ(hostAfter.left, host.left + 30);
    EXPECT_EQ(hostAfter.top, host.top + 20);
    EXPECT_EQ(childAfter.left, child.left + 30);
    EXPECT_EQ(childAfterHostMove.left, childAfter.left - 50);
    EXPECT_EQ(childAfterHostMove.top, childAfter.top);
}

TEST(Prompt, OpenPromptsAreCancelledWhenTheToolCloses) {
    CPromptDlg prompt;
    prompt.SetStyle(4);
    size_t open = 0;
    test::WhenReady cancel([&] { return PromptShown(prompt); },
                           [&] {
                               open = CPromptDlg::OpenPrompts().size();
                               CPromptDlg::CancelOpenPrompts();
                           });
    EXPECT_EQ(prompt.DoModal(), IDCANCEL);
    EXPECT_EQ(open, 1u);
    EXPECT_TRUE(CPromptDlg::OpenPrompts().empty());
}

std::wstring WaitTextShown(CExecutePromptDlg& wait) {
    return wait.Child().TextControl().GetWindowText();
}

TEST(WaitDialog, ShortTextsShowTheDefaultAndOnlyCloseProgressEndsIt) {
    for (const wchar_t* text : {L"", L"x", L"正在检测软件，请稍等"}) {
        CExecutePromptDlg wait;
        wait.SetText(text);
        std::wstring shown;
        bool openAfterClose = false;
        RECT host{}, child{};
        test::WhenReady check(
            [&] { return wait.GetSafeHwnd() && ::IsWindowVisible(wait.GetSafeHwnd()); },
            [&] {
                shown = WaitTextShown(wait);
                ::GetWindowRect(wait.GetSafeHwnd(), &host);
                ::GetWindowRect(wait.Child().GetSafeHwnd(), &child);
                // Neither the close command nor the keys end it.
                ::SendMessageW(wait.GetSafeHwnd(), WM_CLOSE, 0, 0);
                ::SendMessageW(wait.Child().GetSafeHwnd(), WM_CLOSE, 0, 0);
                openAfterClose =
                    ::IsWindowVisible(wait.GetSafeHwnd()) && test::KeyIsSwallowed(wait.GetSafeHwnd(), VK_ESCAPE);
                if (std::wstring(text).size() > 2)
                    test::SaveWindowAreaPng(wait.GetSafeHwnd(), L"wait_dialog");
                // The engines send the close from their worker threads.
                std::thread worker([hwnd = wait.GetSafeHwnd()] { ::SendMessageW(hwnd, WM_CLOSE_PROGRESS, 0, 0); });
                worker.detach();
            });
        EXPECT_EQ(wait.DoModal(), IDOK);
        EXPECT_TRUE(openAfterClose);
        EXPECT_EQ(shown, std::wstring(text).size() < 2 ? L"正在修复，请稍等" : std::wstring(text));
        EXPECT_EQ(host.right - host.left, 232);
        EXPECT_EQ(host.bottom - host.top, 132);
        EXPECT_EQ(child.left - host.left, 14);
        EXPECT_EQ(child.top - host.top, 12);
        EXPECT_EQ(child.right - child.left, 204);
        EXPECT_EQ(child.bottom - child.top, 104);
    }
}

TEST(WaitDialog, ACloseThatArrivesBeforeTheRunEndsTheRunAtOnce) {
    CExecutePromptDlg wait;
    wait.SetText(L"正在分析，请稍等");
    wait.RequestClose();
    EXPECT_EQ(wait.DoModal(), IDOK);
}

} // namespace
} // namespace tsu
