#pragma once
// A text label with its own colours, hover colour, alignment and an optional piece of the dialog's
// background image behind the text, painted through a memory bitmap.

#include "controls/CSelfDrawnStatic.h"
#include "framework/ScopedHandles.h"

namespace tsu {

class CDrawTextStatic : public CSelfDrawnStatic {
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
    void SetAlignment(int alignment) { m_alignment = alignment; }

    // Hover look: hot while the screen point lies in the window; repaints only on a change.
    void UpdateHot(POINT screenPoint);
    [[nodiscard]] bool IsHot() const { return m_hot; }
    [[nodiscard]] bool HitTest(POINT screenPoint) const;

protected:
    void Draw(HDC dc, const RECT& client) override;

private:
    UniqueHbrush m_backgroundBrush;
    COLORREF m_brushColour = CLR_INVALID;
    COLORREF m_normalColour = RGB(0, 0, 0);
    COLORREF m_hotColour = RGB(0, 0, 255);
    COLORREF m_backgroundColour = RGB(255, 255, 255);
    bool m_hot = false;
    int m_alignment = kWrapCentredVertically;
};

} // namespace tsu
