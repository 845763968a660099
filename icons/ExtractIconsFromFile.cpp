#include "icons/ExtractIconsFromFile.h"

#include "framework/ScopedHandles.h"
#include "icons/DriveTypeMemo.h"
#include "icons/PagedFileImage.h"
#include "icons/core/IconFileRules.h"
#include "icons/core/PeIconWalk.h"
#include "icons/core/PeResourceReader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tsu {

namespace {

constexpr DWORD kIconResourceVersion = 0x00030000; // CreateIconFromResourceEx: Windows 3.x format
constexpr DWORD kRopDsna = 0x00220326;             // dest AND NOT source: clears the masked pixels
constexpr UINT kNoId = static_cast<UINT>(-1);
constexpr uint64_t kModuleHeaderViewBytes = 1024 * 1024;

// "X:\" or "X:/" at the start: a full path on a drive letter.
bool StartsWithDriveRoot(const std::wstring& path) {
    return path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
}

std::optional<std::wstring> ReadEnvironmentVariable(const std::wstring& name) {
    std::vector<wchar_t> buffer(kIconPathChars);
    for (;;) {
        const DWORD chars = ::GetEnvironmentVariableW(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (chars == 0)
            return std::nullopt; // not set (an empty value appends nothing either)
        if (chars < buffer.size())
            return std::wstring(buffer.data(), chars);
        buffer.resize(chars); // too small: chars is the size needed, terminator included
    }
}

// Finds the file along the search path; nothing when it is absent or its full name does not fit.
std::optional<std::wstring> SearchFile(const std::wstring& path) {
    std::array<wchar_t, kIconPathChars> found{};
    const DWORD chars =
        ::SearchPathW(nullptr, path.c_str(), nullptr, static_cast<DWORD>(found.size()), found.data(), nullptr);
    if (chars == 0 || chars >= found.size())
        return std::nullopt;
    return std::wstring(found.data(), chars);
}

bool ReadFileHead(const std::wstring& path, uint8_t* bytes, size_t size) {
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD read = 0;
    return file && ::ReadFile(file.Get(), bytes, static_cast<DWORD>(size), &read, nullptr) && read == size;
}

// Reading a file must not change its last-access time: the time is read when the file is opened
// with attribute-writing access and written back, unchanged, before it is closed (after any
// second reader such as LoadImage has also been at it).
class AccessTimeKeeper {
public:
    explicit AccessTimeKeeper(HANDLE file) : m_file(file) {
        m_valid = ::GetFileTime(file, nullptr, &m_lastAccess, nullptr) != FALSE;
    }
    ~AccessTimeKeeper() {
        if (m_valid)
            (void)::SetFileTime(m_file, nullptr, &m_lastAccess, nullptr);
    }
    AccessTimeKeeper(const AccessTimeKeeper&) = delete;
    AccessTimeKeeper& operator=(const AccessTimeKeeper&) = delete;

private:
    HANDLE m_file;
    FILETIME m_lastAccess{};
    bool m_valid = false;
};

// The monochrome mask of a bitmap: set where a pixel has the key colour.
UniqueHbitmap MakeKeyMask(HDC colourDc, int width, int height, COLORREF key) {
    UniqueHbitmap mask(::CreateBitmap(width, height, 1, 1, nullptr));
    UniqueMemoryDc maskDc(::CreateCompatibleDC(nullptr));
    if (!mask || !maskDc)
        return UniqueHbitmap();
    ScopedSelectObject selectMask(maskDc.Get(), mask.Get());
    // Colour to monochrome: pixels equal to the source's background colour become 1.
    if (::SetBkColor(colourDc, key) == CLR_INVALID ||
        !::BitBlt(maskDc.Get(), 0, 0, width, height, colourDc, 0, 0, SRCCOPY))
        return UniqueHbitmap();
    // Monochrome to colour: 1 becomes the destination's background (white), 0 its text colour
    // (black); DSna then clears exactly the key-coloured pixels, as the icon's XOR image needs.
    if (::SetBkColor(colourDc, RGB(255, 255, 255)) == CLR_INVALID ||
        ::SetTextColor(colourDc, RGB(0, 0, 0)) == CLR_INVALID ||
        !::BitBlt(colourDc, 0, 0, width, height, maskDc.Get(), 0, 0, kRopDsna))
        return UniqueHbitmap();
    return mask;
}

} // namespace

bool IsNetworkFile(const std::wstring& path) {
    if (IsNetworkPath(path))
        return true;
    // A drive letter mapped to a share; asking for the drive's type does not reach the server.
    if (StartsWithDriveRoot(path))
        return DriveTypeMemo::DriveType(path[0]) == DRIVE_REMOTE;
    return false;
}

bool IsModuleFile(const std::wstring& path) {
    if (!StartsWithDriveRoot(path)) {
        const UniqueModule module(::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        return module.IsValid();
    }
    // The sharing the loader asks for when it maps a file.
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0)
        return false;
    // The headers of a module lie at its start; a view of the whole of a large file is not needed.
    PagedFileImage image;
    return image.Open(file.Get(), std::min(static_cast<uint64_t>(size.QuadPart), kModuleHeaderViewBytes)) &&
           PeResourceReader::HasPeSignature(image.View());
}

int ExpandEnvironmentInPlace(std::wstring& path) {
    return ExpandEnvironmentText(path, ReadEnvironmentVariable);
}

UINT ExtractPeIcons(HANDLE file, int index, int width, int height, HICON* icons, UINT* ids, UINT count, UINT flags) {
    // Read with ReadFile instead of through a mapped view: a view of a file that vanishes (a
    // network file, a removed medium) raises an in-page error at the first touch of a page, which
    // would end the tool; a failed read is only a failed read. Only the pieces the walk looks at
    // are read: a library of many megabytes needs its headers, part of its resource tree and one
    // icon.
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart <= 0 || static_cast<uint64_t>(size.QuadPart) > kMaxIconFileBytes)
        return 0;
    PagedFileImage image;
    if (!image.Open(file, static_cast<uint64_t>(size.QuadPart)))
        return 0;
    const ByteReader bytes = image.View();
    PeResourceReader reader;
    if (!reader.Open(bytes))
        return 0;
    const PeIconWalk walk(reader);
    if (!icons)
        return walk.CountGroups();

    // The platform's look-up and icon creation take non-const pointers but only read; the
    // bytes they get were checked against the file first (whole group directory, whole DIB).
    const auto choose = [&](ByteReader directory) -> uint32_t {
        const int id = ::LookupIconIdFromDirectoryEx(const_cast<PBYTE>(directory.Data()), TRUE, width, height, flags);
        return id > 0 ? static_cast<uint32_t>(id) : 0;
    };
    const auto take = [&](uint32_t slot, uint16_t imageId, ByteReader image) {
        HICON icon = ::CreateIconFromResourceEx(const_cast<PBYTE>(image.Data()), static_cast<DWORD>(image.Size()), TRUE,
                                                kIconResourceVersion, width, height, flags);
        if (!icon)
            return false;
        icons[slot] = icon;
        if (ids)
            ids[slot] = imageId;
        return true;
    };
    return walk.Run(index, count, choose, take);
}

UINT LoadBitmapAsIcon(const std::wstring& path, int index, int width, int height, HICON* icon, UINT flags) {
    if (index >= 1)
        return 0;
    std::array<uint8_t, kBitmapFileProbeBytes> head{};
    if (!ReadFileHead(path, head.data(), head.size()) || !BitmapFileHasPixels(ByteReader(head.data(), head.size())))
        return 0;
    UniqueHbitmap bitmap(static_cast<HBITMAP>(
        ::LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, width, height, flags | LR_LOADFROMFILE)));
    if (!bitmap)
        return 0;
    if (!icon)
        return 1;
    // The mask is made at the size the bitmap really has: with width and height 0 the file's own
    // size is used, and a 0 x 0 bitmap gives no icon at all.
    BITMAP info{};
    if (::GetObjectW(bitmap.Get(), sizeof(info), &info) != sizeof(info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return 0;
    UniqueHbitmap mask;
    {
        UniqueMemoryDc colourDc(::CreateCompatibleDC(nullptr));
        if (!colourDc)
            return 0;
        ScopedSelectObject selectColour(colourDc.Get(), bitmap.Get());
        const COLORREF key = ::GetPixel(colourDc.Get(), 0, 0);
        if (key == CLR_INVALID)
            return 0;
        mask = MakeKeyMask(colourDc.Get(), info.bmWidth, info.bmHeight, key);
    }
    if (!mask)
        return 0;
    ICONINFO iconInfo{};
    iconInfo.fIcon = TRUE;
    iconInfo.hbmMask = mask.Get();
    iconInfo.hbmColor = bitmap.Get();
    HICON made = ::CreateIconIndirect(&iconInfo); // copies both bitmaps
    if (!made)
        return 0;
    *icon = made;
    return 1;
}

UINT LoadIconFile(const std::wstring& path, int index, int width, int height, HICON* icon, UINT flags) {
    if (index >= 1)
        return 0;
    UniqueHicon loaded(
        static_cast<HICON>(::LoadImageW(nullptr, path.c_str(), IMAGE_ICON, width, height, flags | LR_LOADFROMFILE)));
    if (!loaded)
        return 0;
    if (icon)
        *icon = loaded.Release();
    return 1;
}

UINT ExtractIconsFromFile(const std::wstring& fileName, int index, int width, int height, HICON* icons, UINT* ids,
                          UINT count, UINT flags) {
    if (count == 0) {
        // No room for a single icon: asked only how many there are.
        icons = nullptr;
        ids = nullptr;
    }
    if (icons)
        icons[0] = nullptr;
    if (ids)
        ids[0] = kNoId;
    std::wstring path = fileName;
    if (path.size() >= kIconPathChars || IsRefusedExtensionClass(ClassifyExtension(path)))
        return 0;
    if (ExpandEnvironmentInPlace(path) == kExpandTooLong)
        return 0;
    // A variable may have brought in one of the refused extensions.
    if (IsRefusedExtensionClass(ClassifyExtension(path)))
        return 0;
    // Checked before the search, which would already reach out to the server.
    if (IsNetworkFile(path))
        return 0;
    const std::optional<std::wstring> found = SearchFile(path);
    if (!found || IsNetworkFile(*found))
        return 0;

    UniqueFileHandle file(::CreateFileW(found->c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool canWriteAttributes = file.IsValid();
    if (!file) {
        file.Reset(::CreateFileW(found->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return 0;
    }
    std::optional<AccessTimeKeeper> keeper;
    if (canWriteAttributes)
        keeper.emplace(file.Get());

    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size) || static_cast<uint64_t>(size.QuadPart) > kMaxIconFileBytes)
        return 0;
    std::array<uint8_t, kFileKindProbeBytes> header{};
    DWORD read = 0;
    if (!::ReadFile(file.Get(), header.data(), static_cast<DWORD>(header.size()), &read, nullptr) ||
        read != header.size())
        return 0;
    switch (ClassifyFileHeader(ByteReader(header.data(), header.size()))) {
    case IconFileKind::PeImage:
        return ExtractPeIcons(file.Get(), index, width, height, icons, ids, count, flags);
    case IconFileKind::Bitmap:
        return LoadBitmapAsIcon(*found, index, width, height, icons, flags);
    case IconFileKind::IconFile:
    case IconFileKind::AnimatedCursor:
        return LoadIconFile(*found, index, width, height, icons, flags);
    case IconFileKind::Unknown:
        break;
    }
    return 0;
}

} // namespace tsu
