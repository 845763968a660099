#include "controls/CDrawTextStatic.h"

#include "controls/DrawingUtils.h"
#include "framework/BufferedPaint.h"

namespace tsu {

bool CDrawTextStatic::AlignmentFlags(int alignment, UINT& flags) {
    switch (alignment) {
    case kWrapCentredVertically:
        flags = DT_WORDBREAK | DT_VCENTER;
        return true;
    case kSingleLineLeft:
    case kSingleLineLeftToo:
        flags = DT_SINGLELINE | DT_VCENTER;
        return true;
    case kSingleLineCentre:
        flags = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
        return true;
    case kWrapRight:
        flags = DT_WORDBREAK | DT_VCENTER | DT_RIGHT;
        return true;
    default:
        return false;
    }
}

bool CDrawTextStatic::SetFontFromParent(int grow, int weight) {
    return CreateDerivedFont(GetParent(), grow, weight, m_font);
}

void CDrawTextStatic::SetTextColors(COLORREF normal, COLORREF hot) {
    m_normalColour = normal;
    m_hotColour = hot;
}

void CDrawTextStatic::SetBackgroundColour(COLORREF colour) {
    m_backgroundColour = colour;
}

bool CDrawTextStatic::HitTest(POINT screenPoint) const {
    if (!m_hWnd)
        return false;
    const RECT window = GetWindowRect();
    return ::PtInRect(&window, screenPoint) != FALSE;
}

void CDrawTextStatic::UpdateHot(POINT screenPoint) {
    const bool hot = HitTest(screenPoint);
    if (hot == m_hot)
        return;
    m_hot = hot;
    Invalidate(true);
}

LRESULT CDrawTextStatic::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_SETTEXT:
    case WM_ENABLE: {
        // The static control repaints itself in its own look right inside these messages; store
        // the state through the plain window procedure and repaint in ours instead.
        const LRESULT result = ::DefWindowProcW(m_hWnd, msg, wp, lp);
        Invalidate(true);
        return result;
    }
    default:
        return CStatic::WindowProc(msg, wp, lp);
    }
}

void CDrawTextStatic::OnPaint() {
    PaintBuffered(m_hWnd, m_canvas, [this](HDC dc, const RECT& client) { Draw(dc, client); });
}

void CDrawTextStatic::PaintTo(HDC target) {
    PaintBufferedTo(m_hWnd, target, [this](HDC dc, const RECT& client) { Draw(dc, client); });
}

void CDrawTextStatic::Draw(HDC dc, const RECT& client) {
    // The brush follows the colour (a colour set after the first paint is not lost).
    if (!m_backgroundBrush || m_brushColour != m_backgroundColour) {
        m_backgroundBrush.Reset(::CreateSolidBrush(m_backgroundColour));
        m_brushColour = m_backgroundColour;
    }
    ::FillRect(dc, &client, m_backgroundBrush.Get());
    ::SetBkMode(dc, TRANSPARENT);
    if (m_backgroundImage)
        DrawImagePiece(dc, m_backgroundImage, m_backgroundRect, client);
    ScopedSelectObjectIfAny font(dc, m_font ? static_cast<HGDIOBJ>(m_font.Get()) : GetFont());
    ::SetTextColor(dc, m_hot ? m_hotColour : m_normalColour);
    UINT flags = 0;
    if (!AlignmentFlags(m_alignment, flags))
        return;
    DrawTextInRect(dc, GetWindowText(), client, flags | DT_NOPREFIX);
}

} // namespace tsu
