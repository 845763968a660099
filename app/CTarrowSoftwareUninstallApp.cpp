#include "app/CTarrowSoftwareUninstallApp.h"

#include "app/CTarrowSoftwareUninstallDlg.h"
#include "framework/ScopedHandles.h"
#include "framework/StartupHardening.h"

#include <commctrl.h>

namespace tsu {

namespace {
constexpr DWORD kWin95Classes = 0xFF; // ICC_WIN95_CLASSES
} // namespace

CTarrowSoftwareUninstallApp::CTarrowSoftwareUninstallApp(AppOptions options) : m_options(std::move(options)) {}

int CTarrowSoftwareUninstallApp::Run() {
    // Support for being restarted by the restart manager, nothing else.
    (void)::RegisterApplicationRestart(nullptr, 0);
    const ScopedGdiplusStartup gdiplus;
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), kWin95Classes};
    (void)::InitCommonControlsEx(&controls);
    // The terms viewer's box is a RichEdit20W control; its class comes with this library, which
    // stays loaded for the run. The system's copy only: one beside the tool would run elevated.
    const UniqueModule richEdit(LoadSystemLibrary(L"riched20.dll"));
    // Drag and drop and the shell's icons work in a single-threaded apartment.
    const ScopedComInit com(COINIT_APARTMENTTHREADED);

    CTarrowSoftwareUninstallDlg mainWindow(m_options);
    (void)mainWindow.DoModal();
    return 0;
}

} // namespace tsu
