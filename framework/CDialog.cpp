#include "framework/CDialog.h"

#include "framework/ResourceModule.h"

#include <commctrl.h>

namespace tsu {

namespace {

HWND TopLevelOwner(HWND hwnd) {
    if (!hwnd || !::IsWindow(hwnd))
        return nullptr;
    HWND root = ::GetAncestor(hwnd, GA_ROOT);
    return root ? root : hwnd;
}

} // namespace

bool IsEnterOrEscapeKeyDown(const MSG& msg) {
    return msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE);
}

bool CDialog::BindDialog(HWND hwnd) {
    return AttachSubclass(hwnd);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_INITDIALOG)
        return FALSE; // everything after binding goes through the subclass; before it, defaults
    auto* self = reinterpret_cast<CDialog*>(lp);
    if (!self || !self->BindDialog(hwnd))
        return TRUE;
    BOOL result = TRUE;
    try {
        result = self->OnInitDialog();
    } catch (...) {
        ReportWindowError(L"exception in OnInitDialog");
    }
    return result;
}

bool CDialog::Create(UINT templateId, HWND parent) {
    if (m_hWnd)
        return false;
    m_templateId = templateId;
    m_parent = parent;
    m_modal = false;
    HWND hwnd = ::CreateDialogParamW(GetResourceModule(), MAKEINTRESOURCEW(templateId), parent, &CDialog::DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    if (!hwnd)
        return false;
    m_created = true;
    return m_hWnd == hwnd;
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd)
        return -1;
    HMODULE module = GetResourceModule();
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(m_templateId), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    HGLOBAL loaded = info ? ::LoadResource(module, info) : nullptr;
    auto* dialogTemplate = loaded ? static_cast<const DLGTEMPLATE*>(::LockResource(loaded)) : nullptr;
    if (!dialogTemplate)
        return -1;

    HWND owner = TopLevelOwner(m_parent);
    m_modal = true;
    m_continueModal = true;
    m_result = -1;
    HWND hwnd = ::CreateDialogIndirectParamW(module, dialogTemplate, owner, &CDialog::DialogProc,
                                             reinterpret_cast<LPARAM>(this));
    if (!hwnd || m_hWnd != hwnd) {
        if (hwnd)
            ::DestroyWindow(hwnd);
        m_modal = false;
        return -1;
    }
    m_created = true;

    // Disable the owner like DialogBox does, and only when it was enabled before.
    const bool ownerWasEnabled = owner && ::IsWindowEnabled(owner) && owner != hwnd;
    if (ownerWasEnabled)
        ::EnableWindow(owner, FALSE);
    if (m_continueModal && !::IsWindowVisible(hwnd))
        ::ShowWindow(hwnd, SW_SHOWNORMAL);

    bool quit = false;
    int quitCode = 0;
    while (m_continueModal && m_hWnd) {
        MSG msg;
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0) {
            quit = true;
            quitCode = static_cast<int>(msg.wParam);
            m_result = IDCANCEL;
            break;
        }
        if (!WalkPreTranslateTree(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    if (ownerWasEnabled)
        ::EnableWindow(owner, TRUE);
    if (m_hWnd) {
        // Activate the owner before the dialog goes, so the system does not activate another program.
        if (owner && ::GetActiveWindow() == m_hWnd)
            ::SetActiveWindow(owner);
        ::DestroyWindow(m_hWnd);
    }
    m_modal = false;
    if (quit)
        ::PostQuitMessage(quitCode);
    return m_result;
}

void CDialog::EndDialog(INT_PTR result) {
    if (m_modal) {
        m_result = result;
        m_continueModal = false;
        // Wake the loop even when the call came from outside a message.
        if (m_hWnd)
            ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
        return;
    }
    DestroyWindow();
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (!m_hWnd || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return FALSE;
    if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd))
        return FALSE;
    return ::IsDialogMessageW(m_hWnd, msg);
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        if (LOWORD(wp) == IDOK) {
            OnOK();
            return 0;
        }
        if (LOWORD(wp) == IDCANCEL) {
            OnCancel();
            return 0;
        }
    }
    return CWnd::WindowProc(msg, wp, lp);
}

} // namespace tsu
