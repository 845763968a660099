#pragma once
// What the main window's pages have in common: a background painted by the page itself, the
// page's own clean-up when its window goes, and the top strip that drags the whole tool.

#include "app/CToolDialog.h"
#include "framework/CMemoryCanvas.h"

namespace tsu {

class CPageDlg : public CToolDialog {
public:
    using CToolDialog::CToolDialog;

    void SetMainWindow(HWND mainWindow) { m_mainWindow = mainWindow; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    // WM_NCHITTEST: the top strip, without the minimise and close buttons, drags the page; a
    // dragged page takes the main window along, whose own move puts the other page onto it.
    LRESULT DragStripHitTest(LPARAM lp);

    // The page paints its whole background into dc, a canvas of the client area's size. The
    // background is kept and copied on every WM_ERASEBKGND until the page's size changes (a
    // stretched skin costs tens of milliseconds to draw); false when something could not be
    // drawn, so that it is painted anew next time.
    virtual bool PaintBackground(HDC dc) = 0;
    // WM_DESTROY, before the dialog's own handling: stop timers and workers, free the page's data.
    virtual void OnDestroy() = 0;

    HWND m_mainWindow = nullptr;

private:
    void EraseBackground(HDC dc);

    CMemoryCanvas m_background;
    bool m_backgroundComplete = false;
    bool m_inDragStrip = false;
};

} // namespace tsu
