#pragma once
// What the main window's pages have in common: a background painted by the page itself, and the
// page's own clean-up when its window goes.

#include "app/CToolDialog.h"

namespace tsu {

class CPageDlg : public CToolDialog {
public:
    using CToolDialog::CToolDialog;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    // WM_ERASEBKGND: the page paints its whole background into dc.
    virtual void PaintBackground(HDC dc) = 0;
    // WM_DESTROY, before the dialog's own handling: stop timers and workers, free the page's data.
    virtual void OnDestroy() = 0;
};

} // namespace tsu
