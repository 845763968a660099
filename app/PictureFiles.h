#pragma once
// The program pictures of the conventional list: made by the loading worker into the cache folder
// "\Image\" beside the executable, and read back by the page.

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdint>
#include <memory>
#include <string>

namespace tsu {

// The engine's picture maker: one PNG for a program's icon, named stem.png in the cache folder;
// the file's path, or empty when no picture could be made. Runs on the loading worker.
[[nodiscard]] std::wstring MakeCachePicture(const std::wstring& iconPath, const std::wstring& stem, int32_t iconKind);

// A picture file read whole into memory and decoded there, so the file is not held open while
// the list shows it (the next load rewrites it, the self-removal deletes it). Null for a missing,
// unreadable, oversized or undecodable file.
[[nodiscard]] std::unique_ptr<Gdiplus::Image> LoadPictureFile(const std::wstring& path);

} // namespace tsu
