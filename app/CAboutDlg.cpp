#include "app/CAboutDlg.h"

#include "app/DialogFont.h"
#include "res/ResourceIds.h"

namespace tsu {

CAboutDlg::CAboutDlg(HWND owner) : CDialog(IDD_ABOUTBOX, owner) {}

BOOL CAboutDlg::OnInitDialog() {
    // The controls get a face with Chinese glyphs where the template's is missing; the box's own
    // WM_GETFONT is not used by anything.
    (void)UseChineseCapableDialogFont(m_hWnd);
    return TRUE;
}

} // namespace tsu
