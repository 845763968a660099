#include "icons/IconPngConversion.h"

#include "framework/HeldFolder.h"
#include "framework/ScopedHandles.h"

#include <commctrl.h>
#include <commoncontrols.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <mutex>

namespace tsu {

namespace {

constexpr int kIcoBitsTrueColour = 24; // from here on a DIB has no colour table
constexpr uint16_t kIcoReserved = 0;
constexpr uint16_t kIcoTypeIcon = 1;
constexpr uint16_t kIcoImageCount = 1;
constexpr uint32_t kIcoImageOffset = 6 + 16; // header + one directory entry
constexpr int kIcoLargestByteSize = 256;     // a directory entry stores 256 as 0
constexpr uint8_t kSixteenColours = 16;
constexpr uint32_t kAlphaMask = 0xFF000000u;
constexpr uint32_t kOpaque = 0xFF000000u;
constexpr uint32_t kWhite = 0x00FFFFFFu;

// System image list sizes the executable branch may ask for.
constexpr int kSmallIconLimit = 32;
constexpr int kLargeIconLimit = 48;
constexpr int kExtraLargeIconLimit = 256;

// IID_IImageList; MinGW's import libraries do not define it.
constexpr IID kIidImageList = {0x46EB5926, 0x582E, 0x4017, {0x9F, 0xDF, 0xE8, 0x99, 0x8D, 0xAA, 0x09, 0x50}};

struct ComReleaser {
    void operator()(IUnknown* object) const {
        if (object)
            object->Release();
    }
};

// Both bitmaps of an icon, released at scope end.
struct IconBitmaps {
    UniqueHbitmap colour;
    UniqueHbitmap mask;

    [[nodiscard]] bool Read(HICON icon) {
        ICONINFO info{};
        if (!icon || !::GetIconInfo(icon, &info))
            return false;
        colour.Reset(info.hbmColor);
        mask.Reset(info.hbmMask);
        return mask.IsValid();
    }
};

size_t DibRowBytes(int width, int bits) {
    return ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
}

// The bitmap's pixels as 32-bit top-down rows; false unless every row was read.
bool ReadPixels32(HDC dc, HBITMAP bitmap, int width, int height, std::vector<uint32_t>& pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    pixels.assign(static_cast<size_t>(width) * height, 0);
    return ::GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) == height;
}

void AppendBytes(std::vector<uint8_t>& out, const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    out.insert(out.end(), bytes, bytes + size);
}

// Little-endian, as the .ico format and every Windows target are.
template <typename T> void Append(std::vector<uint8_t>& out, const T& value) {
    AppendBytes(out, &value, sizeof(value));
}

// A BITMAPINFO with room for the largest colour table.
struct DibInfo {
    BITMAPINFOHEADER header{};
    RGBQUAD colours[256]{};
    BITMAPINFO* Get() { return reinterpret_cast<BITMAPINFO*>(this); }
};

// The bits of a bitmap as an uncompressed bottom-up DIB of `bits` bits per pixel.
bool ReadDib(HDC dc, HBITMAP bitmap, int bits, DibInfo& info, std::vector<uint8_t>& data) {
    info = DibInfo();
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    // First query: the bitmap's own header.
    if (!::GetDIBits(dc, bitmap, 0, 0, nullptr, info.Get(), DIB_RGB_COLORS))
        return false;
    const int width = info.header.biWidth;
    const int height = std::abs(info.header.biHeight);
    if (width <= 0 || height <= 0)
        return false;
    info.header.biHeight = height;
    info.header.biBitCount = static_cast<WORD>(bits);
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = 0;
    info.header.biClrImportant = 0;
    info.header.biSizeImage = static_cast<DWORD>(DibRowBytes(width, bits) * height);
    data.assign(info.header.biSizeImage, 0);
    return ::GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), data.data(), info.Get(), DIB_RGB_COLORS) == height;
}

// The shell's system image lists and its icon cache are shared by the whole process.
std::mutex g_shellLock;

// The file's icon from the system image list of the size class for `size`.
bool ShellIcon(const std::wstring& path, int size, UniqueHicon& icon) {
    SHFILEINFOW info{};
    if (!::SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX))
        return false;
    int listId = SHIL_JUMBO;
    if (size < kSmallIconLimit)
        listId = SHIL_SMALL;
    else if (size < kLargeIconLimit)
        listId = SHIL_LARGE;
    else if (size < kExtraLargeIconLimit)
        listId = SHIL_EXTRALARGE;
    IImageList* rawList = nullptr;
    if (FAILED(::SHGetImageList(listId, kIidImageList, reinterpret_cast<void**>(&rawList))) || !rawList)
        return false;
    const std::unique_ptr<IImageList, ComReleaser> list(rawList);
    return SUCCEEDED(list->GetIcon(info.iIcon, ILD_TRANSPARENT, icon.Put())) && icon;
}

} // namespace

bool ReadIconPixels(HICON icon, IconPixels& pixels) {
    pixels = IconPixels();
    IconBitmaps bitmaps;
    if (!bitmaps.Read(icon))
        return false;
    BITMAP maskInfo{};
    if (::GetObjectW(bitmaps.mask.Get(), sizeof(maskInfo), &maskInfo) != sizeof(maskInfo))
        return false;
    // A DC of its own for each call: the screen's shared DCs grow in number when several
    // threads use them at once, and stay.
    const UniqueMemoryDc screen(::CreateCompatibleDC(nullptr));
    if (!screen)
        return false;

    std::vector<uint32_t> mask;
    if (bitmaps.colour) {
        BITMAP colourInfo{};
        if (::GetObjectW(bitmaps.colour.Get(), sizeof(colourInfo), &colourInfo) != sizeof(colourInfo))
            return false;
        pixels.width = colourInfo.bmWidth;
        pixels.height = colourInfo.bmHeight;
        if (pixels.width <= 0 || pixels.height <= 0 ||
            !ReadPixels32(screen.Get(), bitmaps.colour.Get(), pixels.width, pixels.height, pixels.argb) ||
            !ReadPixels32(screen.Get(), bitmaps.mask.Get(), pixels.width, pixels.height, mask))
            return false;
        pixels.ownAlpha = colourInfo.bmBitsPixel == 32 && std::any_of(pixels.argb.begin(), pixels.argb.end(),
                                                                      [](uint32_t p) { return p & kAlphaMask; });
    } else {
        // A monochrome icon: the mask bitmap holds the AND mask over the XOR image.
        pixels.width = maskInfo.bmWidth;
        pixels.height = maskInfo.bmHeight / 2;
        std::vector<uint32_t> both;
        if (pixels.width <= 0 || pixels.height <= 0 ||
            !ReadPixels32(screen.Get(), bitmaps.mask.Get(), pixels.width, pixels.height * 2, both))
            return false;
        const auto xorImage = both.begin() + static_cast<ptrdiff_t>(both.size() / 2);
        mask.assign(both.begin(), xorImage);
        pixels.argb.assign(xorImage, both.end());
    }
    if (!pixels.ownAlpha) {
        // Set AND-mask bits are transparent; everything else is opaque.
        for (size_t i = 0; i < pixels.argb.size(); ++i)
            pixels.argb[i] = (mask[i] & kWhite) ? 0 : ((pixels.argb[i] & kWhite) | kOpaque);
    }
    return true;
}

bool IconPngBytes(HICON icon, std::vector<uint8_t>& png) {
    png.clear();
    IconPixels pixels;
    return icon && ReadIconPixels(icon, pixels) && EncodePng(pixels, png);
}

bool IconToPng(HICON icon, const std::wstring& pngPath) {
    std::vector<uint8_t> png;
    return IconPngBytes(icon, png) && WriteNewFileReplacing(pngPath, png);
}

bool SaveIconAsIco(HICON icon, int bitsPerPixel, const std::wstring& icoPath) {
    std::vector<uint8_t> ico;
    return IconIcoBytes(icon, bitsPerPixel, ico) && WriteNewFileReplacing(icoPath, ico);
}

bool IconIcoBytes(HICON icon, int bitsPerPixel, std::vector<uint8_t>& ico) {
    ico.clear();
    IconBitmaps bitmaps;
    if (!bitmaps.Read(icon) || !bitmaps.colour)
        return false;
    const UniqueMemoryDc screen(::CreateCompatibleDC(nullptr)); // see ReadIconPixels
    if (!screen)
        return false;
    DibInfo colourInfo;
    DibInfo maskInfo;
    std::vector<uint8_t> colourBits;
    std::vector<uint8_t> maskBits;
    if (!ReadDib(screen.Get(), bitmaps.colour.Get(), bitsPerPixel, colourInfo, colourBits) ||
        !ReadDib(screen.Get(), bitmaps.mask.Get(), 1, maskInfo, maskBits))
        return false;
    if (maskInfo.header.biWidth != colourInfo.header.biWidth || maskInfo.header.biHeight != colourInfo.header.biHeight)
        return false;

    const size_t paletteBytes = bitsPerPixel < kIcoBitsTrueColour ? sizeof(RGBQUAD) * (size_t{1} << bitsPerPixel) : 0;
    const size_t headerBytes = sizeof(BITMAPINFOHEADER) + paletteBytes;
    const int width = colourInfo.header.biWidth;
    const int height = colourInfo.header.biHeight;

    // Directory entry.
    const uint8_t widthByte = width >= kIcoLargestByteSize ? 0 : static_cast<uint8_t>(width);
    const uint8_t heightByte = height >= kIcoLargestByteSize ? 0 : static_cast<uint8_t>(height);
    const uint8_t colourCount = bitsPerPixel == 4 ? kSixteenColours : 0;
    const uint8_t reserved = 0;
    const uint16_t planes = 0;
    const uint16_t bitCount = static_cast<uint16_t>(bitsPerPixel);
    const uint32_t bytesInRes = static_cast<uint32_t>(colourBits.size() + maskBits.size() + headerBytes);

    // The colour header of an icon image covers colour and mask: doubled height, both sizes.
    BITMAPINFOHEADER imageHeader = colourInfo.header;
    imageHeader.biHeight = height * 2;
    imageHeader.biSizeImage = static_cast<DWORD>(colourBits.size() + maskBits.size());

    ico.reserve(kIcoImageOffset + headerBytes + colourBits.size() + maskBits.size());
    Append(ico, kIcoReserved);
    Append(ico, kIcoTypeIcon);
    Append(ico, kIcoImageCount);
    Append(ico, widthByte);
    Append(ico, heightByte);
    Append(ico, colourCount);
    Append(ico, reserved);
    Append(ico, planes);
    Append(ico, bitCount);
    Append(ico, bytesInRes);
    Append(ico, kIcoImageOffset);
    Append(ico, imageHeader);
    AppendBytes(ico, colourInfo.colours, paletteBytes);
    AppendBytes(ico, colourBits.data(), colourBits.size());
    AppendBytes(ico, maskBits.data(), maskBits.size());
    return true;
}

bool ShellIconPngBytes(const std::wstring& path, int size, std::vector<uint8_t>& png) {
    png.clear();
    UniqueHicon icon;
    {
        const std::lock_guard<std::mutex> hold(g_shellLock);
        if (!ShellIcon(path, size, icon))
            return false;
    }
    return IconPngBytes(icon.Get(), png);
}

void SetUpWindowSystem() {
    (void)::GetDesktopWindow();
}

void WarmUpShellIcons() {
    const std::lock_guard<std::mutex> hold(g_shellLock);
    SHFILEINFOW info{};
    // By attributes only: the shell looks at the extension, not at a file.
    (void)::SHGetFileInfoW(L".exe", FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                           SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX);
}

} // namespace tsu
