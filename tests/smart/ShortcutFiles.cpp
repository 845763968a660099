#include "tests/smart/ShortcutFiles.h"

#include "framework/ScopedHandles.h"
#include "tests/common/TestProcess.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <vector>

namespace tsu::test {

namespace {
using Microsoft::WRL::ComPtr;

// The link's own serialisation, written to the file by hand: IPersistFile::Save under Wine also
// starts winemenubuilder for every link, which writes menu entries into the host user's desktop
// menus and, for hundreds of links at once, runs out of display connections.
bool SaveLink(IShellLinkW* link, const std::wstring& linkPath) {
    ComPtr<IPersistStream> persist;
    if (FAILED(link->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(persist.GetAddressOf()))))
        return false;
    ComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.GetAddressOf())) ||
        FAILED(persist->Save(stream.Get(), TRUE)))
        return false;
    HGLOBAL memory = nullptr;
    if (FAILED(::GetHGlobalFromStream(stream.Get(), &memory)))
        return false;
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
        return false;
    const void* bytes = ::GlobalLock(memory);
    if (!bytes)
        return false;
    const std::string content(static_cast<const char*>(bytes), static_cast<size_t>(stat.cbSize.QuadPart));
    ::GlobalUnlock(memory);
    return WriteFileBytes(linkPath, content);
}

ComPtr<IShellLinkW> NewLink() {
    ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(link.GetAddressOf()))))
        link.Reset();
    return link;
}

void Put32(std::vector<uint8_t>& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void Put16(std::vector<uint8_t>& bytes, uint16_t value) {
    bytes.push_back(static_cast<uint8_t>(value));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
}
void Set32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}
} // namespace

bool CreateShortcut(const std::wstring& linkPath, const std::wstring& target) {
    const ScopedComInit com;
    const ComPtr<IShellLinkW> link = NewLink();
    // SetPath answers S_FALSE for a target that does not exist yet; the path is stored anyway.
    return link && SUCCEEDED(link->SetPath(target.c_str())) && SaveLink(link.Get(), linkPath);
}

bool CreateShortcutToNothing(const std::wstring& linkPath) {
    const ScopedComInit com;
    const ComPtr<IShellLinkW> link = NewLink();
    PIDLIST_ABSOLUTE computer = nullptr;
    if (!link || FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer)))
        return false;
    const bool saved = SUCCEEDED(link->SetIDList(computer)) && SaveLink(link.Get(), linkPath);
    ::CoTaskMemFree(computer);
    return saved;
}

bool WriteLongTargetShortcut(const std::wstring& linkPath, const std::string& asciiTarget) {
    // Shell link binary format: header, then LinkInfo with a volume id and a local base path.
    constexpr uint32_t kHasLinkInfo = 0x2;
    constexpr uint32_t kIsUnicode = 0x80;
    constexpr uint32_t kVolumeIdAndLocalBasePath = 0x1;
    constexpr uint32_t kDriveFixed = 3;
    std::vector<uint8_t> bytes;
    Put32(bytes, 0x4C);
    const uint8_t clsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                               0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    bytes.insert(bytes.end(), clsid, clsid + 16);
    Put32(bytes, kHasLinkInfo | kIsUnicode);
    Put32(bytes, FILE_ATTRIBUTE_ARCHIVE);
    bytes.insert(bytes.end(), 24, 0); // three file times
    Put32(bytes, 0);                  // file size
    Put32(bytes, 0);                  // icon index
    Put32(bytes, SW_SHOWNORMAL);
    Put16(bytes, 0);                  // hot key
    bytes.insert(bytes.end(), 10, 0); // reserved

    const size_t linkInfo = bytes.size();
    constexpr uint32_t kHeaderSize = 0x1C;
    constexpr uint32_t kVolumeIdSize = 0x11; // 16 bytes and an empty label
    Put32(bytes, 0);                         // size, set below
    Put32(bytes, kHeaderSize);
    Put32(bytes, kVolumeIdAndLocalBasePath);
    Put32(bytes, kHeaderSize);                 // volume id
    Put32(bytes, kHeaderSize + kVolumeIdSize); // local base path
    Put32(bytes, 0);                           // no network location
    const size_t suffixOffsetAt = bytes.size();
    Put32(bytes, 0); // common path suffix, set below
    Put32(bytes, kVolumeIdSize);
    Put32(bytes, kDriveFixed);
    Put32(bytes, 0x12345678); // serial number
    Put32(bytes, 0x10);       // label offset
    bytes.push_back(0);       // empty label
    bytes.insert(bytes.end(), asciiTarget.begin(), asciiTarget.end());
    bytes.push_back(0);
    Set32(bytes, suffixOffsetAt, static_cast<uint32_t>(bytes.size() - linkInfo));
    bytes.push_back(0); // empty suffix
    Set32(bytes, linkInfo, static_cast<uint32_t>(bytes.size() - linkInfo));
    Put32(bytes, 0); // terminal block
    return WriteFileBytes(linkPath, std::string(bytes.begin(), bytes.end()));
}

namespace {
using UnixNameFn = char*(CDECL*)(LPCWSTR);

// Wine's own export that names the host file behind a Windows path; missing on Windows.
UnixNameFn WineUnixNameFunction() {
    const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    return kernel32 ? reinterpret_cast<UnixNameFn>(
                          reinterpret_cast<void*>(::GetProcAddress(kernel32, "wine_get_unix_file_name")))
                    : nullptr;
}

std::wstring HostPath(UnixNameFn unixName, const std::wstring& path) {
    char* hostPath = unixName(path.c_str());
    if (!hostPath)
        return std::wstring();
    std::wstring wide;
    for (const char* c = hostPath; *c; ++c)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(*c)); // the test paths are ASCII
    ::HeapFree(::GetProcessHeap(), 0, hostPath);
    return wide;
}

std::wstring ParentFolder(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool IsDirectoryLink(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}
} // namespace

bool CreateDirectoryLink(const std::wstring& linkPath, const std::wstring& relativeTarget) {
    const UnixNameFn unixName = WineUnixNameFunction();
    if (!unixName)
        return ::CreateSymbolicLinkW(linkPath.c_str(), relativeTarget.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) != FALSE;
    // Wine 8 cannot make junctions or symbolic links itself, but shows a host symbolic link to a
    // folder as a directory reparse point.
    const std::wstring hostLink = HostPath(unixName, linkPath);
    if (hostLink.empty())
        return false;
    std::wstring target = relativeTarget;
    for (auto& c : target)
        c = c == L'\\' ? L'/' : c;
    return RunHostProgramUntil(L"Z:\\bin\\ln -s -n \"" + target + L"\" \"" + hostLink + L"\"", ParentFolder(linkPath),
                               [&] { return IsDirectoryLink(linkPath); });
}

bool RemoveDirectoryLink(const std::wstring& linkPath) {
    const UnixNameFn unixName = WineUnixNameFunction();
    if (!unixName)
        return ::RemoveDirectoryW(linkPath.c_str()) != FALSE;
    const std::wstring hostLink = HostPath(unixName, linkPath);
    if (hostLink.empty())
        return false;
    return RunHostProgramUntil(L"Z:\\bin\\rm -f \"" + hostLink + L"\"", ParentFolder(linkPath),
                               [&] { return !FileExists(linkPath); });
}

std::wstring CommonDesktop() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_DESKTOPDIRECTORY | CSIDL_FLAG_CREATE, nullptr, 0, folder)))
        return L"C:\\users\\Public\\Desktop";
    return folder;
}

bool CreateFolders(const std::wstring& path) {
    return ::SHCreateDirectoryExW(nullptr, path.c_str(), nullptr) == ERROR_SUCCESS || FileExists(path);
}

std::wstring ShortSpelling(const std::wstring& folder) {
    WIN32_FIND_DATAW data{};
    const HANDLE search = ::FindFirstFileW(folder.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return folder;
    ::FindClose(search);
    return data.cAlternateFileName[0] ? folder.substr(0, folder.rfind(L'\\')) + L"\\" + data.cAlternateFileName
                                      : folder;
}

} // namespace tsu::test
