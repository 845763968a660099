#include "controls/CSelfDrawnStatic.h"

#include "controls/DrawingUtils.h"
#include "framework/BufferedPaint.h"

namespace tsu {

void CSelfDrawnStatic::PaintTo(HDC target) {
    PaintBufferedTo(m_hWnd, target, [this](HDC dc, const RECT& client) { Draw(dc, client); });
}

LRESULT CSelfDrawnStatic::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT:
        PaintBuffered(m_hWnd, m_canvas, [this](HDC dc, const RECT& client) { Draw(dc, client); });
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

void CSelfDrawnStatic::DrawBackgroundPiece(HDC dc, const RECT& client) const {
    if (m_backgroundImage)
        DrawImagePiece(dc, m_backgroundImage, m_backgroundRect, client);
}

HGDIOBJ CSelfDrawnStatic::TextFont() const {
    return m_font ? static_cast<HGDIOBJ>(m_font.Get()) : GetFont();
}

} // namespace tsu
