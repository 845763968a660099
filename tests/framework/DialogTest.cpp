#include "framework/CDialog.h"
#include "res/ResourceIds.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

// Every modal run costs two seconds under Wine without a window manager (the activated dialog is
// "managed" and its unmapping waits).
constexpr UINT kEndWithCode = WM_APP + 1;
constexpr UINT kCheckOwner = WM_APP + 2;

// The prompt's child template: a captionless popup (captioned dialogs cost two seconds more).
class ProbeDialog : public CDialog {
public:
    explicit ProbeDialog(HWND parent = nullptr) : CDialog(IDD_PROMPT_CHILD, parent) {}

    bool initialised = false;
    bool swallowEnterAndEscape = false;
    bool ownerWasEnabledDuringRun = true;
    std::function<void(ProbeDialog&)> onInit;

protected:
    BOOL OnInitDialog() override {
        initialised = ::GetDlgItem(m_hWnd, IDC_PROMPT_FIRST) != nullptr;
        if (onInit)
            onInit(*this);
        // No focus: setting it would activate the dialog (see the note above).
        return FALSE;
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        if (swallowEnterAndEscape && IsEnterOrEscapeKeyDown(*msg))
            return TRUE;
        return CDialog::PreTranslateMessage(msg);
    }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == kEndWithCode) {
            EndDialog(static_cast<INT_PTR>(wp));
            return 0;
        }
        if (msg == kCheckOwner) {
            ownerWasEnabledDuringRun = ::IsWindowEnabled(m_parent) != FALSE;
            return 0;
        }
        return CDialog::WindowProc(msg, wp, lp);
    }
};

void PostKey(HWND target, WPARAM key) {
    ::PostMessageW(target, WM_KEYDOWN, key, 1);
    ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

TEST(ModalDialog, EscapeEndsTheRunWithCancelAndTheOwnerIsDisabledMeanwhile) {
    test::TestHostWindow owner;
    ASSERT_TRUE(owner.Create(200, 100));
    ProbeDialog dlg(owner.GetSafeHwnd());
    dlg.onInit = [](ProbeDialog& d) {
        ::PostMessageW(d.GetSafeHwnd(), kCheckOwner, 0, 0);
        PostKey(d.GetSafeHwnd(), VK_ESCAPE);
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(dlg.initialised);
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr); // destroyed at the end of the run
    EXPECT_FALSE(dlg.ownerWasEnabledDuringRun);
    EXPECT_TRUE(::IsWindowEnabled(owner.GetSafeHwnd()));
}

TEST(ModalDialog, EnterEndsWithOk) {
    ProbeDialog dlg;
    dlg.onInit = [](ProbeDialog& d) { PostKey(d.GetSafeHwnd(), VK_RETURN); };
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

TEST(ModalDialog, PreTranslateMessageSwallowsEnterAndEscapeBeforeTheDialogManager) {
    ProbeDialog dlg;
    dlg.swallowEnterAndEscape = true;
    dlg.onInit = [](ProbeDialog& d) {
        PostKey(d.GetSafeHwnd(), VK_ESCAPE);
        PostKey(d.GetSafeHwnd(), VK_RETURN);
        // Queued after the keys: reached only when neither key ended the dialog.
        ::PostMessageW(d.GetSafeHwnd(), kEndWithCode, 77, 0);
    };
    EXPECT_EQ(dlg.DoModal(), 77);
}

TEST(ModalDialog, QuitMessageEndsTheRunAndIsPostedAgain) {
    ProbeDialog dlg;
    dlg.onInit = [](ProbeDialog&) { ::PostQuitMessage(5); };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
}

TEST(Dialog, MissingTemplateFails) {
    CDialog modal(9999);
    EXPECT_EQ(modal.DoModal(), -1);
    EXPECT_EQ(modal.GetSafeHwnd(), nullptr);
    test::TestHostWindow host;
    ASSERT_TRUE(host.Create(100, 100));
    CDialog modeless(9999);
    EXPECT_FALSE(modeless.Create(host.GetSafeHwnd()));
}

TEST(ModelessDialog, CreatesFromTemplateAndEndDialogDestroysIt) {
    // Without owner: under Wine an owner of a visible popup becomes a "managed" window, whose
    // destruction costs two seconds without a window manager.
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    EXPECT_TRUE(dlg.initialised);
    EXPECT_FALSE(dlg.IsModal());
    HWND hwnd = dlg.GetSafeHwnd();
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    test::SaveWindowPng(hwnd, L"framework_prompt_child_template");
    // Escape through the dialog manager: WM_COMMAND IDCANCEL, OnCancel, EndDialog.
    MSG msg{hwnd, WM_KEYDOWN, VK_ESCAPE, 1, 0, {}};
    EXPECT_TRUE(CWnd::WalkPreTranslateTree(&msg));
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
}

} // namespace
} // namespace tsu
