#include "controls/CSkinScrollBar.h"

#include "controls/core/Scaling.h"
#include "framework/CMemoryCanvas.h"
#include "framework/CPaintDC.h"
#include "framework/ScopedHandles.h"

#include <windowsx.h>

#include <algorithm>

namespace tsu {

namespace {

// Copies a source cell piece to a destination: a plain copy when the sizes match, else stretched.
void CopyPiece(HDC dc, int x, int y, int w, int h, HDC skin, int sx, int sy, int sw, int sh) {
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0)
        return;
    if (w == sw && h == sh)
        ::BitBlt(dc, x, y, w, h, skin, sx, sy, SRCCOPY);
    else
        ::StretchBlt(dc, x, y, w, h, skin, sx, sy, sw, sh, SRCCOPY);
}

} // namespace

CSkinScrollBar::CSkinScrollBar() {
    m_info.cbSize = sizeof(m_info);
    m_info.nTrackPos = -1;
}

bool CSkinScrollBar::IsVertical() const {
    return m_hWnd && (GetStyle() & SBS_VERT) != 0;
}

void CSkinScrollBar::PreSubclassWindow() {
    m_info.nTrackPos = -1;
}

void CSkinScrollBar::SetBitmap(HBITMAP bitmap) {
    m_bitmap = bitmap;
    BITMAP info{};
    if (!bitmap || ::GetObjectW(bitmap, sizeof(info), &info) != sizeof(info)) {
        m_cellSize = m_cellHeight = 0;
        return;
    }
    m_cellSize = SkinCellSize(info.bmWidth);
    m_cellHeight = info.bmHeight / kSkinRows;
    if (!m_hWnd || m_cellSize <= 0)
        return;
    RECT rect = GetWindowRect();
    ::MapWindowPoints(nullptr, GetParent(), reinterpret_cast<POINT*>(&rect), 2);
    if (IsVertical())
        rect.right = rect.left + m_cellSize;
    else
        rect.bottom = rect.top + m_cellSize;
    MoveWindow(rect, true);
}

int CSkinScrollBar::BarLength() const {
    const RECT client = GetClientRect();
    return IsVertical() ? client.bottom : client.right;
}

SkinScrollValues CSkinScrollBar::Values() const {
    SkinScrollValues values;
    values.nMin = m_info.nMin;
    values.nMax = m_info.nMax;
    values.nPage = m_info.nPage;
    values.nPos = m_info.nPos;
    values.nTrackPos = m_info.nTrackPos;
    return values;
}

SkinBarLayout CSkinScrollBar::GetLayout() const {
    return ComputeSkinBarLayout(BarLength(), m_cellSize, m_scale, m_thumbBorder, Values());
}

RECT CSkinScrollBar::GetPartRect(int part) const {
    const SkinBarLayout layout = GetLayout();
    const RECT client = GetClientRect();
    const int begin = layout.PartBegin(part);
    const int end = std::max(begin, layout.PartEnd(part));
    if (IsVertical())
        return RECT{0, begin, client.right, end};
    return RECT{begin, 0, end, client.bottom};
}

int CSkinScrollBar::HitTest(POINT pt) const {
    return HitTestSkinBar(GetLayout(), Along(pt));
}

int CSkinScrollBar::MaxReachablePos() const {
    // The last position the thumb can take; nMax itself only when there is no page.
    const long long top =
        static_cast<long long>(m_info.nMax) - std::max<long long>(0, static_cast<long long>(m_info.nPage) - 1);
    return static_cast<int>(std::max<long long>(m_info.nMin, top));
}

int CSkinScrollBar::StateOf(int part) const {
    if (part == kSkinPartThumb && m_dragging)
        return kSkinStatePressed;
    if (part == m_clickedPart && !m_pointerAway && (part == kSkinPartLineUp || part == kSkinPartLineDown))
        return kSkinStatePressed;
    if (part == m_hotPart && m_clickedPart == kSkinPartNone && !m_dragging)
        return kSkinStateHot;
    return kSkinStateNormal;
}

LRESULT CSkinScrollBar::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SIZE:
        Invalidate(false);
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_LBUTTONDOWN:
        OnLButtonDown(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return 0;
    case WM_LBUTTONDBLCLK:
        return 1; // a double click is nothing more than its first click
    case WM_MOUSEMOVE:
        OnMouseMove(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return 0;
    case WM_CAPTURECHANGED:
        // Capture taken away mid-press (another window, a menu): end the press like a release.
        if (reinterpret_cast<HWND>(lp) != m_hWnd && (m_dragging || m_clickedPart != kSkinPartNone)) {
            POINT pt{-1, -1};
            OnLButtonUp(pt);
        }
        return 0;
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wp));
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return 0;
    case WM_ENABLE:
        // The system bar would draw its own look here.
        Invalidate(false);
        return 0;
    case SBM_SETSCROLLINFO:
        return OnSetScrollInfo(static_cast<BOOL>(wp), reinterpret_cast<const SCROLLINFO*>(lp));
    case SBM_GETSCROLLINFO:
        return OnGetScrollInfo(reinterpret_cast<SCROLLINFO*>(lp));
    case SBM_GETPOS:
        return m_info.nPos;
    default:
        return CScrollBar::WindowProc(msg, wp, lp);
    }
}

LRESULT CSkinScrollBar::OnSetScrollInfo(BOOL redraw, const SCROLLINFO* info) {
    if (!info)
        return m_info.nPos;
    if (info->fMask & SIF_RANGE) {
        m_info.nMin = info->nMin;
        m_info.nMax = info->nMax;
    }
    if (info->fMask & SIF_PAGE)
        m_info.nPage = info->nPage;
    if (info->fMask & SIF_POS)
        m_info.nPos = info->nPos;
    if (redraw && m_hWnd && m_bitmap) {
        // Page areas and thumb only; the arrows do not change with the information.
        UniqueWindowDc dc(m_hWnd);
        UniqueMemoryDc skin(dc ? ::CreateCompatibleDC(dc.Get()) : nullptr);
        if (skin) {
            ScopedSelectObject select(skin.Get(), m_bitmap);
            DrawPart(dc.Get(), skin.Get(), kSkinPartPageUp, kSkinStateNormal);
            DrawPart(dc.Get(), skin.Get(), kSkinPartPageDown, kSkinStateNormal);
            DrawThumb(dc.Get(), skin.Get(), StateOf(kSkinPartThumb));
        }
    }
    return m_info.nPos;
}

LRESULT CSkinScrollBar::OnGetScrollInfo(SCROLLINFO* info) const {
    if (!info)
        return FALSE;
    if (info->fMask & SIF_PAGE)
        info->nPage = m_info.nPage;
    if (info->fMask & SIF_POS)
        info->nPos = m_info.nPos;
    if (info->fMask & SIF_TRACKPOS)
        info->nTrackPos = m_info.nTrackPos;
    if (info->fMask & SIF_RANGE) {
        info->nMin = m_info.nMin;
        info->nMax = m_info.nMax;
    }
    return TRUE;
}

void CSkinScrollBar::OnPaint() {
    CPaintDC paint(m_hWnd);
    if (!paint || !m_bitmap)
        return;
    const RECT client = GetClientRect();
    CMemoryCanvas canvas;
    if (!canvas.CreateCompatible(paint.Get(), client.right, client.bottom))
        return;
    DrawAll(canvas.Dc());
    canvas.CopyTo(paint.Get());
}

void CSkinScrollBar::PaintTo(HDC target) {
    const RECT client = GetClientRect();
    CMemoryCanvas canvas;
    if (!target || !m_bitmap || !canvas.CreateCompatible(target, client.right, client.bottom))
        return;
    DrawAll(canvas.Dc());
    canvas.CopyTo(target);
}

void CSkinScrollBar::DrawAll(HDC dc) {
    UniqueMemoryDc skin(::CreateCompatibleDC(dc));
    if (!skin)
        return;
    ScopedSelectObject select(skin.Get(), m_bitmap);
    DrawPart(dc, skin.Get(), kSkinPartLineUp, StateOf(kSkinPartLineUp));
    DrawPart(dc, skin.Get(), kSkinPartLineDown, StateOf(kSkinPartLineDown));
    DrawThumb(dc, skin.Get(), StateOf(kSkinPartThumb));
    DrawPart(dc, skin.Get(), kSkinPartPageUp, kSkinStateNormal);
    DrawPart(dc, skin.Get(), kSkinPartPageDown, kSkinStateNormal);
}

void CSkinScrollBar::DrawPartNow(int part, int state) {
    if (!m_bitmap || !m_hWnd)
        return;
    UniqueWindowDc dc(m_hWnd);
    UniqueMemoryDc skin(dc ? ::CreateCompatibleDC(dc.Get()) : nullptr);
    if (!skin)
        return;
    ScopedSelectObject select(skin.Get(), m_bitmap);
    if (part == kSkinPartThumb)
        DrawThumb(dc.Get(), skin.Get(), state);
    else
        DrawPart(dc.Get(), skin.Get(), part, state);
}

void CSkinScrollBar::DrawPart(HDC dc, HDC skin, int part, int state) {
    if (part == kSkinPartThumb) {
        DrawThumb(dc, skin, state);
        return;
    }
    const SkinBarLayout layout = GetLayout();
    DrawAlongRange(dc, skin, layout.PartBegin(part), layout.PartEnd(part), part, state);
}

// Arrows are one stretched cell; page areas are tiled with the track cell, each tile the cell
// scaled by the factor (the last one cut short).
void CSkinScrollBar::DrawAlongRange(HDC dc, HDC skin, int begin, int end, int part, int state) {
    if (end <= begin || m_cellSize <= 0)
        return;
    const bool vertical = IsVertical();
    const RECT client = GetClientRect();
    const int across = vertical ? client.right : client.bottom;
    const SkinCell cell = SkinPartCell(part, state, !vertical, m_cellSize);
    const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
    if (part == kSkinPartPageUp || part == kSkinPartPageDown) {
        const int tile = std::max(1, Scaled(m_cellSize, m_scale));
        for (const SkinSlice& slice : SkinTiles(begin, end - begin, tile, m_cellSize)) {
            if (vertical)
                CopyPiece(dc, 0, slice.dstBegin, across, slice.dstLength, skin, cell.x, cell.y, cell.size,
                          slice.srcLength);
            else
                CopyPiece(dc, slice.dstBegin, 0, slice.dstLength, across, skin, cell.x, cell.y, slice.srcLength,
                          cell.size);
        }
    } else if (vertical) {
        CopyPiece(dc, 0, begin, across, end - begin, skin, cell.x, cell.y, cell.size, cell.size);
    } else {
        CopyPiece(dc, begin, 0, end - begin, across, skin, cell.x, cell.y, cell.size, cell.size);
    }
    ::SetStretchBltMode(dc, oldMode);
}

// The thumb keeps its end caps (the first and last rows of the cell) and tiles its middle.
void CSkinScrollBar::DrawThumb(HDC dc, HDC skin, int state) {
    const SkinBarLayout layout = GetLayout();
    if (layout.thumbLength <= 0 || m_cellSize <= 0)
        return;
    const bool vertical = IsVertical();
    const RECT client = GetClientRect();
    const int across = vertical ? client.right : client.bottom;
    const SkinCell cell = SkinPartCell(kSkinPartThumb, state, !vertical, m_cellSize);
    const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
    for (const SkinSlice& slice :
         SkinThumbSlices(layout.thumbStart, layout.thumbLength, m_cellSize, SkinThumbCapLength(m_thumbBorder))) {
        if (vertical)
            CopyPiece(dc, 0, slice.dstBegin, across, slice.dstLength, skin, cell.x, cell.y + slice.srcBegin, cell.size,
                      slice.srcLength);
        else
            CopyPiece(dc, slice.dstBegin, 0, slice.dstLength, across, skin, cell.x + slice.srcBegin, cell.y,
                      slice.srcLength, cell.size);
    }
    ::SetStretchBltMode(dc, oldMode);
}

void CSkinScrollBar::SendScroll(int code, int pos) {
    HWND parent = GetParent();
    if (!parent)
        return;
    const UINT msg = IsVertical() ? WM_VSCROLL : WM_HSCROLL;
    ::SendMessageW(parent, msg, MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(pos)),
                   reinterpret_cast<LPARAM>(m_hWnd));
}

void CSkinScrollBar::OnLButtonDown(POINT pt) {
    ::SetCapture(m_hWnd);
    m_lastPoint = pt;
    const int part = HitTest(pt);
    if (part == kSkinPartThumb) {
        m_dragging = true;
        m_dragPoint = pt;
        m_dragStartPos = m_info.nPos;
        m_info.nTrackPos = m_info.nPos;
        DrawPartNow(kSkinPartThumb, kSkinStatePressed);
        return;
    }
    if (part == kSkinPartNone)
        return;
    m_clickedPart = part;
    m_pointerAway = false;
    m_hotPart = kSkinPartNone;
    SendScroll(part, 0); // the part numbers are the scroll codes: line up/down 0/1, page up/down 2/3
    SetTimer(kDelayTimer, kDelayMs);
    if (part == kSkinPartLineUp || part == kSkinPartLineDown)
        DrawPartNow(part, kSkinStatePressed);
}

void CSkinScrollBar::OnTimer(UINT_PTR id) {
    if (id == kDelayTimer) {
        m_repeating = true;
        KillTimer(kDelayTimer);
        SetTimer(kRepeatTimer, kRepeatMs);
        return;
    }
    if (id != kRepeatTimer || m_pointerAway || m_clickedPart == kSkinPartNone)
        return;
    switch (m_clickedPart) {
    case kSkinPartLineUp:
        if (m_info.nPos <= m_info.nMin)
            KillTimer(kRepeatTimer);
        else
            SendScroll(SB_LINEUP, 0);
        break;
    case kSkinPartLineDown:
        if (m_info.nPos >= MaxReachablePos())
            KillTimer(kRepeatTimer);
        else
            SendScroll(SB_LINEDOWN, 0);
        break;
    case kSkinPartPageUp:
    case kSkinPartPageDown: {
        // Page on while the pointer is still over the held page area; stop once the thumb has come
        // under the pointer. The bar holds the capture, so the last point it saw is where the
        // pointer is.
        if (HitTest(m_lastPoint) == m_clickedPart)
            SendScroll(m_clickedPart, 0);
        else
            KillTimer(kRepeatTimer);
        break;
    }
    default:
        break;
    }
}

void CSkinScrollBar::OnMouseMove(POINT pt) {
    m_lastPoint = pt;
    if (!m_trackingLeave && pt.x >= 0) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_hWnd, 0};
        m_trackingLeave = ::TrackMouseEvent(&track) != FALSE;
    }
    if (m_dragging) {
        const SkinBarLayout layout = GetLayout();
        const int distance = Along(pt) - Along(m_dragPoint);
        const int pos = SkinDragPosition(layout, Values(), m_dragStartPos, distance);
        if (pos != m_info.nTrackPos) {
            // Track over the strip the thumb leaves, then the thumb pressed at its new place.
            UniqueWindowDc dc(m_hWnd);
            UniqueMemoryDc skin(dc && m_bitmap ? ::CreateCompatibleDC(dc.Get()) : nullptr);
            if (skin) {
                ScopedSelectObject select(skin.Get(), m_bitmap);
                const int oldBegin = layout.thumbStart;
                const int oldEnd = layout.ThumbEnd();
                m_info.nTrackPos = pos;
                DrawAlongRange(dc.Get(), skin.Get(), oldBegin, oldEnd, kSkinPartPageDown, kSkinStateNormal);
                DrawThumb(dc.Get(), skin.Get(), kSkinStatePressed);
            } else {
                m_info.nTrackPos = pos;
            }
            SendScroll(SB_THUMBTRACK, pos);
        }
        return;
    }
    const int part = HitTest(pt);
    if (m_clickedPart != kSkinPartNone) {
        const bool away = part != m_clickedPart;
        if (away != m_pointerAway) {
            m_pointerAway = away;
            if (m_clickedPart == kSkinPartLineUp || m_clickedPart == kSkinPartLineDown)
                DrawPartNow(m_clickedPart, away ? kSkinStateNormal : kSkinStatePressed);
        }
        return;
    }
    if (part == m_hotPart)
        return;
    const int left = m_hotPart;
    m_hotPart = part;
    auto lights = [](int p) { return p == kSkinPartLineUp || p == kSkinPartLineDown || p == kSkinPartThumb; };
    if (lights(left))
        DrawPartNow(left, kSkinStateNormal);
    if (lights(part))
        DrawPartNow(part, kSkinStateHot);
}

void CSkinScrollBar::OnMouseLeave() {
    m_trackingLeave = false;
    OnMouseMove(POINT{-1, -1});
}

void CSkinScrollBar::StopPressing() {
    KillTimer(kRepeatTimer);
    KillTimer(kDelayTimer);
    m_repeating = false;
    const int part = m_clickedPart;
    m_clickedPart = kSkinPartNone;
    m_pointerAway = false;
    if (part == kSkinPartLineUp || part == kSkinPartLineDown)
        DrawPartNow(part, kSkinStateNormal);
}

void CSkinScrollBar::OnLButtonUp(POINT pt) {
    // The state is cleared before ReleaseCapture, whose WM_CAPTURECHANGED must find nothing to end.
    const bool wasDragging = m_dragging;
    m_dragging = false;
    if (m_clickedPart != kSkinPartNone)
        StopPressing();
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    if (wasDragging) {
        const int track = m_info.nTrackPos;
        SendScroll(SB_THUMBPOSITION, track);
        m_info.nTrackPos = -1;
        Invalidate(false); // track where the thumb was, thumb at the (possibly new) position
        m_hotPart = HitTest(pt) == kSkinPartThumb ? kSkinPartThumb : kSkinPartNone;
    }
}

} // namespace tsu
