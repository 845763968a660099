#pragma once
// The engine's rules over its inventory: the refresh's pruning and the Windows versions the tool
// runs on. Portable: no Win32 here.

#include "inventory/core/SoftwareRecord.h"

#include <cstdint>
#include <string>

namespace tsu {

// Removes every record of inventory for which fresh holds no record with the same display name,
// key path and uninstall command (compared exactly). Never adds records; the kept ones keep their
// pictures. Returns the number removed.
size_t PruneInventory(SoftwareMap& inventory, const SoftwareMap& fresh);

// Windows 7, 8, 8.1 and 10 (6.1, 6.2, 6.3, 10.0); nothing else.
[[nodiscard]] bool IsSupportedWindowsVersion(uint32_t major, uint32_t minor);

} // namespace tsu
