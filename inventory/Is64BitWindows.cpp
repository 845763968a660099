#include "inventory/Is64BitWindows.h"

#include <windows.h>

namespace tsu {

#ifdef _WIN64

bool Is64BitWindows() {
    // A 64-bit process is not under WOW64, so IsWow64Process would say "no"; yet it can only run on
    // 64-bit Windows.
    return true;
}

#else

namespace {
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);

IsWow64ProcessFn LookUpIsWow64Process() {
    // Looked up at run time: the export is missing on the oldest 32-bit systems.
    HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    if (!kernel32)
        return nullptr;
    return reinterpret_cast<IsWow64ProcessFn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel32, "IsWow64Process")));
}
} // namespace

bool Is64BitWindows() {
    static const IsWow64ProcessFn isWow64Process = LookUpIsWow64Process();
    if (!isWow64Process)
        return false;
    BOOL wow64 = FALSE;
    return isWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

#endif

} // namespace tsu
