#include "icons/PngCodec.h"

#include <climits>

// The implementations of both libraries live in this file only. No stdio: every file the tool
// touches is opened with wide paths by its own code.
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace tsu {

namespace {

constexpr int kChannels = 4; // RGBA
constexpr int kFilterNone = 0;

// Rows go unfiltered instead of trying every filter on each row: icons (flat colours, large
// transparent areas) compress nearly as well that way at half the encoding time. Set during
// static initialisation, before any thread encodes.
[[maybe_unused]] const bool g_unfilteredRows = (stbi_write_force_png_filter = kFilterNone, true);
// Icons are 256 x 256 at most; far larger input is not an icon.
constexpr int kLargestSide = 4096;

void AppendToVector(void* context, void* data, int size) {
    auto& out = *static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out.insert(out.end(), bytes, bytes + size);
}

struct StbImage {
    stbi_uc* data = nullptr;
    ~StbImage() { stbi_image_free(data); }
};

bool SizeUsable(int width, int height) {
    return width > 0 && height > 0 && width <= kLargestSide && height <= kLargestSide;
}

} // namespace

bool EncodePng(const IconPixels& pixels, std::vector<uint8_t>& png) {
    png.clear();
    if (!SizeUsable(pixels.width, pixels.height) ||
        pixels.argb.size() != static_cast<size_t>(pixels.width) * pixels.height)
        return false;
    // 0xAARRGGBB to the R, G, B, A bytes of a PNG row.
    std::vector<uint8_t> rgba(pixels.argb.size() * kChannels);
    for (size_t i = 0; i < pixels.argb.size(); ++i) {
        const uint32_t p = pixels.argb[i];
        rgba[i * 4 + 0] = static_cast<uint8_t>(p >> 16);
        rgba[i * 4 + 1] = static_cast<uint8_t>(p >> 8);
        rgba[i * 4 + 2] = static_cast<uint8_t>(p);
        rgba[i * 4 + 3] = static_cast<uint8_t>(p >> 24);
    }
    if (!stbi_write_png_to_func(AppendToVector, &png, pixels.width, pixels.height, kChannels, rgba.data(),
                                pixels.width * kChannels) ||
        !PngHolds(png.data(), png.size(), pixels)) {
        png.clear();
        return false;
    }
    return true;
}

bool DecodePng(const void* data, size_t size, IconPixels& pixels) {
    pixels = IconPixels();
    if (!data || size == 0 || size > static_cast<size_t>(INT_MAX))
        return false;
    int width = 0;
    int height = 0;
    int channels = 0;
    StbImage image;
    image.data = stbi_load_from_memory(static_cast<const stbi_uc*>(data), static_cast<int>(size), &width, &height,
                                       &channels, kChannels);
    if (!image.data || !SizeUsable(width, height))
        return false;
    pixels.width = width;
    pixels.height = height;
    pixels.argb.resize(static_cast<size_t>(width) * height);
    const stbi_uc* p = image.data;
    for (uint32_t& out : pixels.argb) {
        out = (uint32_t{p[3]} << 24) | (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
        p += kChannels;
    }
    return true;
}

bool PngHolds(const void* data, size_t size, const IconPixels& expected) {
    IconPixels read;
    return DecodePng(data, size, read) && read.width == expected.width && read.height == expected.height &&
           read.argb == expected.argb;
}

} // namespace tsu
