#pragma once
// The host half of the tool's window pattern: a dialog without controls whose only content is a
// PNG with per-pixel alpha (shaped border, drop shadow) shown as a layered window, carrying one
// frameless child dialog inset on top of it. While the host moves, the child follows; while the
// user drags the child by its strip, the host follows the child.

#include "app/CToolDialog.h"
#include "app/LayeredWindow.h"
#include "app/core/WindowGeometry.h"

#include <gdiplus.h>

#include <memory>

namespace tsu {

class CLayeredHostDlg : public CToolDialog {
public:
    CLayeredHostDlg(UINT templateId, HWND parent, UINT backgroundPng, int designWidth, int designHeight,
                    DesignInset childInset);
    ~CLayeredHostDlg() override;

    // The child was dragged to a new place: the host moves around it (the child stays).
    void FollowChild();
    // Whether the host still carries the child along when it moves.

protected:
    // Loads the background PNG (once), sizes the host to the design size times the factor at the
    // given place, turns it layered and shows the image. False when the PNG cannot be loaded: the
    // host's initialisation stops there.
    [[nodiscard]] bool InitLayeredHost(int x, int y);
    [[nodiscard]] bool InitLayeredHostCentred();
    // The child's box for the host's current place.
    [[nodiscard]] WindowBox ChildBox() const;
    // Puts the child at its inset (after creating it, and whenever the host moves).
    void PlaceChild();
    // Keeps the child above the host.
    void RaiseChild();
    // The child's window, or null before it exists.
    [[nodiscard]] virtual HWND ChildWindow() const = 0;

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    std::unique_ptr<Gdiplus::Image> m_image;
    UINT m_backgroundPng;
    int m_designWidth;
    int m_designHeight;
    DesignInset m_childInset;
    bool m_follow = true;

private:
    bool m_moving = false; // the host or child is being moved by the other: no echo
};

// The child half: a frameless dialog that paints its PNG stretched as background and may have a
// drag strip (the top 30 pixels of its client area minus the right 26, not scaled) by which the
// user drags the child, and with it the host.
class CLayeredChildDlg : public CToolDialog {
public:
    static constexpr int kDragStripHeight = 30;
    static constexpr int kDragStripRightExcluded = 26;

    CLayeredChildDlg(UINT templateId, UINT backgroundPng, bool draggable);
    ~CLayeredChildDlg() override;

    void SetHost(CLayeredHostDlg* host) { m_host = host; }
    [[nodiscard]] bool IsInDragStrip() const { return m_inDragStrip; }

protected:
    // Loads the background once; false when the PNG cannot be loaded.
    [[nodiscard]] bool LoadBackground();
    // Lays the controls out for the current client size (called at initialisation and on size).
    virtual void LayoutControls() {}
    // A button's WM_COMMAND; true when handled (the dialog's own handling is skipped then).
    virtual bool OnCommand(UINT id, UINT code) { return false; }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    // Gives control the piece of the background that lies under it.
    template <typename Control> void ShowBackgroundPiece(Control& control) const {
        const RECT piece = BackgroundPieceFor(m_hWnd, control.GetSafeHwnd(), m_image.get());
        control.SetBackgroundRect(piece.left, piece.top, piece.right, piece.bottom);
    }
    // Closes the host (its dialog handling turns WM_CLOSE into IDCANCEL).
    void CloseHost();

    std::unique_ptr<Gdiplus::Image> m_image;
    UINT m_backgroundPng;
    CLayeredHostDlg* m_host = nullptr;
    bool m_initialised = false;

private:
    LRESULT OnNcHitTest(LPARAM lp);
    bool m_draggable;
    bool m_inDragStrip = false;
};

} // namespace tsu
