#include "app/CPageDlg.h"

namespace tsu {

LRESULT CPageDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        PaintBackground(reinterpret_cast<HDC>(wp));
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        break;
    default:
        break;
    }
    return CToolDialog::WindowProc(msg, wp, lp);
}

} // namespace tsu
