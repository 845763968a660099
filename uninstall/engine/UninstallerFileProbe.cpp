#include "uninstall/engine/UninstallerFileProbe.h"

#include "inventory/Is64BitWindows.h"

#include <windows.h>

namespace tsu {

namespace {

// Switches WOW64 file-system redirection off for the calling thread while it lives. Only a process
// that really runs under WOW64 may ask: a 64-bit process gets FALSE from the call.
class ScopedRedirectionOff {
public:
    ScopedRedirectionOff() {
#ifndef _WIN64
        if (Is64BitWindows())
            m_active = ::Wow64DisableWow64FsRedirection(&m_oldValue) != FALSE;
#endif
    }
    ~ScopedRedirectionOff() {
        if (m_active)
            (void)::Wow64RevertWow64FsRedirection(m_oldValue);
    }
    ScopedRedirectionOff(const ScopedRedirectionOff&) = delete;
    ScopedRedirectionOff& operator=(const ScopedRedirectionOff&) = delete;

private:
    void* m_oldValue = nullptr;
    bool m_active = false;
};

std::wstring ExpandVariables(const std::wstring& text) {
    const DWORD needed = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0)
        return text;
    std::wstring expanded(needed, L'\0');
    const DWORD written = ::ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed)
        return text;
    expanded.resize(written - 1); // the count includes the terminator
    return expanded;
}

std::wstring SearchSystemPath(const std::wstring& name) {
    const ScopedRedirectionOff redirection;
    const DWORD needed = ::SearchPathW(nullptr, name.c_str(), nullptr, 0, nullptr, nullptr);
    if (needed == 0)
        return std::wstring();
    std::wstring found(needed, L'\0');
    const DWORD written = ::SearchPathW(nullptr, name.c_str(), nullptr, needed, found.data(), nullptr);
    if (written == 0 || written >= needed)
        return std::wstring();
    found.resize(written);
    return found;
}

FileState QueryFile(const std::wstring& path) {
    const ScopedRedirectionOff redirection;
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return FileState::Present;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileState::Missing : FileState::Unknown;
}

// A mapped network drive may be invisible to the elevated process although the user sees it, and
// an unplugged removable drive has no root: only a fixed drive that is there can vouch for a file
// being missing.
bool IsFixedDrive(const std::wstring& root) {
    if (::GetDriveTypeW(root.c_str()) != DRIVE_FIXED)
        return false;
    const DWORD attributes = ::GetFileAttributesW(root.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

UninstallerProbe SystemUninstallerProbe() {
    UninstallerProbe probe;
    probe.expandVariables = &ExpandVariables;
    probe.searchPath = &SearchSystemPath;
    probe.queryFile = &QueryFile;
    probe.isFixedDrive = &IsFixedDrive;
    return probe;
}

} // namespace tsu
