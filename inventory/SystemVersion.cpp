#include "inventory/SystemVersion.h"

#include <windows.h>

namespace tsu {

std::optional<WindowsVersion> QueryWindowsVersion() {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    if (!ntdll)
        return std::nullopt;
    const auto getVersion =
        reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")));
    if (!getVersion)
        return std::nullopt;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (getVersion(&info) != 0) // STATUS_SUCCESS
        return std::nullopt;
    return WindowsVersion{info.dwMajorVersion, info.dwMinorVersion};
}

} // namespace tsu
