#include "app/AppOptions.h"

#include <windows.h>
#include <shellapi.h>

namespace tsu {

AppOptions AppOptions::FromCommandLine(const wchar_t* commandLine) {
    AppOptions options;
    if (!commandLine || !*commandLine)
        return options;
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(commandLine, &count);
    if (!arguments)
        return options;
    for (int i = 0; i < count; ++i) {
        if (::lstrcmpiW(arguments[i], L"--keep-folder") == 0 || ::lstrcmpiW(arguments[i], L"/keep-folder") == 0)
            options.removeFolderOnClose = false;
    }
    ::LocalFree(arguments);
    return options;
}

} // namespace tsu
