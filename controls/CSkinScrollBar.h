#pragma once
// A scroll bar control drawn from a skin bitmap (9 x 3 cells: arrows, thumb, track, size box in
// normal, hot and pressed states) that reproduces the scroll bar's mouse behaviour: arrows and page
// areas repeat after 500 ms every 100 ms while held, the thumb drags, the part under the pointer
// lights up. It talks to its parent exactly like a system scroll bar (WM_VSCROLL/WM_HSCROLL with
// its handle) and answers SBM_SETSCROLLINFO/SBM_GETSCROLLINFO from its own information.

#include "controls/core/SkinScrollGeometry.h"
#include "framework/CScrollBar.h"

namespace tsu {

class CSkinScrollBar : public CScrollBar {
public:
    static constexpr UINT_PTR kDelayTimer = 200;  // first repeat after 500 ms
    static constexpr UINT_PTR kRepeatTimer = 100; // then every 100 ms
    static constexpr UINT kDelayMs = 500;
    static constexpr UINT kRepeatMs = 100;

    CSkinScrollBar();

    // The skin (not owned): sets the cell size (width / 9) and makes the control one cell thick.
    void SetBitmap(HBITMAP bitmap);
    void SetScale(float scale) { m_scale = scale; }
    void SetThumbBorder(int thumbBorder) { m_thumbBorder = thumbBorder; }
    [[nodiscard]] bool IsVertical() const;

    // State, for the frame and for tests.
    [[nodiscard]] const SCROLLINFO& GetInfo() const { return m_info; }
    [[nodiscard]] bool IsDragging() const { return m_dragging; }
    [[nodiscard]] int GetHotPart() const { return m_hotPart; }
    [[nodiscard]] int GetClickedPart() const { return m_clickedPart; }
    [[nodiscard]] bool IsRepeating() const { return m_repeating; }
    [[nodiscard]] SkinBarLayout GetLayout() const;
    // A part's rectangle in client coordinates (empty for an empty part).
    [[nodiscard]] RECT GetPartRect(int part) const;
    // Paints the whole bar into target as WM_PAINT does.
    void PaintTo(HDC target);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void PreSubclassWindow() override;

private:
    [[nodiscard]] int BarLength() const;
    [[nodiscard]] int Along(POINT pt) const { return IsVertical() ? pt.y : pt.x; }
    [[nodiscard]] SkinScrollValues Values() const;
    [[nodiscard]] int HitTest(POINT pt) const;
    [[nodiscard]] int MaxReachablePos() const;

    void OnPaint();
    void DrawAll(HDC dc);
    void DrawPart(HDC dc, HDC skin, int part, int state);
    void DrawPartNow(int part, int state); // straight onto the window, for hover and press feedback
    void DrawAlongRange(HDC dc, HDC skin, int begin, int end, int part, int state);
    void DrawThumb(HDC dc, HDC skin, int state);
    [[nodiscard]] int StateOf(int part) const;

    void OnLButtonDown(POINT pt);
    void OnMouseMove(POINT pt);
    void OnLButtonUp(POINT pt);
    void OnTimer(UINT_PTR id);
    void OnMouseLeave();
    void StopPressing();
    LRESULT OnSetScrollInfo(BOOL redraw, const SCROLLINFO* info);
    LRESULT OnGetScrollInfo(SCROLLINFO* info) const;
    void SendScroll(int code, int pos);

    HBITMAP m_bitmap = nullptr;
    int m_cellSize = 0;
    int m_cellHeight = 0;
    SCROLLINFO m_info{};
    bool m_dragging = false;
    POINT m_dragPoint{};
    int m_dragStartPos = 0;
    int m_clickedPart = kSkinPartNone;
    bool m_repeating = false;
    int m_hotPart = kSkinPartNone;
    bool m_pointerAway = false;
    POINT m_lastPoint{-1, -1}; // where the pointer was last seen (the bar has the capture while pressed)
    bool m_trackingLeave = false;
    float m_scale = 1.0f;
    int m_thumbBorder = 0;
};

} // namespace tsu
