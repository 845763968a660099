#pragma once
// The steps that turn an icon into a PNG file with GDI+. GDI+ must be started on the calling
// thread (IconPngCache does that for its lifetime). Every PNG written is decoded again and
// compared with what was meant to be written (size and each pixel's alpha); a file that fails
// the check is deleted.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tsu {

// FindImageEncoder results.
enum EncoderSearch : int {
    kEncoderFound = 1,
    kEncoderNotFound = 0,
    kNoEncoders = -1, // the imaging library lists no encoders at all
};

// The class id of the first encoder whose MIME type equals mimeType, compared without regard to case.
[[nodiscard]] int FindImageEncoder(const wchar_t* mimeType, CLSID& classId);

// An icon's pixels, top-down, as straight (not premultiplied) 0xAARRGGBB.
struct IconPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;
    bool ownAlpha = false; // the colour bitmap had 32 bits with an alpha channel in use
};

// Reads the icon's colour and mask bitmaps. A 32-bit colour bitmap keeps its alpha channel;
// any other icon, and a 32-bit one whose alpha is zero everywhere (how a 32-bit screen hands
// back icons that never had alpha), gets its alpha from the AND mask. Releases both bitmaps.
[[nodiscard]] bool ReadIconPixels(HICON icon, IconPixels& pixels);

// Writes the icon as a PNG with its alpha channel.
[[nodiscard]] bool IconToPng(HICON icon, const std::wstring& pngPath);

// Writes a one-image .ico file with the colour image at bitsPerPixel (1, 4, 8, 24 or 32) and
// the icon's mask.
[[nodiscard]] bool SaveIconAsIco(HICON icon, int bitsPerPixel, const std::wstring& icoPath);

// Decodes an .ico file with GDI+ and writes it again as PNG.
[[nodiscard]] bool IcoFileToPng(const std::wstring& icoPath, const std::wstring& pngPath);

// The file's icon from the shell's system image list of the size class for `size` (small below
// 32, large below 48, extra large below 256, jumbo otherwise).
[[nodiscard]] bool ExeIconToPng(const std::wstring& path, const std::wstring& pngPath, int size);

// Decodes the PNG and compares its size and alpha channel with the expected pixels.
[[nodiscard]] bool VerifyPngFile(const std::wstring& pngPath, const IconPixels& expected);

} // namespace tsu
