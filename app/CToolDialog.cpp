#include "app/CToolDialog.h"

#include "app/DialogFont.h"

namespace tsu {

BOOL CToolDialog::OnInitDialog() {
    m_fontOverride = UseChineseCapableDialogFont(m_hWnd);
    return OnInitToolDialog();
}

BOOL CToolDialog::PreTranslateMessage(MSG* msg) {
    // Reported as handled: the message is neither translated nor dispatched, so the dialog
    // manager never turns it into IDOK or IDCANCEL.
    if (IsEnterOrEscapeKeyDown(*msg))
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

LRESULT CToolDialog::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    // Sent straight to the dialog (not through a message loop) the keys are answered here.
    if (msg == WM_KEYDOWN && (wp == VK_RETURN || wp == VK_ESCAPE))
        return 0;
    if (msg == WM_GETFONT && m_fontOverride)
        return reinterpret_cast<LRESULT>(m_fontOverride);
    return CDialog::WindowProc(msg, wp, lp);
}

bool CToolDialog::BindControls(std::initializer_list<std::pair<CWnd*, UINT>> controls) {
    for (const auto& [control, id] : controls) {
        if (!control->SubclassDlgItem(id, m_hWnd)) {
            DestroyWindow();
            return false;
        }
    }
    return true;
}

} // namespace tsu
