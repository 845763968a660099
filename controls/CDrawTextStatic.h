#pragma once
// A text label with its own colours, hover colour, alignment and an optional piece of the dialog's
// background image behind the text, painted through a memory bitmap.

#include "framework/CMemoryCanvas.h"
#include "framework/CStatic.h"
#include "framework/ScopedHandles.h"

#include <gdiplus.h>

namespace tsu {

class CDrawTextStatic : public CStatic {
public:
    // Alignment modes and the DrawText flags they stand for.
    enum Alignment : int {
        kWrapCentredVertically = 0, // DT_WORDBREAK | DT_VCENTER
        kSingleLineLeft = 1,        // DT_SINGLELINE | DT_VCENTER
        kSingleLineCentre = 2,      // DT_SINGLELINE | DT_VCENTER | DT_CENTER
        kWrapRight = 3,             // DT_WORDBREAK | DT_VCENTER | DT_RIGHT
        kSingleLineLeftToo = 4,     // DT_SINGLELINE | DT_VCENTER
    };
    // The DrawText flags of an alignment; false for a value that draws no text.
    [[nodiscard]] static bool AlignmentFlags(int alignment, UINT& flags);

    bool SetFontFromParent(int grow, int weight);
    void SetTextColors(COLORREF normal, COLORREF hot);
    void SetBackgroundColour(COLORREF colour);
    // The dialog's background image (not owned) and the piece of it behind this control.
    void SetBackground(Gdiplus::Image* image) { m_backgroundImage = image; }
    void SetBackgroundRect(int left, int top, int right, int bottom) {
        m_backgroundRect = RECT{left, top, right, bottom};
    }
    void SetAlignment(int alignment) { m_alignment = alignment; }
    [[nodiscard]] int GetAlignment() const { return m_alignment; }

    // Hover look: hot while the screen point lies in the window; repaints only on a change.
    void UpdateHot(POINT screenPoint);
    [[nodiscard]] bool IsHot() const { return m_hot; }
    [[nodiscard]] bool HitTest(POINT screenPoint) const;

    // Draws the control into target as WM_PAINT puts it on the screen.
    void PaintTo(HDC target);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void OnPaint();
    void Draw(HDC dc, const RECT& client);

    UniqueHbrush m_backgroundBrush;
    COLORREF m_brushColour = CLR_INVALID;
    UniqueHfont m_font;
    COLORREF m_normalColour = RGB(0, 0, 0);
    COLORREF m_hotColour = RGB(0, 0, 255);
    COLORREF m_backgroundColour = RGB(255, 255, 255);
    bool m_hot = false;
    int m_alignment = kWrapCentredVertically;
    Gdiplus::Image* m_backgroundImage = nullptr;
    RECT m_backgroundRect{};
    CMemoryCanvas m_canvas;
};

} // namespace tsu
