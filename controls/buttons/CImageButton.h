#pragma once
// A large owner-drawn button painted from four PNG images or from one strip that holds the four
// states side by side (normal, hover, pressed, disabled), with a caption in a colour of the
// owner's choice: the feedback dialog's buttons and the intelligent page's "卸载".
//
// It paints on WM_ERASEBKGND as well as in DrawItem, so a strip button (whose DrawItem has only
// one of four images and draws nothing) is painted by the erase that every state change asks for.

#include "controls/buttons/core/ButtonRules.h"
#include "framework/CButton.h"

#include <gdiplus.h>

#include <array>
#include <memory>
#include <string>

namespace tsu {

class CImageButton : public CButton {
public:
    CImageButton() = default;
    ~CImageButton() override;

    // Four images, strip mode off. True when all four loaded.
    bool SetImages(UINT normalId, UINT hoverId, UINT pressedId, UINT disabledId);
    // One image whose four quarters are the states, strip mode on. True when it loaded.
    bool SetImageStrip(UINT stripId);
    void ReleaseImages();
    void SetBackground(Gdiplus::Image* background) { m_background = background; }
    void SetBackgroundRect(int left, int top, int right, int bottom) {
        m_backgroundRect = RECT{left, top, right, bottom};
    }
    // Margins of the client rectangle that do not count as "inside" for IsCursorInside.
    void SetHitInset(int left, int top, int right, int bottom) { m_hitInset = RECT{left, top, right, bottom}; }
    [[nodiscard]] BOOL IsCursorInside() const;
    void SetCaption(const std::wstring& caption) { m_caption = caption; }
    void SetCaptionFont(HFONT font) { m_captionFont = font; } // not owned
    void SetCaptionColor(COLORREF color) { m_captionColor = color; }

    [[nodiscard]] int GetState() const { return m_state; }
    [[nodiscard]] bool IsStripMode() const { return m_stripMode; }

protected:
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Paint(HDC target);
    void ChangeState(ButtonMouseEvent event, LPARAM pointLp);

    Gdiplus::Image* m_background = nullptr;
    RECT m_backgroundRect{};
    std::array<std::unique_ptr<Gdiplus::Image>, kButtonImageSlots> m_images;
    int m_state = kButtonNormal;
    bool m_tracking = false;
    std::wstring m_caption;
    HFONT m_captionFont = nullptr;
    RECT m_hitInset{};
    bool m_stripMode = false;
    COLORREF m_captionColor = RGB(0, 0, 0);
};

} // namespace tsu
