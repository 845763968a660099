#pragma once
// The About box from the main window's system menu: a plain dialog (template 100). The one dialog
// of the tool where Enter and Escape do what they always do: close it.

#include "framework/CDialog.h"

namespace tsu {

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(HWND owner = nullptr);

protected:
    BOOL OnInitDialog() override;
};

} // namespace tsu
