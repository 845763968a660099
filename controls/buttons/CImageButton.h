#pragma once
// A large owner-drawn button painted from four PNG images or from one strip that holds the four
// states side by side (normal, hover, pressed, disabled), with a caption in a colour of the
// owner's choice: the feedback dialog's buttons and the intelligent page's "卸载".
//
// It paints on WM_ERASEBKGND as well as in DrawItem, so a strip button (whose DrawItem has only
// one of four images and draws nothing) is painted by the erase that every state change asks for.

#include "controls/buttons/CSkinButton.h"

namespace tsu {

class CImageButton : public CSkinButton {
public:
    // Four images, strip mode off. True when all four loaded.
    bool SetImages(UINT normalId, UINT hoverId, UINT pressedId, UINT disabledId) {
        m_stripMode = false;
        return CSkinButton::SetImages(normalId, hoverId, pressedId, disabledId);
    }
    // One image whose four quarters are the states, strip mode on. True when it loaded.
    bool SetImageStrip(UINT stripId);
    // Margins of the client rectangle that do not count as "inside" for IsCursorInside.
    void SetHitInset(int left, int top, int right, int bottom) { m_hitInset = RECT{left, top, right, bottom}; }
    [[nodiscard]] BOOL IsCursorInside() const;
    void SetCaptionColor(COLORREF color) { m_captionColor = color; }

    [[nodiscard]] bool IsStripMode() const { return m_stripMode; }

protected:
    [[nodiscard]] Gdiplus::Image* ImageFor(ButtonImageSlot slot) const override {
        return m_images[m_stripMode ? 0 : slot].get();
    }
    [[nodiscard]] ListRect ImageSource(Gdiplus::Image& image, ButtonImageSlot slot) const override;
    [[nodiscard]] COLORREF CaptionColor(ButtonImageSlot) const override { return m_captionColor; }
    [[nodiscard]] bool CountsAsInside(LPARAM pointLp) const override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    RECT m_hitInset{};
    bool m_stripMode = false;
    COLORREF m_captionColor = RGB(0, 0, 0);
};

} // namespace tsu
