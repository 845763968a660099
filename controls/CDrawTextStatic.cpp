#include "controls/CDrawTextStatic.h"

#include "controls/DrawingUtils.h"

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

void CDrawTextStatic::Draw(HDC dc, const RECT& client) {
    // The brush follows the colour (a colour set after the first paint is not lost).
    if (!m_backgroundBrush || m_brushColour != m_backgroundColour) {
        m_backgroundBrush.Reset(::CreateSolidBrush(m_backgroundColour));
        m_brushColour = m_backgroundColour;
    }
    ::FillRect(dc, &client, m_backgroundBrush.Get());
    ::SetBkMode(dc, TRANSPARENT);
    DrawBackgroundPiece(dc, client);
    ScopedSelectObject font(dc, TextFont());
    ::SetTextColor(dc, m_hot ? m_hotColour : m_normalColour);
    UINT flags = 0;
    if (!AlignmentFlags(m_alignment, flags))
        return;
    DrawTextInRect(dc, GetWindowText(), client, flags | DT_NOPREFIX);
}

} // namespace tsu
