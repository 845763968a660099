#include "controls/CSkinScrollWnd.h"

#include "controls/core/Scaling.h"
#include "framework/CPaintDC.h"
#include "framework/ScopedHandles.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

namespace tsu {

namespace {

constexpr wchar_t kFrameClass[] = L"TsuSkinScrollBarFrame";
constexpr wchar_t kLimitClass[] = L"TsuSkinScrollLimit";
constexpr wchar_t kFrameTitle[] = L"SkinScrollBarFrame";
// The frame of a target lives in a window property, not in the target's user data, which belongs
// to whoever owns the target.
constexpr wchar_t kFrameProperty[] = L"TsuSkinScrollFrame";
constexpr UINT_PTR kHookId = 0x5C0B;

bool SameBarState(const SCROLLINFO& a, const SCROLLINFO& b) {
    return a.nMin == b.nMin && a.nMax == b.nMax && a.nPage == b.nPage && a.nPos == b.nPos;
}

} // namespace

CSkinScrollWnd::CSkinScrollWnd(float scale, int thumbBorder) : m_scale(scale), m_thumbBorder(thumbBorder) {}

CSkinScrollWnd* CSkinScrollWnd::FromTarget(HWND target) {
    return target ? static_cast<CSkinScrollWnd*>(::GetPropW(target, kFrameProperty)) : nullptr;
}

bool CSkinScrollWnd::SkinWindow(HWND target, HBITMAP bitmap) {
    if (!target || !::IsWindow(target) || FromTarget(target) || m_hWnd)
        return false;
    HWND parent = ::GetParent(target);
    if (!parent)
        return false;
    if (!RegisterWindowClass(kFrameClass) || !RegisterWindowClass(kLimitClass))
        return false;

    // 1. Bitmap and bar width; the frame takes the target's place.
    m_bitmap = bitmap;
    BITMAP info{};
    if (bitmap && ::GetObjectW(bitmap, sizeof(info), &info) == sizeof(info) && info.bmWidth >= kSkinColumns)
        m_barWidth = Scaled(SkinCellSize(info.bmWidth), m_scale);
    RECT frameRect{};
    ::GetWindowRect(target, &frameRect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&frameRect), 2);
    RECT targetRect{0, 0, frameRect.right - frameRect.left, frameRect.bottom - frameRect.top};

    // 2. Styles: the frame draws a plain border in the target's place; a client edge simply goes.
    const DWORD targetStyle = static_cast<DWORD>(::GetWindowLongPtrW(target, GWL_STYLE));
    const DWORD targetExStyle = static_cast<DWORD>(::GetWindowLongPtrW(target, GWL_EXSTYLE));
    DWORD style = WS_CHILD | (targetStyle & WS_VISIBLE);
    DWORD exStyle = (targetExStyle & WS_EX_TOOLWINDOW) ? (WS_EX_TOOLWINDOW | WS_EX_TOPMOST) : 0;
    if (targetStyle & WS_BORDER) {
        style |= WS_BORDER;
        m_takenStyle = WS_BORDER;
        const int border = ::GetSystemMetrics(SM_CXBORDER);
        targetRect.right -= 2 * border;
        targetRect.bottom -= 2 * border;
    }
    if (targetExStyle & WS_EX_CLIENTEDGE) {
        m_takenExStyle = WS_EX_CLIENTEDGE;
        const int edge = Scaled(2 * ::GetSystemMetrics(SM_CXEDGE), m_scale);
        targetRect.right -= edge;
        targetRect.bottom -= edge;
    }

    // 3. The frame, the clipping child and the two bars.
    const UINT id = static_cast<UINT>(::GetDlgCtrlID(target));
    if (!CreateEx(exStyle, kFrameClass, kFrameTitle, style, frameRect, parent, id))
        return false;
    if (!m_limit.CreateEx(0, kLimitClass, L"LIMIT", WS_CHILD | WS_VISIBLE, RECT{}, m_hWnd, kLimitId) ||
        !m_horizontalBar.Create(0, RECT{}, m_hWnd, kHorizontalBarId) ||
        !m_verticalBar.Create(SBS_VERT, RECT{}, m_hWnd, kVerticalBarId)) {
        DestroyWindow();
        return false;
    }
    for (CSkinScrollBar* bar : {&m_horizontalBar, &m_verticalBar}) {
        bar->SetScale(m_scale);
        bar->SetThumbBorder(m_thumbBorder);
        bar->SetBitmap(bitmap);
    }
    ::SetWindowPos(m_hWnd, target, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    // 4. Take the target in and hook it.
    if (m_takenStyle)
        ::SetWindowLongPtrW(target, GWL_STYLE, static_cast<LONG_PTR>(targetStyle & ~m_takenStyle));
    if (m_takenExStyle)
        ::SetWindowLongPtrW(target, GWL_EXSTYLE, static_cast<LONG_PTR>(targetExStyle & ~m_takenExStyle));
    ::SetParent(target, m_limit.GetSafeHwnd());
    m_target = target;
    if (!::SetPropW(target, kFrameProperty, this) ||
        !::SetWindowSubclass(target, &CSkinScrollWnd::TargetHook, kHookId, reinterpret_cast<DWORD_PTR>(this))) {
        Unskin();
        return false;
    }
    ::SetWindowPos(target, nullptr, 0, 0, targetRect.right, targetRect.bottom,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    // The target fills the frame's client area (inside the border the frame took over).
    const RECT client = GetClientRect();
    OnSize(client.right, client.bottom);
    // The bars show the target's state from the start, not only after the first timer tick.
    const DWORD barStyles = static_cast<DWORD>(::GetWindowLongPtrW(target, GWL_STYLE));
    if (barStyles & WS_VSCROLL)
        SyncBar(m_verticalBar, SB_VERT, false);
    if (barStyles & WS_HSCROLL)
        SyncBar(m_horizontalBar, SB_HORZ, false);
    SetTimer(kUpdateTimer, kUpdateIntervalMs);
    m_ownsItself = true;
    return true;
}

void CSkinScrollWnd::ReleaseTarget() {
    if (!m_target)
        return;
    ::RemoveWindowSubclass(m_target, &CSkinScrollWnd::TargetHook, kHookId);
    ::RemovePropW(m_target, kFrameProperty);
    m_target = nullptr;
}

void CSkinScrollWnd::Unskin() {
    HWND target = m_target;
    if (target && ::IsWindow(target)) {
        ReleaseTarget();
        HWND parent = GetParent();
        RECT place = GetWindowRect();
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
        ::SetParent(target, parent);
        if (m_takenStyle)
            ::SetWindowLongPtrW(target, GWL_STYLE, ::GetWindowLongPtrW(target, GWL_STYLE) | m_takenStyle);
        if (m_takenExStyle)
            ::SetWindowLongPtrW(target, GWL_EXSTYLE, ::GetWindowLongPtrW(target, GWL_EXSTYLE) | m_takenExStyle);
        ::SetWindowPos(target, m_hWnd, place.left, place.top, place.right - place.left, place.bottom - place.top,
                       SWP_NOACTIVATE | SWP_FRAMECHANGED);
    } else {
        ReleaseTarget();
    }
    if (m_hWnd && !m_destroying)
        DestroyWindow(); // a frame that owns itself is deleted here
}

LRESULT CALLBACK CSkinScrollWnd::TargetHook(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* frame = reinterpret_cast<CSkinScrollWnd*>(ref);
    if (!frame || frame->m_target != hwnd)
        return ::DefSubclassProc(hwnd, msg, wp, lp);
    try {
        return frame->OnTargetMessage(msg, wp, lp);
    } catch (...) {
        ReportWindowError(L"exception in the skinned scroll bar hook");
        return 0;
    }
}

LRESULT CSkinScrollWnd::OnTargetMessage(UINT msg, WPARAM wp, LPARAM lp) {
    HWND target = m_target;
    if (msg == WM_DESTROY) {
        // The target goes: let go of it, and have the frame go too unless it is being destroyed
        // already (the target dies with its ancestors). Destroying the frame from inside the
        // target's own destruction would destroy the target twice, so it is posted.
        ReleaseTarget();
        if (!m_destroying && m_hWnd)
            PostMessage(WM_CLOSE);
        return ::DefSubclassProc(target, msg, wp, lp);
    }
    const LRESULT result = ::DefSubclassProc(target, msg, wp, lp);
    if (m_busy)
        return result;
    if (msg == WM_ERASEBKGND) {
        const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(target, GWL_STYLE));
        if (style & WS_VSCROLL)
            SyncBar(m_verticalBar, SB_VERT, true);
        if (style & WS_HSCROLL)
            SyncBar(m_horizontalBar, SB_HORZ, true);
    } else if (msg == WM_NCCALCSIZE && wp) {
        OnTargetNcCalcSize(wp, lp);
    }
    return result;
}

void CSkinScrollWnd::OnTargetNcCalcSize(WPARAM, LPARAM lp) {
    auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lp);
    if (!params || !m_target)
        return;
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(m_target, GWL_STYLE));
    const bool leftBar = (::GetWindowLongPtrW(m_target, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
    const int b = m_barWidth;
    const int v = ::GetSystemMetrics(SM_CXVSCROLL);
    RECT& client = params->rgrc[0];
    // The target keeps standard bars, but only b pixels of them, which "LIMIT" then clips away.
    if (style & WS_VSCROLL) {
        if (leftBar)
            client.left -= v - b;
        else
            client.right += v - b;
    }
    if (style & WS_HSCROLL)
        client.bottom += v - b;

    if (style & WS_VSCROLL) {
        RECT bar = leftBar ? RECT{client.left - b, 0, client.left, client.bottom}
                           : RECT{client.right, 0, client.right + b, client.bottom};
        m_verticalBar.MoveWindow(bar, true);
        m_verticalBar.ShowWindow(SW_SHOWNA);
    } else {
        m_verticalBar.ShowWindow(SW_HIDE);
    }
    if (style & WS_HSCROLL) {
        RECT bar = leftBar ? RECT{client.left, client.bottom, client.right + b, client.bottom + b}
                           : RECT{0, client.bottom, client.right, client.bottom + b};
        m_horizontalBar.MoveWindow(bar, true);
        m_horizontalBar.ShowWindow(SW_SHOWNA);
    } else {
        m_horizontalBar.ShowWindow(SW_HIDE);
    }
    m_corner = ((style & WS_VSCROLL) && (style & WS_HSCROLL)) ? (leftBar ? 1 : 2) : 0;
    PostMessage(kRepositionMessage, style & WS_VSCROLL, leftBar ? 1 : 0);
}

void CSkinScrollWnd::SyncBar(CSkinScrollBar& bar, int which, bool onlyWhenChanged) {
    if (!m_target || !bar.GetSafeHwnd())
        return;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (!::GetScrollInfo(m_target, which, &info))
        return;
    if (onlyWhenChanged && SameBarState(info, bar.GetInfo()))
        return;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    bar.SetScrollInfo(info, true);
    // A page that covers the whole range leaves nothing to scroll.
    bar.EnableWindow(info.nMax >= static_cast<int>(info.nPage));
}

LRESULT CSkinScrollWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case kRepositionMessage:
        OnReposition(wp != 0, lp != 0);
        return 0;
    case WM_SIZE:
        OnSize(LOWORD(lp), HIWORD(lp));
        return 0;
    case WM_VSCROLL:
    case WM_HSCROLL:
        OnScroll(msg, wp, reinterpret_cast<HWND>(lp));
        return 0;
    case WM_TIMER:
        OnTimer();
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_CLOSE:
        Unskin();
        return 0;
    case WM_DESTROY:
        m_destroying = true;
        KillTimer(kUpdateTimer);
        ReleaseTarget();
        return CWnd::WindowProc(msg, wp, lp);
    default:
        return CWnd::WindowProc(msg, wp, lp);
    }
}

void CSkinScrollWnd::OnReposition(bool verticalShown, bool leftBar) {
    if (!m_target)
        return;
    m_busy = true;
    RECT limit = GetClientRect();
    const int b = m_barWidth;
    if (m_horizontalBar.IsWindowVisible())
        limit.bottom -= b;
    int targetX = 0;
    if (verticalShown) {
        if (leftBar) {
            limit.left += b;
            targetX = -b;
        } else {
            limit.right -= b;
        }
    }
    m_limit.MoveWindow(
        RECT{limit.left, limit.top, std::max(limit.left, limit.right), std::max(limit.top, limit.bottom)}, true);
    ::SetWindowPos(m_target, nullptr, targetX, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_busy = false;
}

void CSkinScrollWnd::OnSize(int width, int height) {
    if (width <= 0 || height <= 0 || !m_target)
        return;
    ::SetWindowPos(m_target, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSkinScrollWnd::OnScroll(UINT msg, WPARAM wp, HWND bar) {
    if (!m_target)
        return;
    m_busy = true;
    ::SendMessageW(m_target, msg, wp, 0);
    m_busy = false;
    if (LOWORD(wp) == SB_THUMBTRACK)
        return;
    // Read back where the target really went (it clamps and rounds to lines).
    if (bar == m_verticalBar.GetSafeHwnd())
        SyncBar(m_verticalBar, SB_VERT, false);
    else if (bar == m_horizontalBar.GetSafeHwnd())
        SyncBar(m_horizontalBar, SB_HORZ, false);
}

void CSkinScrollWnd::OnTimer() {
    if (m_verticalBar.IsWindowVisible() && !m_verticalBar.IsDragging())
        SyncBar(m_verticalBar, SB_VERT, true);
    if (m_horizontalBar.IsWindowVisible() && !m_horizontalBar.IsDragging())
        SyncBar(m_horizontalBar, SB_HORZ, true);
}

void CSkinScrollWnd::OnPaint() {
    CPaintDC paint(m_hWnd);
    if (!paint || m_corner == 0 || !m_bitmap)
        return;
    BITMAP info{};
    if (::GetObjectW(m_bitmap, sizeof(info), &info) != sizeof(info))
        return;
    const int c = SkinCellSize(info.bmWidth);
    const SkinCell cell = SkinCornerCell(m_corner == 1, c);
    const RECT client = GetClientRect();
    const int b = m_barWidth;
    const int x = m_corner == 1 ? 0 : client.right - b;
    UniqueMemoryDc skin(::CreateCompatibleDC(paint.Get()));
    if (!skin)
        return;
    ScopedSelectObject select(skin.Get(), m_bitmap);
    ::SetStretchBltMode(paint.Get(), COLORONCOLOR);
    ::StretchBlt(paint.Get(), x, client.bottom - b, b, b, skin.Get(), cell.x, cell.y, cell.size, cell.size, SRCCOPY);
}

CSkinScrollWnd* SkinWndScroll(HWND target, HBITMAP bitmap, float scale, int thumbBorder) {
    auto frame = std::make_unique<CSkinScrollWnd>(scale, thumbBorder);
    if (!frame->SkinWindow(target, bitmap))
        return nullptr;     // whatever window it made is gone; the object goes here
    return frame.release(); // deletes itself with its window from now on
}

BOOL UnskinWndScroll(HWND target) {
    CSkinScrollWnd* frame = CSkinScrollWnd::FromTarget(target);
    if (!frame)
        return TRUE;
    frame->Unskin();
    return TRUE;
}

} // namespace tsu
