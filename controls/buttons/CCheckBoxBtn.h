#pragma once
// The start page's consent check box: the template's auto check box, subclassed and painted from
// the check-box strip (unchecked at x 0, checked at x 16) with its window text beside it, over the
// piece of the page's background behind it. The checked state stays the system button's own
// (BM_GETCHECK / BM_SETCHECK).

#include "framework/CButton.h"
#include "framework/CMemoryCanvas.h"
#include "framework/ScopedHandles.h"

#include <gdiplus.h>

#include <memory>

namespace tsu {

class CCheckBoxBtn : public CButton {
public:
    CCheckBoxBtn() = default;
    ~CCheckBoxBtn() override;

    // Copies the parent's font (or the default GUI font, or the system font) for the text.
    void SetFontFromParent();
    void SetTextColor(COLORREF color) { m_textColor = color; }
    void SetBackground(Gdiplus::Image* background) { m_background = background; } // not owned
    void SetBackgroundRect(int left, int top, int right, int bottom) {
        m_backgroundRect = RECT{left, top, right, bottom};
    }
    void SetScale(float scale) { m_scale = scale; }
    // The strip to draw from instead of PNG resource 143 (owned from here on).
    [[nodiscard]] bool HasCheckImage() const { return m_checkImage != nullptr; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void OnPaint();
    void RepaintNow();

    std::unique_ptr<Gdiplus::Image> m_checkImage;
    CMemoryCanvas m_canvas;
    UniqueHfont m_font;
    COLORREF m_textColor = RGB(0, 0, 0);
    Gdiplus::Image* m_background = nullptr;
    RECT m_backgroundRect{};
    float m_scale = 1.0f;
};

} // namespace tsu
