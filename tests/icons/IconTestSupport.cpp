#include "IconTestSupport.h"

#include "framework/ScopedHandles.h"

#include <gdiplus.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>

namespace tsu::test {

std::wstring FixturePath(const std::wstring& name) {
    return std::wstring(TSU_SOURCE_DIR) + L"\\tests\\icons\\fixtures\\" + name;
}

std::wstring NsisPath(const std::wstring& relative) {
    return L"Z:\\usr\\share\\nsis\\" + relative;
}

std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern) {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW data{};
    UniqueFindHandle find(::FindFirstFileW((folder + L"\\" + pattern).c_str(), &data));
    if (!find)
        return files;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(folder + L"\\" + data.cFileName);
    } while (::FindNextFileW(find.Get(), &data));
    std::sort(files.begin(), files.end());
    return files;
}

bool WriteBytes(const std::wstring& path, const Bytes& bytes) {
    UniqueFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

Bytes ReadBytes(const std::wstring& path) {
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size))
        return Bytes();
    Bytes bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return Bytes();
    return bytes;
}

int CountMappedViews(const std::wstring& suffix) {
    int views = 0;
    const void* counted = nullptr;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr; ::VirtualQuery(at, &region, sizeof(region)) == sizeof(region);
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State != MEM_COMMIT || (region.Type != MEM_MAPPED && region.Type != MEM_IMAGE) ||
            region.AllocationBase == counted)
            continue;
        wchar_t name[1024] = {};
        const DWORD chars = ::K32GetMappedFileNameW(::GetCurrentProcess(), region.BaseAddress, name, 1024);
        const std::wstring mapped(name, chars);
        if (chars >= suffix.size() && mapped.compare(chars - suffix.size(), suffix.size(), suffix) == 0) {
            ++views;
            counted = region.AllocationBase;
        }
    }
    return views;
}

SIZE IconSize(HICON icon) {
    IconPixels pixels;
    if (!ReadIconPixels(icon, pixels))
        return SIZE{0, 0};
    return SIZE{pixels.width, pixels.height};
}

bool DecodeImage(const std::wstring& path, IconPixels& pixels) {
    pixels = IconPixels();
    Gdiplus::Bitmap bitmap(path.c_str());
    if (bitmap.GetLastStatus() != Gdiplus::Ok)
        return false;
    pixels.width = static_cast<int>(bitmap.GetWidth());
    pixels.height = static_cast<int>(bitmap.GetHeight());
    Gdiplus::Rect rect(0, 0, pixels.width, pixels.height);
    Gdiplus::BitmapData data{};
    if (bitmap.LockBits(&rect, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok)
        return false;
    for (int y = 0; y < pixels.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(data.Scan0) +
                                                            static_cast<ptrdiff_t>(y) * data.Stride);
        pixels.argb.insert(pixels.argb.end(), row, row + pixels.width);
    }
    (void)bitmap.UnlockBits(&data);
    return true;
}

} // namespace tsu::test
