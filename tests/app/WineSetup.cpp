// A CTest fixture: every program named on the command line gets unmanaged windows in this prefix.

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
