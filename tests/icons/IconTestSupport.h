#pragma once
// Shared by the Windows tests of the icon reader and the PNG cache: fixtures, and small readers
// of files, icons and PNG files.

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
// Files NSIS ships, as Wine sees them.
inline std::wstring NsisPath(const std::wstring& relative) {
    return L"Z:\\usr\\share\\nsis\\" + relative;
}
// Files matching `pattern` in a folder, as full paths, sorted.
inline std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern) {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW data{};
    UniqueFindHandle find(::FindFirstFileW((folder + L"\\" + pattern).c_str(), &data));
    for (bool more = static_cast<bool>(find); more; more = ::FindNextFileW(find.Get(), &data))
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(folder + L"\\" + data.cFileName);
    std::sort(files.begin(), files.end());
    return files;
}
inline bool WriteBytes(const std::wstring& path, const Bytes& bytes) {
    return WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
}
inline Bytes ReadBytes(const std::wstring& path) {
    const std::string bytes = ReadFileBytes(path);
    return Bytes(bytes.begin(), bytes.end());
}
// Views of files whose name ends with `suffix` mapped into this process (data-file modules and
// file mappings alike).
inline int CountMappedViews(const std::wstring& suffix) {
    int views = 0;
    const void* counted = nullptr;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr; ::VirtualQuery(at, &region, sizeof(region)) == sizeof(region);
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        wchar_t name[1024] = {};
        if (region.State != MEM_COMMIT || (region.Type != MEM_MAPPED && region.Type != MEM_IMAGE) ||
            region.AllocationBase == counted)
            continue;
        const std::wstring mapped(name, ::K32GetMappedFileNameW(::GetCurrentProcess(), region.BaseAddress, name, 1024));
        if (mapped.size() >= suffix.size() &&
            mapped.compare(mapped.size() - suffix.size(), suffix.size(), suffix) == 0) {
            ++views;
            counted = region.AllocationBase;
        }
    }
    return views;
}
// Width of an icon's image (0 when the handle is not an icon), after checking that it is square.
inline int IconWidth(HICON icon) {
    IconPixels pixels;
    const bool read = ReadIconPixels(icon, pixels);
    return read && pixels.width == pixels.height ? pixels.width : 0;
}
// Decodes a PNG (or any image GDI+ reads) into straight ARGB pixels; GDI+ must be running.
inline bool DecodeImage(const std::wstring& path, IconPixels& pixels) {
    pixels = IconPixels();
    Gdiplus::Bitmap bitmap(path.c_str());
    pixels.width = static_cast<int>(bitmap.GetWidth());
    pixels.height = static_cast<int>(bitmap.GetHeight());
    Gdiplus::Rect rect(0, 0, pixels.width, pixels.height);
    Gdiplus::BitmapData data{};
    if (bitmap.GetLastStatus() != Gdiplus::Ok ||
        bitmap.LockBits(&rect, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok)
        return false;
    for (int y = 0; y < pixels.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(data.Scan0) + y * data.Stride);
        pixels.argb.insert(pixels.argb.end(), row, row + pixels.width);
    }
    return bitmap.UnlockBits(&data) == Gdiplus::Ok;
}
inline uint32_t PixelAt(const IconPixels& pixels, int x, int y) {
    return pixels.argb.at(static_cast<size_t>(y) * pixels.width + x);
}
inline uint8_t AlphaOf(uint32_t argb) {
    return static_cast<uint8_t>(argb >> 24);
}

} // namespace tsu::test
