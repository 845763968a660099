#include "app/CPageDlg.h"

#include "app/LayeredWindow.h"
#include "app/core/WindowGeometry.h"

#include <windowsx.h>

namespace tsu {

namespace {
constexpr int kDragStripHeight = 30;
constexpr int kDragStripRightExcluded = 86; // the minimise and close buttons
} // namespace

LRESULT CPageDlg::DragStripHitTest(LPARAM lp) {
    POINT client{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    ScreenToClient(client);
    m_inDragStrip =
        InDragStrip(client.x, client.y, GetClientRect().right, S(kDragStripHeight), S(kDragStripRightExcluded));
    return m_inDragStrip ? HTCAPTION : DefWindowProc(WM_NCHITTEST, 0, lp);
}

void CPageDlg::EraseBackground(HDC dc) {
    const RECT client = GetClientRect();
    const bool sameSize =
        m_background.IsValid() && m_background.Width() == client.right && m_background.Height() == client.bottom;
    if (!sameSize || !m_backgroundComplete) {
        if (!m_background.EnsureCompatible(dc, client.right, client.bottom))
            return;
        m_backgroundComplete = PaintBackground(m_background.Dc());
    }
    (void)m_background.CopyTo(dc);
}

LRESULT CPageDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        EraseBackground(reinterpret_cast<HDC>(wp));
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_MOVE:
        if (m_inDragStrip && m_mainWindow)
            (void)MoveWindowTo(m_mainWindow, OutsetBox(WindowBoxOf(m_hWnd), kPageInset, m_scale), true);
        break;
    default:
        break;
    }
    return CToolDialog::WindowProc(msg, wp, lp);
}

} // namespace tsu
