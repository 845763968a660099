#include "app/CExecutePromptDlg.h"

#include "res/ResourceIds.h"
#include "uninstall/engine/EngineMessages.h"

namespace tsu {

CExecutePromptDlg::CExecutePromptDlg(HWND owner)
    : CLayeredHostDlg(IDD_EXECUTE_PROMPT, owner, IDB_PNG_WAIT_HOST, kWaitDesignWidth, kWaitDesignHeight,
                      kWaitChildInset) {}

CExecutePromptDlg::~CExecutePromptDlg() = default;

void CExecutePromptDlg::RequestClose() {
    m_closeRequested = true;
    if (!m_hWnd)
        return; // OnInitDialog ends the run as soon as it starts
    m_child.StopDots();
    EndDialog(IDOK);
}

BOOL CExecutePromptDlg::OnInitToolDialog() {
    if (m_closeRequested) {
        // The work ended before the dialog could show: end the run at once.
        ::PostMessageW(m_hWnd, WM_CLOSE_PROGRESS, 0, 0);
    }
    if (!InitLayeredHostCentred())
        return FALSE;
    m_child.SetScale(m_scale);
    m_child.SetText(m_text);
    m_child.SetHost(this);
    if (!m_child.Create(IDD_EXECUTE_PROMPT_CHILD, m_hWnd))
        return FALSE;
    PlaceChild();
    m_child.ShowWindow(SW_SHOW);
    return FALSE;
}

LRESULT CExecutePromptDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE_PROGRESS) {
        RequestClose();
        return 1;
    }
    return CLayeredHostDlg::WindowProc(msg, wp, lp);
}

} // namespace tsu
