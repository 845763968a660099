#pragma once
// The terms viewer: a layered host (template 136, PNG 195 with its pointer) and CTooltipChildDlg,
// shown over the lower part of the start page and toggled by the terms label. Modeless; it has
// no drag strip and follows its own host only.

#include "app/CLayeredHostDlg.h"
#include "app/CTooltipChildDlg.h"
#include "app/core/WindowGeometry.h"

namespace tsu {

class CTooltipDlg : public CLayeredHostDlg {
public:
    CTooltipDlg();
    ~CTooltipDlg() override;

    // Places the host (and with it the child) at box, screen coordinates.
    void PlaceAt(const WindowBox& box);
    // Shows or hides host and child together, without activating them.
    void ShowViewer(bool show);
    [[nodiscard]] bool IsViewerVisible() const;
    // Whether a screen point lies in the host's or the child's window.
    [[nodiscard]] bool Contains(POINT screenPoint) const;
    [[nodiscard]] CTooltipChildDlg& Child() { return m_child; }

protected:
    BOOL OnInitToolDialog() override;
    [[nodiscard]] HWND ChildWindow() const override { return m_child.GetSafeHwnd(); }

private:
    CTooltipChildDlg m_child;
};

} // namespace tsu
