#pragma once
// Turns a program's registered icon (executable, library or icon file) into a PNG file in the
// cache folder "\Image\" beside the tool's executable, for the conventional page's list. Every
// request renders anew and overwrites: the stems of a loading pass are 0, 1, 2, ...
//
// Created by the list-loading worker for one pass: it starts COM for that thread for its
// lifetime. A request is two steps: MakeIconPicture renders in memory and may run on several
// threads at once (each with COM started); WriteIconPicture puts the result under a stem.

#include "framework/HeldFolder.h"
#include "framework/ScopedHandles.h"

#include <cstdint>
#include <string>
#include <vector>

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

// A request rendered in memory, and what writing it under a stem does to the cache folder.
struct IconPicture {
    std::vector<uint8_t> png; // empty: no picture
    std::vector<uint8_t> ico; // icon-file branch: the .ico written beside the PNG and deleted
    bool needsFolder = false; // the request gets as far as creating the cache folder
    bool clearsStem = false;  // executable branch: no <stem>.png is left when it gives no picture
};

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

    // MakeIconPng in two steps. The first touches no file of the cache folder.
    [[nodiscard]] IconPicture MakeIconPicture(const std::wstring& iconPath, int32_t kind) const;
    [[nodiscard]] bool WriteIconPicture(const IconPicture& picture, const std::wstring& stem,
                                        std::wstring& pngPath) const;

    // For a pass that writes many pictures: the cache folder is created and held once
    // (HoldFolder), and WritePicture puts each picture into it, from several threads at once if
    // need be. WriteIconPicture is both steps for one picture.
    [[nodiscard]] bool HoldFolder(HeldFolder& folder) const { return folder.Hold(m_cacheFolder); }
    [[nodiscard]] static bool WritePicture(const HeldFolder& folder, const IconPicture& picture,
                                           const std::wstring& stem, std::wstring& pngPath);
    // The name of the picture file of a stem.
    [[nodiscard]] static std::wstring PictureName(const std::wstring& stem);

    // Folder of the running executable followed by "\Image\".
    [[nodiscard]] static std::wstring DefaultCacheFolder();

private:
    [[nodiscard]] static IconPicture MakeExecutablePicture(const std::wstring& iconPath);
    [[nodiscard]] static IconPicture MakeLibraryPicture(const std::wstring& iconPath);
    [[nodiscard]] static IconPicture MakeIconFilePicture(const std::wstring& iconPath);

    ScopedComInit m_com;
    std::wstring m_cacheFolder;
};

} // namespace tsu
