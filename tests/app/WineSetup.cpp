// Run by CTest before the application's Wine tests (a fixture): every program named on the
// command line gets unmanaged windows in this prefix, so that closing a dialog does not wait two
// seconds for a window manager that Xvfb does not have (see AppTestSupport.h).

#include "tests/app/AppTestSupport.h"

#include <shellapi.h>

int main() {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments)
        return 1;
    for (int i = 1; i < count; ++i)
        tsu::test::UseUnmanagedWindows(arguments[i]);
    ::LocalFree(arguments);
    return 0;
}
