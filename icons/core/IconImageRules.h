#pragma once
// What an icon image (one RT_ICON resource or one image of an .ico file) holds: a device-
// independent bitmap with its AND mask, or a PNG stream (the form of most 256 x 256 images).

#include "icons/core/ByteReader.h"

#include <cstdint>

namespace tsu {

enum class IconImageFormat {
    Unknown,
    Dib, // starts with a 40-byte BITMAPINFOHEADER or a 12-byte BITMAPCOREHEADER
    Png,
};

[[nodiscard]] IconImageFormat ClassifyIconImage(ByteReader image);

// Icon bitmaps larger than this are not real icons; the cap also keeps the size arithmetic small.
constexpr int32_t kMaxIconImageDimension = 1024;

// True when a DIB icon image's header is one the platform's icon creation accepts (sane size,
// bit count and compression) and the data holds the whole colour bitmap and mask it describes.
// The platform call reads as far as the header says, so a short image must not reach it.
[[nodiscard]] bool IsCompleteDibIconImage(ByteReader image);

} // namespace tsu
