#pragma once
// The frame that gives an existing window (the terms viewer's rich-edit box) skinned scroll bars:
// it takes the target into a clipping child "LIMIT" that hides the target's own bars, places two
// CSkinScrollBar beside it and keeps them in step with the target. SkinWndScroll applies it,
// UnskinWndScroll undoes it; the frame deletes itself when it is destroyed.

#include "controls/CSkinScrollBar.h"
#include "framework/CWnd.h"
#include "framework/Messages.h"

namespace tsu {

class CSkinScrollWnd : public CWnd {
public:
    static constexpr UINT kHorizontalBarId = 100;
    static constexpr UINT kVerticalBarId = 101;
    static constexpr UINT kLimitId = 200;
    static constexpr UINT_PTR kUpdateTimer = 100;
    static constexpr UINT kUpdateIntervalMs = 500;
    // Posted by the target's hook after its frame was recalculated: wParam the target's WS_VSCROLL
    // bit, lParam 1 for a bar on the left.
    static constexpr UINT kRepositionMessage = kSkinScrollMessages.first;

    CSkinScrollWnd(float scale, int thumbBorder);

    // Builds the frame around target with the skin bitmap (not owned). False leaves target as it
    // was.
    [[nodiscard]] bool SkinWindow(HWND target, HBITMAP bitmap);
    // Gives the target back to the frame's parent at the frame's place (with the border styles the
    // frame took) and destroys the frame, which deletes itself.
    void Unskin();

    // The frame of a skinned window, or null.
    [[nodiscard]] static CSkinScrollWnd* FromTarget(HWND target);

    [[nodiscard]] int GetBarWidth() const { return m_barWidth; }
    [[nodiscard]] int GetCorner() const { return m_corner; }
    [[nodiscard]] CSkinScrollBar& VerticalBar() { return m_verticalBar; }
    [[nodiscard]] CSkinScrollBar& HorizontalBar() { return m_horizontalBar; }
    [[nodiscard]] HWND GetLimitWindow() const { return m_limit.GetSafeHwnd(); }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // A frame deletes itself once SkinWindow succeeded; a failed one is deleted by its creator.
    void PostNcDestroy() override {
        if (m_ownsItself)
            delete this;
    }

private:
    static LRESULT CALLBACK TargetHook(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
    LRESULT OnTargetMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnTargetNcCalcSize(WPARAM wp, LPARAM lp);
    void ReleaseTarget();
    void SyncBar(CSkinScrollBar& bar, int which, bool onlyWhenChanged);
    void OnReposition(bool verticalShown, bool leftBar);
    void OnSize(int width, int height);
    void OnScroll(UINT msg, WPARAM wp, HWND bar);
    void OnTimer();
    void OnPaint();

    CSkinScrollBar m_horizontalBar;
    CSkinScrollBar m_verticalBar;
    CWnd m_limit;
    HWND m_target = nullptr;
    HBITMAP m_bitmap = nullptr;
    int m_barWidth = 16;
    int m_corner = 0;
    bool m_busy = false;
    bool m_destroying = false;
    bool m_ownsItself = false;
    float m_scale = 1.0f;
    int m_thumbBorder = 0;
    DWORD m_takenStyle = 0;   // WS_BORDER taken from the target
    DWORD m_takenExStyle = 0; // WS_EX_CLIENTEDGE taken from the target
};

// Applies the skinned bars to target; the frame, or null when it could not be built.
CSkinScrollWnd* SkinWndScroll(HWND target, HBITMAP bitmap, float scale, int thumbBorder);
// Undoes SkinWndScroll; TRUE also when the window was never skinned.
BOOL UnskinWndScroll(HWND target);

} // namespace tsu
