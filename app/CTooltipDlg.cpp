#include "app/CTooltipDlg.h"

#include "app/LayeredWindow.h"
#include "res/ResourceIds.h"

namespace tsu {

CTooltipDlg::CTooltipDlg()
    : CLayeredHostDlg(IDD_TOOLTIP, nullptr, IDB_PNG_TERMS_BACKGROUND, kTermsDesignWidth, kTermsDesignHeight,
                      kTermsChildInset) {}

CTooltipDlg::~CTooltipDlg() = default;

BOOL CTooltipDlg::OnInitToolDialog() {
    const RECT window = GetWindowRect();
    if (!InitLayeredHost(window.left, window.top))
        return FALSE;
    m_child.SetScale(m_scale);
    m_child.SetHost(this);
    if (!m_child.Create(IDD_TOOLTIP_CHILD, m_hWnd))
        return FALSE;
    PlaceChild();
    return FALSE;
}

void CTooltipDlg::PlaceAt(const WindowBox& box) {
    (void)MoveWindowTo(m_hWnd, box, false);
    PlaceChild();
}

void CTooltipDlg::ShowViewer(bool show) {
    if (!m_hWnd)
        return;
    const int command = show ? SW_SHOWNOACTIVATE : SW_HIDE;
    ::ShowWindow(m_hWnd, command);
    if (HWND child = m_child.GetSafeHwnd())
        ::ShowWindow(child, command);
    if (show)
        RaiseChild();
}

bool CTooltipDlg::IsViewerVisible() const {
    return m_hWnd && ::IsWindowVisible(m_hWnd);
}

bool CTooltipDlg::Contains(POINT screenPoint) const {
    for (HWND window : {m_hWnd, m_child.GetSafeHwnd()}) {
        RECT rect{};
        if (window && ::GetWindowRect(window, &rect) && ::PtInRect(&rect, screenPoint))
            return true;
    }
    return false;
}

} // namespace tsu
