#pragma once
// An owner-drawn push button painted from four PNG images (normal, hover, pressed, disabled) over
// the piece of the dialog's background that lies behind it: the close, minimise and dialog
// buttons. Made by subclassing a BS_OWNERDRAW button of a template.

#include "controls/buttons/CSkinButton.h"

namespace tsu {

class CPngButton : public CSkinButton {
public:
    void SetScale(float scale) { m_scale = scale; }

protected:
    [[nodiscard]] ListRect ImageSource(Gdiplus::Image& image, ButtonImageSlot slot) const override {
        return PngButtonSource(static_cast<int>(image.GetWidth()), static_cast<int>(image.GetHeight()), m_scale);
    }
    [[nodiscard]] COLORREF CaptionColor(ButtonImageSlot slot) const override { return PngButtonCaptionColor(slot); }

private:
    float m_scale = 1.0f;
};

} // namespace tsu
