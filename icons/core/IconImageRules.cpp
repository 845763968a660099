#include "icons/core/IconImageRules.h"

#include <algorithm>
#include <array>

namespace tsu {

namespace {

constexpr uint32_t kInfoHeaderBytes = 40; // BITMAPINFOHEADER
constexpr uint32_t kCoreHeaderBytes = 12; // BITMAPCOREHEADER
constexpr std::array<uint8_t, 8> kPngSignature{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint32_t kCompressionRgb = 0;       // BI_RGB
constexpr uint32_t kCompressionBitfields = 3; // BI_BITFIELDS
constexpr uint64_t kBitfieldMasks = 3;
constexpr uint64_t kRgbQuadBytes = 4;
constexpr uint64_t kRgbTripleBytes = 3;
constexpr uint32_t kMaxPaletteColours = 256;

bool IsIconBitCount(uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Rows of a DIB are padded to whole 32-bit words.
uint64_t RowBytes(uint64_t width, uint64_t bits) {
    return ((width * bits + 31) / 32) * 4;
}

// Colour rows plus mask rows of an icon whose stored height covers both (twice the image).
bool BitsFit(ByteReader image, uint64_t headerAndPalette, int64_t width, int64_t storedHeight, uint16_t bits) {
    if (width <= 0 || storedHeight < 2 || width > kMaxIconImageDimension ||
        storedHeight > 2 * int64_t{kMaxIconImageDimension})
        return false;
    const uint64_t rows = static_cast<uint64_t>(storedHeight) / 2;
    const uint64_t colour = RowBytes(static_cast<uint64_t>(width), bits) * rows;
    const uint64_t mask = RowBytes(static_cast<uint64_t>(width), 1) * rows;
    return image.Contains(0, headerAndPalette + colour + mask);
}

} // namespace

IconImageFormat ClassifyIconImage(ByteReader image) {
    if (image.Contains(0, kPngSignature.size()) && std::equal(kPngSignature.begin(), kPngSignature.end(), image.Data()))
        return IconImageFormat::Png;
    uint32_t headerSize = 0;
    if (image.ReadU32(0, headerSize) && (headerSize == kInfoHeaderBytes || headerSize == kCoreHeaderBytes))
        return IconImageFormat::Dib;
    return IconImageFormat::Unknown;
}

bool IsCompleteDibIconImage(ByteReader image) {
    uint32_t headerSize = 0;
    if (!image.ReadU32(0, headerSize))
        return false;
    if (headerSize == kCoreHeaderBytes) {
        uint16_t width = 0;
        uint16_t height = 0;
        uint16_t bits = 0;
        if (!image.ReadU16(4, width) || !image.ReadU16(6, height) || !image.ReadU16(10, bits))
            return false;
        if (!IsIconBitCount(bits) || bits == 16 || bits == 32)
            return false; // core headers know only 1, 4, 8 and 24 bits
        const uint64_t palette = bits <= 8 ? (uint64_t{1} << bits) * kRgbTripleBytes : 0;
        return BitsFit(image, kCoreHeaderBytes + palette, width, height, bits);
    }
    if (headerSize != kInfoHeaderBytes)
        return false;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bits = 0;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    if (!image.ReadI32(4, width) || !image.ReadI32(8, height) || !image.ReadU16(14, bits) ||
        !image.ReadU32(16, compression) || !image.ReadU32(32, coloursUsed))
        return false;
    if (!IsIconBitCount(bits))
        return false;
    uint64_t masks = 0;
    if (compression == kCompressionBitfields) {
        if (bits != 16 && bits != 32)
            return false;
        masks = kBitfieldMasks;
    } else if (compression != kCompressionRgb) {
        return false;
    }
    // A colour table is read as long as biClrUsed says (capped at 256), for any bit count.
    uint64_t colours = std::min(coloursUsed, kMaxPaletteColours);
    if (colours == 0 && bits <= 8)
        colours = uint64_t{1} << bits;
    return BitsFit(image, kInfoHeaderBytes + (masks + colours) * kRgbQuadBytes, width, height, bits);
}

} // namespace tsu
