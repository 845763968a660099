#pragma once
// The terms viewer's child (template 135): the terms in a read-only rich-edit box with a skinned
// scroll bar, on PNG 195 without its bottom 18 rows (the pointer belongs to the host's outline).

#include "app/CLayeredHostDlg.h"
#include "framework/ScopedHandles.h"

namespace tsu {

class CTooltipChildDlg : public CLayeredChildDlg {
public:
    CTooltipChildDlg();
    ~CTooltipChildDlg() override;

    // The rich-edit box (inside its scroll frame once skinned).
    [[nodiscard]] HWND RichEdit() const { return m_edit; }

protected:
    BOOL OnInitToolDialog() override;
    void LayoutControls() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void PaintBackground(HDC dc);

    UniqueHbitmap m_scrollSkin;
    HWND m_edit = nullptr;
};

} // namespace tsu
