#include "app/AppMessages.h"
#include "app/CExecutePromptDlg.h"
#include "app/FeedbackBinding.h"
#include "app/core/DialogRules.h"
#include "app/core/ToolIdentity.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/common/ProcessTestSupport.h"
#include "tests/common/TestSupport.h"
#include "uninstall/engine/EngineMessages.h"

#include <gtest/gtest.h>

#include <thread>

namespace tsu {
namespace {

using test::RectOf;

INT_PTR RunPrompt(CPromptDlg& prompt, int style, const std::function<void(HWND child)>& action) {
    prompt.SetStyle(style);
    prompt.SetText(L"您确定卸载当前选择的文件？");
    return test::RunModal(
        prompt, [&] { return prompt.Child().GetSafeHwnd(); }, [&] { action(prompt.Child().GetSafeHwnd()); });
}

TEST(Prompt, EachStyleSwallowsEnterAndEscapeAndEndsOnItsButtonsOrTheToolsClose) {
    constexpr UINT kWmClose = 1, kCancelAll = 2; // instead of a button
    const struct {
        int style;
        UINT button;
        INT_PTR result;
    } cases[] = {{3, IDC_PROMPT_FIRST, IDOK},
                 {4, IDC_PROMPT_SECOND, IDCANCEL},
                 {3, IDC_CLOSE_BUTTON, IDCANCEL},
                 {4, kWmClose, IDCANCEL},
                 {4, kCancelAll, IDCANCEL}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.style << " " << c.button);
        test::TestHostWindow owner;
        ASSERT_TRUE(owner.Create(200, 100));
        CPromptDlg prompt(owner.GetSafeHwnd());
        const auto answer = [&](HWND child) {
            EXPECT_TRUE(!::IsWindowEnabled(owner.GetSafeHwnd()) && CPromptDlg::OpenPrompts().size() == 1);
            if (c.button == IDC_PROMPT_SECOND)
                test::SaveWindowAreaPng(prompt.GetSafeHwnd(), L"prompt");
            // Posted keys come before the posted answer: an Escape that got through
            // would end an answered prompt with IDCANCEL.
            for (HWND target : {prompt.GetSafeHwnd(), child, ::GetDlgItem(child, IDC_PROMPT_FIRST),
                                ::GetDlgItem(child, IDC_PROMPT_SECOND)}) {
                EXPECT_TRUE(test::KeyIsSwallowed(target, VK_RETURN) && test::KeyIsSwallowed(target, VK_ESCAPE));
                ::PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 1);
                ::PostMessageW(target, WM_KEYDOWN, VK_RETURN, 1);
            }
            if (c.button == kWmClose)
                ::PostMessageW(prompt.GetSafeHwnd(), WM_CLOSE, 0, 0);
            else if (c.button == kCancelAll)
                CPromptDlg::CancelOpenPrompts();
            else
                ::PostMessageW(child, WM_COMMAND, MAKEWPARAM(c.button, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(child, c.button)));
        };
        EXPECT_EQ(RunPrompt(prompt, c.style, answer), c.result);
        EXPECT_TRUE(::IsWindowEnabled(owner.GetSafeHwnd()) && CPromptDlg::OpenPrompts().empty());
    }
}

TEST(Prompt, TheStripDragsHostAndChild) {
    CPromptDlg prompt;
    const auto drag = [&](HWND c) {
        const RECT host = RectOf(prompt.GetSafeHwnd()), child = RectOf(c);
        // The two buttons side by side, the second just right of the middle.
        const RECT first = RectOf(::GetDlgItem(c, IDC_PROMPT_FIRST)),
                   second = RectOf(::GetDlgItem(c, IDC_PROMPT_SECOND));
        EXPECT_EQ(second.left - child.left, (child.right - child.left) / 2 + 12);
        EXPECT_EQ(std::pair(second.top, second.right - second.left), std::pair(first.top, first.right - first.left));
        EXPECT_EQ(::SendMessageW(c, WM_NCHITTEST, 0, MAKELPARAM(child.left + 40, child.top + 10)), HTCAPTION);
        // What the system's move loop does with the dragged child; then a move of the host.
        ::SetWindowPos(c, nullptr, child.left + 30, child.top + 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        const RECT hostAfter = RectOf(prompt.GetSafeHwnd());
        EXPECT_EQ(std::pair(hostAfter.left, hostAfter.top), std::pair(host.left + 30, host.top + 20));
        EXPECT_EQ(RectOf(c).left, child.left + 30);
        test::ClickButton(c, IDC_PROMPT_SECOND);
    };
    EXPECT_EQ(RunPrompt(prompt, 4, drag), IDCANCEL);
}

TEST(WaitDialog, AShortTextShowsTheDefaultAndOnlyCloseProgressEndsIt) {
    CExecutePromptDlg wait;
    wait.SetText(L"x");
    EXPECT_EQ(
        test::RunModal(
            wait, [&] { return wait.GetSafeHwnd(); },
            [&] {
                EXPECT_EQ(wait.Child().TextControl().GetWindowText(), kDefaultWaitText);
                EXPECT_TRUE(::IsWindowVisible(wait.Child().GetSafeHwnd())); // the text and the dots
                ::SendMessageW(wait.GetSafeHwnd(), WM_CLOSE, 0, 0);
                ::SendMessageW(wait.Child().GetSafeHwnd(), WM_CLOSE, 0, 0);
                EXPECT_TRUE(::IsWindowVisible(wait.GetSafeHwnd()) &&
                            test::KeyIsSwallowed(wait.GetSafeHwnd(), VK_ESCAPE));
                test::SaveWindowAreaPng(wait.GetSafeHwnd(), L"wait_dialog");
                // The engines send the close from their worker threads.
                std::thread([hwnd = wait.GetSafeHwnd()] { ::SendMessageW(hwnd, WM_CLOSE_PROGRESS, 0, 0); }).detach();
            }),
        IDOK);
    CExecutePromptDlg early; // a close that arrives before the run ends the run at once
    early.RequestClose();
    EXPECT_EQ(early.DoModal(), IDOK);
}

std::wstring Folder(const std::wstring& name, test::FeedbackKind kind) {
    const std::wstring folder = test::MakeFeedbackFolder(name, kind);
    test::ConfigureFakeFeedback(folder + L"calls.txt", 7, 4);
    return folder.substr(0, folder.size() - 1);
}

// The complete library's calls and settings: the shipped program's start (the end-to-end tests).
TEST(FeedbackBinding, AnIncompleteOrBrokenLibraryDoesNotLoadAndCallsNothing) {
    const std::wstring partial = Folder(L"binding-partial", test::FeedbackKind::FakePartial);
    const std::wstring broken = Folder(L"binding-broken", test::FeedbackKind::None);
    ASSERT_TRUE(test::WriteFileBytes(broken + L"\\VeltorFeedbackInformation.dll", "MZ this is no library"));
    for (const auto& [folder, missing] : {std::pair{partial, "OpenToolDownUrl"}, {broken, "InitFreedbackDll"}}) {
        FeedbackBinding bad;
        EXPECT_FALSE(bad.LoadFrom(folder));
        EXPECT_EQ(bad.MissingEntryPoint(), missing);
        EXPECT_EQ(std::pair(bad.InitFreedbackDll(), bad.GetToolIsNewVersion(kToolId, kToolVersion)), std::pair(0, 0));
        bad.FeedbackQuestion(kToolId, kToolVersion);
        EXPECT_TRUE(test::ReadFakeFeedbackLog(folder + L"\\calls.txt").empty());
    }
}

} // namespace
} // namespace tsu
