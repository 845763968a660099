#include "app/CLayeredHostDlg.h"

#include "app/LayeredWindow.h"
#include "controls/DrawingUtils.h"

#include <windowsx.h>

namespace tsu {

CLayeredHostDlg::CLayeredHostDlg(UINT templateId, HWND parent, UINT backgroundPng, int designWidth, int designHeight,
                                 DesignInset childInset)
    : CToolDialog(templateId, parent), m_backgroundPng(backgroundPng), m_designWidth(designWidth),
      m_designHeight(designHeight), m_childInset(childInset) {}

CLayeredHostDlg::~CLayeredHostDlg() = default;

bool CLayeredHostDlg::InitLayeredHost(int x, int y) {
    if (!m_image)
        m_image = LoadPngResource(m_backgroundPng);
    if (!m_image)
        return false;
    WindowBox box = ScaledSize(m_designWidth, m_designHeight, m_scale);
    box.x = x;
    box.y = y;
    return ShowLayeredImage(m_hWnd, m_image.get(), box);
}

bool CLayeredHostDlg::InitLayeredHostCentred() {
    const WindowBox size = ScaledSize(m_designWidth, m_designHeight, m_scale);
    const SIZE screen = ScreenSize();
    const WindowBox box = CentredOnScreen(size.width, size.height, screen.cx, screen.cy);
    return InitLayeredHost(box.x, box.y);
}

WindowBox CLayeredHostDlg::ChildBox() const {
    return InsetBox(WindowBoxOf(m_hWnd), m_childInset, m_scale);
}

void CLayeredHostDlg::PlaceChild() {
    HWND child = ChildWindow();
    if (!child)
        return;
    m_moving = true;
    (void)MoveWindowTo(child, ChildBox(), false);
    m_moving = false;
}

void CLayeredHostDlg::FollowChild() {
    HWND child = ChildWindow();
    if (!child || m_moving)
        return;
    // From now on the child leads; the host goes where the child was dragged.
    m_follow = false;
    m_moving = true;
    (void)MoveWindowTo(m_hWnd, OutsetBox(WindowBoxOf(child), m_childInset, m_scale), true);
    m_moving = false;
    m_follow = true;
}

void CLayeredHostDlg::RaiseChild() {
    RaiseOwnedWindow(ChildWindow());
}

LRESULT CLayeredHostDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_MOVE:
        if (m_follow && !m_moving) {
            PlaceChild();
            return 0;
        }
        break;
    case WM_WINDOWPOSCHANGED: {
        // Wine stacks a host that is shown or activated after its child above the child (the X
        // window is raised); the child belongs on top, as Windows keeps owned windows.
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
        if (pos && ((pos->flags & SWP_SHOWWINDOW) || !(pos->flags & SWP_NOZORDER)))
            RaiseChild();
        break;
    }
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE)
            RaiseChild();
        break;
    default:
        break;
    }
    return CToolDialog::WindowProc(msg, wp, lp);
}

CLayeredChildDlg::CLayeredChildDlg(UINT templateId, UINT backgroundPng, bool draggable)
    : CToolDialog(templateId, nullptr), m_backgroundPng(backgroundPng), m_draggable(draggable) {}

CLayeredChildDlg::~CLayeredChildDlg() = default;

bool CLayeredChildDlg::LoadBackground() {
    if (!m_image)
        m_image = LoadPngResource(m_backgroundPng);
    return m_image != nullptr;
}

LRESULT CLayeredChildDlg::OnNcHitTest(LPARAM lp) {
    POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    ScreenToClient(pt);
    const RECT client = GetClientRect();
    m_inDragStrip = InDragStrip(pt.x, pt.y, client.right, kDragStripHeight, kDragStripRightExcluded);
    if (m_inDragStrip)
        return HTCAPTION;
    return DefWindowProc(WM_NCHITTEST, 0, lp);
}

LRESULT CLayeredChildDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        PaintStretchedBackground(m_hWnd, reinterpret_cast<HDC>(wp), m_image.get());
        return TRUE;
    case WM_NCHITTEST:
        if (m_draggable)
            return OnNcHitTest(lp);
        break;
    case WM_MOVE:
        if (m_draggable && m_inDragStrip && m_host)
            m_host->FollowChild();
        break;
    case WM_SIZE:
        if (m_initialised)
            LayoutControls();
        break;
    case WM_COMMAND:
        if (OnCommand(LOWORD(wp), HIWORD(wp)))
            return 0;
        break;
    default:
        break;
    }
    return CToolDialog::WindowProc(msg, wp, lp);
}

void CLayeredChildDlg::CloseHost() {
    if (m_host && m_host->GetSafeHwnd())
        ::SendMessageW(m_host->GetSafeHwnd(), WM_CLOSE, 0, 0);
}

} // namespace tsu
