#include "tests/smart/ShortcutFiles.h"
#include "framework/ScopedHandles.h"
#include "tests/common/ProcessTestSupport.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>
#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tsu::test {

namespace {
using Microsoft::WRL::ComPtr;

// Makes a link, lets set fill it and writes its own serialisation to the file by hand:
// IPersistFile::Save under Wine also starts winemenubuilder for every link, which writes menu entries
// into the host user's desktop menus and, for hundreds of links at once, runs out of display connections.
bool SaveLink(const std::wstring& linkPath, const std::function<bool(IShellLinkW*)>& set) {
    const ScopedComInit com;
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistStream> persist;
    ComPtr<IStream> stream;
    HGLOBAL memory = nullptr;
    STATSTG stat{};
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(link.GetAddressOf()))) ||
        !set(link.Get()) ||
        FAILED(link->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(persist.GetAddressOf()))) ||
        FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.GetAddressOf())) ||
        FAILED(persist->Save(stream.Get(), TRUE)) || FAILED(::GetHGlobalFromStream(stream.Get(), &memory)) ||
        FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
        return false;
    const char* bytes = static_cast<const char*>(::GlobalLock(memory));
    const std::string content = bytes ? std::string(bytes, static_cast<size_t>(stat.cbSize.QuadPart)) : "";
    ::GlobalUnlock(memory);
    return bytes && WriteFileBytes(linkPath, content);
}

// The directory listing's entry for path; false when its folder does not list it.
bool Listed(const std::wstring& path, WIN32_FIND_DATAW& data) {
    const HANDLE found = ::FindFirstFileW(path.c_str(), &data);
    return found != INVALID_HANDLE_VALUE && ::FindClose(found);
}

// Wine's own export that names the host file behind a Windows path; missing on Windows.
auto WineUnixNameFunction() {
    return reinterpret_cast<char*(CDECL*)(LPCWSTR)>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

// Runs a host command on the link and waits until done() holds for it.
bool RunOnHostLink(const std::wstring& command, const std::wstring& linkPath, const std::function<bool()>& done) {
    char* hostPath = WineUnixNameFunction()(linkPath.c_str());
    if (!hostPath)
        return false;
    const std::wstring hostLink(hostPath, hostPath + strlen(hostPath)); // the test paths are ASCII
    ::HeapFree(::GetProcessHeap(), 0, hostPath);
    return RunHostProgramUntil(command + L" \"" + hostLink + L"\"", linkPath.substr(0, linkPath.rfind(L'\\')), done);
}
} // namespace

bool CreateShortcut(const std::wstring& linkPath, const std::wstring& target) {
    return SaveLink(linkPath, [&](IShellLinkW* link) {
        if (!target.empty()) // S_FALSE for a target that does not exist yet; the path is stored anyway
            return SUCCEEDED(link->SetPath(target.c_str()));
        PIDLIST_ABSOLUTE computer = nullptr;
        const bool set = SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer)) &&
                         SUCCEEDED(link->SetIDList(computer));
        ::CoTaskMemFree(computer);
        return set;
    });
}

bool CreateDirectoryLink(const std::wstring& linkPath, const std::wstring& relativeTarget) {
    if (!WineUnixNameFunction())
        return ::CreateSymbolicLinkW(linkPath.c_str(), relativeTarget.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) != FALSE;
    // Wine 8 cannot make junctions or symbolic links itself.
    std::wstring target = relativeTarget;
    std::replace(target.begin(), target.end(), L'\\', L'/');
    return RunOnHostLink(L"Z:\\bin\\ln -s -n \"" + target + L"\"", linkPath, [&] {
        const DWORD attributes = ::GetFileAttributesW(linkPath.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    });
}

bool RemoveDirectoryLink(const std::wstring& linkPath) {
    if (!WineUnixNameFunction())
        return ::RemoveDirectoryW(linkPath.c_str()) != FALSE;
    // Gone from its folder's listing: a link whose target went no longer "exists" before it is removed.
    return RunOnHostLink(L"Z:\\bin\\rm -f", linkPath, [&] {
        WIN32_FIND_DATAW data{};
        return !Listed(linkPath, data);
    });
}

std::wstring CommonDesktop() {
    wchar_t folder[MAX_PATH] = {};
    return SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_DESKTOPDIRECTORY | CSIDL_FLAG_CREATE, nullptr, 0, folder))
               ? folder
               : L"C:\\users\\Public\\Desktop";
}

bool CreateFolders(const std::wstring& path) {
    return ::SHCreateDirectoryExW(nullptr, path.c_str(), nullptr) == ERROR_SUCCESS || FileExists(path);
}

std::wstring ShortSpelling(const std::wstring& folder) {
    WIN32_FIND_DATAW data{};
    return Listed(folder, data) && data.cAlternateFileName[0]
               ? folder.substr(0, folder.rfind(L'\\')) + L"\\" + data.cAlternateFileName
               : folder;
}

} // namespace tsu::test
