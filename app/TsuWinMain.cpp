// The program's entry point: TarrowSoftwareUninstall.exe.

#include "app/CTarrowSoftwareUninstallApp.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    tsu::CTarrowSoftwareUninstallApp app(tsu::AppOptions::FromCommandLine(::GetCommandLineW()));
    return app.Run();
}
