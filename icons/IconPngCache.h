#pragma once
// Turns a program's registered icon (executable, library or icon file) into a PNG file in the
// cache folder "\Image\" beside the tool's executable, for the conventional page's list. Every
// request renders anew and overwrites: the stems of a loading pass are 0, 1, 2, ...
//
// Created by the list-loading worker for one pass and used on that thread only: it starts COM
// and GDI+ for that thread for its lifetime.

#include "framework/ScopedHandles.h"

#include <cstdint>
#include <string>

namespace tsu {

// Room for icon handles in the library branch: 500 handle-sized slots (not 500 x 4 bytes, which
// holds only 250 handles in a 64-bit build).
constexpr size_t kLibraryIconRoom = 500;
// Icons asked for in the library branch. Only the first group's icon is ever used; asking for
// one icon per group made (and destroyed) 184 icons at 128 x 128 for a library like shell32.dll,
// some 200 times the cost of the one that is kept.
constexpr UINT kLibraryIconsWanted = 1;
// The library branch extracts at this size; the executable branch at the list's icon size.
constexpr int kLibraryIconSize = 128;
constexpr int kListIconSize = 32;

class IconPngCache {
public:
    // The cache folder of the running executable.
    IconPngCache();
    // Another cache folder (ending in "\"), for tests and benchmarks that must not share one.
    explicit IconPngCache(std::wstring cacheFolder);
    IconPngCache(const IconPngCache&) = delete;
    IconPngCache& operator=(const IconPngCache&) = delete;

    // kind: 1 executable, 2 library, 3 icon file or other (iconKind of SoftwareRecord). On true
    // pngPath holds the full path of the PNG written; on false it is empty or unchanged and no
    // PNG of that stem is left from this call.
    [[nodiscard]] bool MakeIconPng(const std::wstring& iconPath, const std::wstring& stem, int32_t kind,
                                   std::wstring& pngPath);

    // Folder of the running executable followed by "\Image\".
    [[nodiscard]] static std::wstring DefaultCacheFolder();

private:
    [[nodiscard]] bool MakeExecutablePng(const std::wstring& iconPath, const std::wstring& stem, std::wstring& pngPath);
    [[nodiscard]] bool MakeLibraryPng(const std::wstring& iconPath, const std::wstring& stem, std::wstring& pngPath);
    [[nodiscard]] bool MakeIconFilePng(const std::wstring& iconPath, const std::wstring& stem, std::wstring& pngPath);
    [[nodiscard]] bool CreateCacheFolder() const;

    ScopedComInit m_com;
    ScopedGdiplusStartup m_gdiplus;
    std::wstring m_cacheFolder;
};

} // namespace tsu
