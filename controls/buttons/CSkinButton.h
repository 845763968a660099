#pragma once
// What CPngButton and CImageButton share: four state images (PNG resources) painted through a
// memory bitmap over the piece of the dialog's background that lies behind the button (white
// where there is none), a centred caption, and the normal/hover/pressed state that follows the
// mouse on an enabled button.

#include "controls/buttons/core/ButtonRules.h"
#include "framework/CButton.h"

#include <gdiplus.h>

#include <array>
#include <memory>
#include <string>

namespace tsu {

class CSkinButton : public CButton {
public:
    ~CSkinButton() override;

    // Loads the four images; the dialogs pass one id twice when two looks are equal. True when
    // all four loaded; a missing one leaves its slot empty and DrawItem draws nothing.
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

    [[nodiscard]] int GetState() const { return m_state; }

protected:
    // The image drawn for slot (null for none), and the part of it stretched over the button.
    [[nodiscard]] virtual Gdiplus::Image* ImageFor(ButtonImageSlot slot) const { return m_images[slot].get(); }
    [[nodiscard]] virtual ListRect ImageSource(Gdiplus::Image& image, ButtonImageSlot slot) const;
    [[nodiscard]] virtual COLORREF CaptionColor(ButtonImageSlot slot) const = 0;
    // Whether a mouse event at pointLp (client coordinates) lies on the button.
    [[nodiscard]] virtual bool CountsAsInside(LPARAM pointLp) const { return true; }

    // Paints the button into rect of target.
    void Paint(HDC target, const RECT& rect);
    // Nothing is drawn unless all four image slots are set.
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    std::array<std::unique_ptr<Gdiplus::Image>, kButtonImageSlots> m_images;

private:
    void ChangeState(ButtonMouseEvent event, LPARAM pointLp);

    Gdiplus::Image* m_background = nullptr;
    RECT m_backgroundRect{};
    int m_state = kButtonNormal;
    bool m_tracking = false;
    std::wstring m_caption;
    HFONT m_captionFont = nullptr;
};

} // namespace tsu
