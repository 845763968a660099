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

    [[nodiscard]] HWND RichEdit() const { return GetDlgItem(1009); }

protected:
    BOOL OnInitToolDialog() override;
    void LayoutControls() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void PaintBackground(HDC dc);

    UniqueHbitmap m_scrollSkin;
};

} // namespace tsu
