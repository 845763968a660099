#pragma once
// The header of the multi-line list: painted flat through a memory bitmap in its own font, with the
// select-all box "全选" in its first column. Toggling the box sends WM_HEADER_CHECKALL to the parent.

#include "framework/CHeaderCtrl.h"
#include "framework/CMemoryCanvas.h"
#include "framework/ScopedHandles.h"

#include <gdiplus.h>

#include <memory>

namespace tsu {

class CHeaderCtrlEx : public CHeaderCtrl {
public:
    CHeaderCtrlEx();
    ~CHeaderCtrlEx() override;

    // The select-all box: shown or hidden, ticked or not. Neither repaints by itself.
    void ShowCheckBox(bool show) { m_boxShown = show; }
    void SetCheck(bool check) { m_checked = check; }
    [[nodiscard]] bool GetCheck() const { return m_checked; }

    void SetScale(float scale) { m_scale = scale; }
    [[nodiscard]] float GetScale() const { return m_scale; }
    // The height answered to the header layout request (HDM_LAYOUT).
    void SetHeight(int height) { m_height = height; }
    void SetTextColor(COLORREF color) { m_textColor = color; }

    // Where the box was last painted (client coordinates); empty before the first paint.
    [[nodiscard]] RECT GetCheckRect() const { return m_checkRect; }
    // Draws the whole header into target as WM_PAINT puts it on the screen.
    void PaintTo(HDC target);

    static constexpr COLORREF kDefaultBackground = RGB(240, 242, 248);
    static constexpr COLORREF kFrameColor = RGB(200, 200, 200);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void OnPaint();
    void Draw(HDC dc, const RECT& client);
    void DrawItem(HDC dc, Gdiplus::Graphics& graphics, int index, const RECT& item);
    LRESULT OnLButtonUp(WPARAM wp, LPARAM lp);
    LRESULT OnLayout(WPARAM wp, LPARAM lp);
    void EnsureFont();

    COLORREF m_background = kDefaultBackground;
    COLORREF m_textColor = RGB(0, 0, 0);
    std::unique_ptr<Gdiplus::Image> m_checkImage;
    bool m_checkImageTried = false;
    RECT m_checkRect{};
    bool m_boxShown = false;
    bool m_fontMade = false;
    UniqueHfont m_font;
    int m_height = 1;
    float m_scale = 1.0f;
    bool m_checked = false;
    CMemoryCanvas m_canvas;
};

} // namespace tsu
