#pragma once
// An owner-drawn push button painted from four PNG images (normal, hover, pressed, disabled) over
// the piece of the dialog's background that lies behind it: the close, minimise and dialog
// buttons. Made by subclassing a BS_OWNERDRAW button of a template.

#include "controls/buttons/core/ButtonRules.h"
#include "framework/CButton.h"

#include <gdiplus.h>

#include <array>
#include <memory>
#include <string>

namespace tsu {

class CPngButton : public CButton {
public:
    CPngButton() = default;
    ~CPngButton() override;

    // Loads the four images (PNG resources); the dialogs pass one id twice when two looks are
    // equal. True when all four loaded; a missing one leaves its slot empty and the button draws
    // nothing.
    bool SetImages(UINT normalId, UINT hoverId, UINT pressedId, UINT disabledId);
    void ReleaseImages();
    // The dialog's background image (not owned) and the button's place in it, in image pixels.
    void SetBackground(Gdiplus::Image* background) { m_background = background; }
    void SetBackgroundRect(int left, int top, int right, int bottom) {
        m_backgroundRect = RECT{left, top, right, bottom};
    }
    void SetCaption(const std::wstring& caption) { m_caption = caption; }
    // Not owned: the dialog keeps the font alive as long as the button.
    void SetCaptionFont(HFONT font) { m_captionFont = font; }
    void SetScale(float scale) { m_scale = scale; }

    [[nodiscard]] int GetState() const { return m_state; }

protected:
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void ChangeState(ButtonMouseEvent event);

    Gdiplus::Image* m_background = nullptr;
    RECT m_backgroundRect{};
    std::array<std::unique_ptr<Gdiplus::Image>, kButtonImageSlots> m_images;
    int m_state = kButtonNormal;
    bool m_tracking = false;
    std::wstring m_caption;
    HFONT m_captionFont = nullptr;
    float m_scale = 1.0f;
};

} // namespace tsu
