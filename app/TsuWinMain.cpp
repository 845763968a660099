// The program's entry point: TarrowSoftwareUninstall.exe.

#include "app/CTarrowSoftwareUninstallApp.h"
#include "framework/StartupHardening.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before anything can load a library or start a program. A failed step does not stop the
    // tool: what could be locked down stays locked down, and every later load and launch names
    // its file by full path anyway.
    (void)tsu::HardenProcessStart();
    tsu::CTarrowSoftwareUninstallApp app(tsu::AppOptions::FromCommandLine(::GetCommandLineW()));
    return app.Run();
}
