#pragma once
// PNG bytes in memory from an icon's pixels and back (stb_image_write and stb_image). Safe to use
// on several threads at once.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tsu {

// An icon's pixels, top-down, as straight (not premultiplied) 0xAARRGGBB.
struct IconPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;
    bool ownAlpha = false; // the colour bitmap had 32 bits with an alpha channel in use
};

// A 32-bit RGBA PNG of the pixels, alpha included. The encoder's result is decoded again and
// must give back every pixel unchanged; false (and png empty) otherwise.
[[nodiscard]] bool EncodePng(const IconPixels& pixels, std::vector<uint8_t>& png);

// Decodes PNG bytes into straight ARGB pixels (ownAlpha is left false).
[[nodiscard]] bool DecodePng(const void* data, size_t size, IconPixels& pixels);

// Whether the PNG bytes decode to exactly the expected size and pixels, all four channels.
[[nodiscard]] bool PngHolds(const void* data, size_t size, const IconPixels& expected);

} // namespace tsu
