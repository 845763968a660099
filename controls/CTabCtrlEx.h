#pragma once
// The function page's tab strip, painted through a memory bitmap from the tab skin (bitmap 196:
// rows 0-29 the unselected tab, rows 29-58 the selected one; column 0 the left edge, column 14 the
// right edge, the columns between the body), with a grey line under the tabs.

#include "framework/CMemoryCanvas.h"
#include "framework/CTabCtrl.h"
#include "framework/ScopedHandles.h"

namespace tsu {

class CTabCtrlEx : public CTabCtrl {
public:
    CTabCtrlEx() = default;

    // The tab font: the parent's font grown by grow pixels with weight (see CreateDerivedFont).
    bool SetFontFromParent(int grow, int weight);
    // Draws the strip into target as WM_PAINT puts it on the screen.
    void PaintTo(HDC target);

    static constexpr COLORREF kBackground = RGB(240, 245, 247);
    static constexpr COLORREF kLineColor = RGB(195, 195, 195);
    static constexpr COLORREF kSelectedText = RGB(0, 0, 255);
    static constexpr COLORREF kText = RGB(0, 0, 0);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void OnPaint();
    void Draw(HDC dc, const RECT& client);
    void DrawTab(HDC dc, HDC skin, const RECT& tab, bool selected);

    UniqueHbrush m_background;
    UniqueHfont m_font;
    UniqueHbitmap m_skin;
    bool m_skinTried = false;
    CMemoryCanvas m_canvas;
};

} // namespace tsu
