#include "controls/CDrawStateInfoStatic.h"

#include "controls/DrawingUtils.h"

namespace tsu {

bool CDrawStateInfoStatic::SetFontFromParent() {
    return CreateDerivedFont(GetParent(), 0, 0, m_font);
}

void CDrawStateInfoStatic::SetTextColor(COLORREF colour) {
    m_textColour = colour;
    if (m_hWnd)
        Invalidate(true);
}

void CDrawStateInfoStatic::StartDots() {
    if (m_hWnd)
        SetTimer(kDotsTimer, kDotsIntervalMs);
}

void CDrawStateInfoStatic::StopDots() {
    if (m_hWnd)
        KillTimer(kDotsTimer);
    m_dotStep = 0;
    if (m_hWnd)
        Invalidate(true);
}

std::wstring CDrawStateInfoStatic::GetDisplayText() const {
    std::wstring text = GetWindowText();
    text.append(static_cast<size_t>(m_dotStep), L'.');
    return text;
}

UINT CDrawStateInfoStatic::AlignmentFlags(int alignment) {
    switch (alignment) {
    case 2:
        return DT_SINGLELINE | DT_VCENTER | DT_CENTER;
    case 3:
        return DT_SINGLELINE | DT_VCENTER | DT_RIGHT;
    case 4:
        return DT_WORDBREAK | DT_VCENTER;
    case 5:
        return DT_WORDBREAK | DT_VCENTER | DT_CENTER;
    case 6:
        return DT_WORDBREAK | DT_VCENTER | DT_RIGHT;
    default: // 1 and anything else
        return DT_SINGLELINE | DT_VCENTER;
    }
}

LRESULT CDrawStateInfoStatic::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kDotsTimer) {
        m_dotStep = (m_dotStep + 1) % 4;
        Invalidate(true);
    }
    return CSelfDrawnStatic::WindowProc(msg, wp, lp);
}

void CDrawStateInfoStatic::Draw(HDC dc, const RECT& client) {
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(dc, TRANSPARENT);
    ScopedSelectObject font(dc, TextFont());
    ::SetTextColor(dc, m_textColour);
    const std::wstring text = GetDisplayText();
    DrawBackgroundPiece(dc, client);
    DrawTextInRect(dc, text, client, AlignmentFlags(m_alignment) | DT_NOPREFIX);
}

} // namespace tsu
