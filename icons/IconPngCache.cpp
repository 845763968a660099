#include "icons/IconPngCache.h"

#include "framework/ModulePath.h"
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

bool IconPngCache::MakeIconPng(const std::wstring& iconPath, const std::wstring& stem, int32_t kind,
                               std::wstring& pngPath) {
    const IconPicture picture = MakeIconPicture(iconPath, kind);
    return WriteIconPicture(picture, stem, pngPath);
}

IconPicture IconPngCache::MakeIconPicture(const std::wstring& iconPath, int32_t kind) const {
    // A network file is never opened: no picture, so the list shows its default one.
    if (IsNetworkFile(iconPath))
        return IconPicture();
    switch (kind) {
    case kIconKindExe:
        return MakeExecutablePicture(iconPath);
    case kIconKindDll:
        return MakeLibraryPicture(iconPath);
    case kIconKindOther:
        return MakeIconFilePicture(iconPath);
    default:
        return IconPicture();
    }
}

bool IconPngCache::WriteIconPicture(const IconPicture& picture, const std::wstring& stem, std::wstring& pngPath) const {
    if (!picture.needsFolder)
        return false; // nothing was opened: no file is touched either
    pngPath.clear();
    // A cache folder that is a link (or a file) would take the pictures, the temporary .ico and
    // the self-removal's deletions wherever it points: no pictures then.
    HeldFolder folder;
    return HoldFolder(folder) && WritePicture(folder, picture, stem, pngPath);
}

std::wstring IconPngCache::PictureName(const std::wstring& stem) {
    return stem + kPngExtension;
}

bool IconPngCache::WritePicture(const HeldFolder& folder, const IconPicture& picture, const std::wstring& stem,
                                std::wstring& pngPath) {
    const std::wstring name = PictureName(stem);
    if (picture.png.empty()) {
        if (picture.clearsStem)
            folder.RemoveFile(name);
        return false;
    }
    bool written = false;
    if (picture.ico.empty()) {
        written = folder.WriteNewFile(name, picture.png);
    } else {
        const std::wstring icoName = stem + kIcoExtension;
        written = folder.WriteNewFile(icoName, picture.ico) && folder.WriteNewFile(name, picture.png);
        folder.RemoveFile(icoName);
    }
    if (written)
        pngPath = folder.Path() + name;
    return written;
}

// The library's first icon group at 128 x 128; the registry's icon index is not used.
IconPicture IconPngCache::MakeLibraryPicture(const std::wstring& iconPath) {
    IconPicture picture;
    IconHandleRoom room(kLibraryIconRoom); // destroys whatever it was given, however many
    const UINT made = ExtractIconsFromFile(iconPath, 0, kLibraryIconSize, kLibraryIconSize, room.Slots(), nullptr,
                                           kLibraryIconsWanted, kLibraryLoadFlags);
    if (made == 0)
        return picture;
    picture.needsFolder = true;
    (void)IconPngBytes(room.At(0), picture.png);
    return picture;
}

IconPicture IconPngCache::MakeIconFilePicture(const std::wstring& iconPath) {
    IconPicture picture;
    picture.needsFolder = true;
    WIN32_FILE_ATTRIBUTE_DATA file{};
    if (!::GetFileAttributesExW(iconPath.c_str(), GetFileExInfoStandard, &file) ||
        ((static_cast<uint64_t>(file.nFileSizeHigh) << 32) | file.nFileSizeLow) > kMaxIconFileBytes)
        return picture;
    UniqueHicon icon(LoadIconFileAt(iconPath, 0)); // natural size
    if (icon && IconWidth(icon.Get()) < kSmallestIconFileWidth)
        icon.Reset(LoadIconFileAt(iconPath, kSmallestIconFileWidth));
    // The branch keeps its one-image .ico beside the PNG; the PNG comes from the icon's own
    // pixels, which are what decoding that .ico gives back.
    if (!icon || !IconIcoBytes(icon.Get(), kIcoBitsPerPixel, picture.ico) || !IconPngBytes(icon.Get(), picture.png)) {
        picture.ico.clear();
        picture.png.clear();
    }
    return picture;
}

// The program's own first icon group at the list's size; the shell's system image list only
// for files without any icon group (it gives the generic program picture for those).
IconPicture IconPngCache::MakeExecutablePicture(const std::wstring& iconPath) {
    IconPicture picture;
    if (!IsModuleFile(iconPath)) // nothing in it runs
        return picture;
    picture.needsFolder = true;
    picture.clearsStem = true;
    IconHandleRoom room(1);
    if (ExtractIconsFromFile(iconPath, 0, kListIconSize, kListIconSize, room.Slots(), nullptr, room.Capacity(),
                             kExecutableLoadFlags) == 1) {
        (void)IconPngBytes(room.At(0), picture.png);
    } else if (ExtractIconsFromFile(iconPath, 0, kListIconSize, kListIconSize, nullptr, nullptr, 0,
                                    kExecutableLoadFlags) == 0) {
        // No icon group at all: the shell's generic picture for programs. A group whose image
        // cannot be made (PNG only, damaged) gives no picture instead.
        (void)ShellIconPngBytes(iconPath, kListIconSize, picture.png);
    }
    return picture;
}

} // namespace tsu
