#pragma once
// The engine's rules over its inventory: the refresh's pruning, the picture pass and the Windows
// versions the tool runs on. Portable: no Win32 here.

#include "inventory/core/SoftwareRecord.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tsu {

// Removes every record of inventory for which fresh holds no record with the same display name,
// key path and uninstall command (compared exactly). Never adds records; the kept ones keep their
// pictures. Returns the number removed.
size_t PruneInventory(SoftwareMap& inventory, const SoftwareMap& fresh);

// Makes a PNG for one program's icon: (icon file, file stem, icon kind) -> path of the written
// file, or empty when no picture could be made.
using PictureMaker =
    std::function<std::wstring(const std::wstring& iconPath, const std::wstring& stem, int32_t iconKind)>;

// Walks the map in order and stores each made picture's path in the record's imagePath. Icon
// texts of three characters or fewer (after removing quotes) are skipped; the stems count up
// from "0" over the pictures actually made, so the files are 0.png, 1.png, ... without gaps.
// Returns the number of pictures made.
int RunPicturePass(SoftwareMap& inventory, const PictureMaker& makePicture);

// Windows 7, 8, 8.1 and 10 (6.1, 6.2, 6.3, 10.0); nothing else.
[[nodiscard]] bool IsSupportedWindowsVersion(uint32_t major, uint32_t minor);

} // namespace tsu
