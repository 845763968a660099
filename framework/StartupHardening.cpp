#include "framework/StartupHardening.h"

namespace tsu {

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

std::wstring FolderFrom(UINT (*read)(LPWSTR, UINT)) {
    std::wstring folder(MAX_PATH, L'\0');
    UINT length = read(folder.data(), static_cast<UINT>(folder.size()));
    if (length >= folder.size()) {
        folder.assign(length, L'\0');
        length = read(folder.data(), static_cast<UINT>(folder.size()));
    }
    if (length == 0 || length >= folder.size())
        return std::wstring();
    folder.resize(length);
    while (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    return folder;
}

UINT ReadSystemFolder(LPWSTR buffer, UINT size) {
    return ::GetSystemDirectoryW(buffer, size);
}

UINT ReadWindowsFolder(LPWSTR buffer, UINT size) {
    return ::GetSystemWindowsDirectoryW(buffer, size);
}

} // namespace

std::wstring SystemFolder() {
    return FolderFrom(&ReadSystemFolder);
}

std::wstring WindowsFolder() {
    return FolderFrom(&ReadWindowsFolder);
}

bool HardenProcessStart() {
    bool ok = true;
    // Windows 7 has SetDefaultDllDirectories only with update KB2533623, so it is looked up rather
    // than imported (an import would keep the program from starting at all there).
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                                         reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")))
                                   : nullptr;
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        ok = false;
        // GDI+ is delay-loaded by name at its first use; without the restricted search that name
        // would be looked up beside the program first. Loaded now by its full path, the first
        // use finds it already in the process.
        (void)LoadSystemLibrary(L"gdiplus.dll");
    }
    // An empty string takes the current folder out of the search where the call above is missing.
    if (!::SetDllDirectoryW(L""))
        ok = false;
    // The folder the program was started from is often Downloads; programs started by a bare name
    // and relative paths must not be found there.
    const std::wstring system = SystemFolder();
    if (system.empty() || !::SetCurrentDirectoryW(system.c_str()))
        ok = false;
    return ok;
}

HMODULE LoadSystemLibrary(const std::wstring& fileName) {
    const std::wstring system = SystemFolder();
    if (system.empty() || fileName.empty())
        return nullptr;
    // A full path: neither the program's folder nor the current folder can supply the library.
    return ::LoadLibraryExW((system + L"\\" + fileName).c_str(), nullptr, 0);
}

} // namespace tsu
