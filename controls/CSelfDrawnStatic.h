#pragma once
// A static control that draws itself: off screen through a canvas kept between paints, over an
// optional piece of the dialog's background image, in a font of its own when it has one.
// Subclasses say what they show in Draw.

#include "framework/CMemoryCanvas.h"
#include "framework/CStatic.h"
#include "framework/ScopedHandles.h"

#include <gdiplus.h>

namespace tsu {

class CSelfDrawnStatic : public CStatic {
public:
    // The dialog's background image (not owned) and the piece of it behind this control.
    void SetBackground(Gdiplus::Image* image) { m_backgroundImage = image; }
    void SetBackgroundRect(int left, int top, int right, int bottom) {
        m_backgroundRect = RECT{left, top, right, bottom};
    }

    // Draws the control into target as WM_PAINT puts it on the screen.
    void PaintTo(HDC target);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    // Everything the control shows, into an off-screen DC of client size.
    virtual void Draw(HDC dc, const RECT& client) = 0;
    // The piece of the background image behind the control, when it has one.
    void DrawBackgroundPiece(HDC dc, const RECT& client) const;
    // The control's own font when it has one, else the font its dialog gave it.
    [[nodiscard]] HGDIOBJ TextFont() const;

    UniqueHfont m_font;

private:
    Gdiplus::Image* m_backgroundImage = nullptr;
    RECT m_backgroundRect{};
    CMemoryCanvas m_canvas;
};

} // namespace tsu
