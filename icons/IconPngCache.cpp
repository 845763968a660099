#include "icons/IconPngCache.h"

#include "framework/ModulePath.h"
#include "framework/PlainFolder.h"
#include "icons/ExtractIconsFromFile.h"
#include "icons/IconHandleRoom.h"
#include "icons/IconPngConversion.h"
#include "icons/core/IconFileRules.h"
#include "inventory/core/SoftwareRecord.h"


namespace tsu {

namespace {

constexpr wchar_t kCacheFolderName[] = L"\\Image\\";
constexpr wchar_t kPngExtension[] = L".png";
constexpr wchar_t kIcoExtension[] = L".ico";
constexpr UINT kLibraryLoadFlags = LR_COLOR; // the value 2 the list has always passed
constexpr UINT kExecutableLoadFlags = LR_DEFAULTCOLOR;
constexpr int kIcoBitsPerPixel = 32;
constexpr int kSmallestIconFileWidth = 32; // narrower icon files are loaded again at 32 x 32

// Creates the folder and every missing parent; true when it exists afterwards (as a folder, not
// necessarily a plain one: the caller checks that).
bool CreateFolderWithParents(const std::wstring& folder) {
    std::wstring path = folder;
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    if (path.empty())
        return false;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const size_t parentEnd = path.find_last_of(L"\\/");
    if (parentEnd != std::wstring::npos && parentEnd > 0 && path[parentEnd - 1] != L':' &&
        !CreateFolderWithParents(path.substr(0, parentEnd)))
        return false;
    return ::CreateDirectoryW(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

HICON LoadIconFileAt(const std::wstring& path, int size) {
    return static_cast<HICON>(
        ::LoadImageW(nullptr, path.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

// Width of the icon's colour bitmap (of the mask for a monochrome icon); 0 when unknown.
int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info))
        return 0;
    const UniqueHbitmap colour(info.hbmColor);
    const UniqueHbitmap mask(info.hbmMask);
    BITMAP bitmap{};
    const HBITMAP measured = colour ? colour.Get() : mask.Get();
    if (!measured || ::GetObjectW(measured, sizeof(bitmap), &bitmap) != sizeof(bitmap))
        return 0;
    return bitmap.bmWidth;
}

} // namespace

IconPngCache::IconPngCache() : IconPngCache(DefaultCacheFolder()) {}

IconPngCache::IconPngCache(std::wstring cacheFolder) : m_cacheFolder(std::move(cacheFolder)) {}

std::wstring IconPngCache::DefaultCacheFolder() {
    return ExecutableFolder() + kCacheFolderName;
}

bool IconPngCache::CreateCacheFolder() const {
    // A cache folder that is a link (or a file) would take the pictures, the temporary .ico and
    // the self-removal's deletions wherever it points: no pictures then.
    return CreateFolderWithParents(m_cacheFolder) && IsPlainFolder(m_cacheFolder);
}

bool IconPngCache::MakeIconPng(const std::wstring& iconPath, const std::wstring& stem, int32_t kind,
                               std::wstring& pngPath) {
    // A network file is never opened: no picture, so the list shows its default one.
    if (!m_gdiplus.Succeeded() || IsNetworkFile(iconPath))
        return false;
    switch (kind) {
    case kIconKindExe:
        return MakeExecutablePng(iconPath, stem, pngPath);
    case kIconKindDll:
        return MakeLibraryPng(iconPath, stem, pngPath);
    case kIconKindOther:
        return MakeIconFilePng(iconPath, stem, pngPath);
    default:
        return false;
    }
}

// The library's first icon group at 128 x 128; the registry's icon index is not used.
bool IconPngCache::MakeLibraryPng(const std::wstring& iconPath, const std::wstring& stem, std::wstring& pngPath) {
    IconHandleRoom room(kLibraryIconRoom); // destroys whatever it was given, however many
    const UINT made = ExtractIconsFromFile(iconPath, 0, kLibraryIconSize, kLibraryIconSize, room.Slots(), nullptr,
                                           kLibraryIconsWanted, kLibraryLoadFlags);
    if (made == 0 || !CreateCacheFolder())
        return false;
    const std::wstring path = m_cacheFolder + stem + kPngExtension;
    if (!IconToPng(room.At(0), path))
        return false;
    pngPath = path;
    return true;
}

bool IconPngCache::MakeIconFilePng(const std::wstring& iconPath, const std::wstring& stem, std::wstring& pngPath) {
    if (!CreateCacheFolder()) {
        pngPath.clear();
        return false;
    }
    WIN32_FILE_ATTRIBUTE_DATA file{};
    if (!::GetFileAttributesExW(iconPath.c_str(), GetFileExInfoStandard, &file) ||
        ((static_cast<uint64_t>(file.nFileSizeHigh) << 32) | file.nFileSizeLow) > kMaxIconFileBytes) {
        pngPath.clear();
        return false;
    }
    UniqueHicon icon(LoadIconFileAt(iconPath, 0)); // natural size
    if (!icon) {
        pngPath.clear();
        return false;
    }
    if (IconWidth(icon.Get()) < kSmallestIconFileWidth) {
        icon.Reset(LoadIconFileAt(iconPath, kSmallestIconFileWidth));
        if (!icon) {
            pngPath.clear();
            return false;
        }
    }
    // GDI+ reads .ico files itself, mask and alpha included: write the icon as one and convert.
    const std::wstring icoPath = m_cacheFolder + stem + kIcoExtension;
    const std::wstring path = m_cacheFolder + stem + kPngExtension;
    const bool converted = SaveIconAsIco(icon.Get(), kIcoBitsPerPixel, icoPath) && IcoFileToPng(icoPath, path);
    (void)::DeleteFileW(icoPath.c_str());
    if (!converted) {
        pngPath.clear();
        return false;
    }
    pngPath = path;
    return true;
}

// The program's own first icon group at the list's size; the shell's system image list only
// for files without any icon group (it gives the generic program picture for those).
bool IconPngCache::MakeExecutablePng(const std::wstring& iconPath, const std::wstring& stem, std::wstring& pngPath) {
    {
        // The loader's check that this is a module at all; nothing in it runs.
        UniqueModule module(::LoadLibraryExW(iconPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        if (!module)
            return false;
    }
    if (!CreateCacheFolder()) {
        pngPath.clear();
        return false;
    }
    const std::wstring path = m_cacheFolder + stem + kPngExtension;
    (void)::DeleteFileW(path.c_str());

    bool converted = false;
    IconHandleRoom room(1);
    if (ExtractIconsFromFile(iconPath, 0, kListIconSize, kListIconSize, room.Slots(), nullptr, room.Capacity(),
                             kExecutableLoadFlags) == 1) {
        converted = IconToPng(room.At(0), path);
    } else if (ExtractIconsFromFile(iconPath, 0, kListIconSize, kListIconSize, nullptr, nullptr, 0,
                                    kExecutableLoadFlags) == 0) {
        // No icon group at all: the shell's generic picture for programs. A group whose image
        // cannot be made (PNG only, damaged) gives no picture instead.
        converted = ExeIconToPng(iconPath, path, kListIconSize);
    }
    if (!converted) {
        pngPath.clear();
        return false;
    }
    pngPath = path;
    return true;
}

} // namespace tsu
