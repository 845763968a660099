#pragma once
// Fixtures and small readers of files, icons and PNG files for the Windows icon tests.

#include "PeImageBuilder.h"
#include "icons/IconPngConversion.h"
#include "tests/common/ProcessTestSupport.h"

#include <windows.h>

#include <gdiplus.h>
#include <psapi.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tsu::test {

inline std::wstring FixturePath(const std::wstring& name) {
    return std::wstring(TSU_SOURCE_DIR) + L"\\tests\\icons\\fixtures\\" + name;
}
inline std::wstring NsisPath(const std::wstring& relative) {
    return L"Z:\\usr\\share\\nsis\\" + relative;
}
// Whether a file whose name ends with `suffix` is mapped into this process (data-file modules too).
inline bool IsMapped(const std::wstring& suffix) {
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr; ::VirtualQuery(at, &region, sizeof(region)) == sizeof(region);
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        wchar_t name[1024] = {};
        const std::wstring mapped(name, ::K32GetMappedFileNameW(::GetCurrentProcess(), region.BaseAddress, name, 1024));
        if (region.State == MEM_COMMIT && mapped.size() >= suffix.size() &&
            mapped.compare(mapped.size() - suffix.size(), suffix.size(), suffix) == 0)
            return true;
    }
    return false;
}
inline bool DecodeImage(const std::wstring& path, IconPixels& pixels) { // straight ARGB; GDI+ must run
    Gdiplus::Bitmap bitmap(path.c_str());
    pixels = IconPixels{static_cast<int>(bitmap.GetWidth()), static_cast<int>(bitmap.GetHeight()), {}};
    Gdiplus::Color colour;
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width && bitmap.GetPixel(x, y, &colour) == Gdiplus::Ok; ++x)
            pixels.argb.push_back(colour.GetValue());
    return bitmap.GetLastStatus() == Gdiplus::Ok && pixels.argb.size() == size_t(pixels.width) * pixels.height;
}
inline uint32_t PixelAt(const IconPixels& pixels, int x, int y) {
    return pixels.argb.at(static_cast<size_t>(y) * pixels.width + x);
}
inline uint8_t AlphaOf(uint32_t argb) {
    return static_cast<uint8_t>(argb >> 24);
}

} // namespace tsu::test
