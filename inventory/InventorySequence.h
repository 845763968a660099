#pragma once
// The full inventory sequence that the load and refresh workers and the intelligent analysis run.

#include "inventory/core/SoftwareRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tsu {

struct RegistryLocation {
    uint32_t root;
    std::wstring path;
};

// Where the sequence reads. Default() gives the system's keys; tests point it at scratch keys.
struct InventoryLocations {
    RegistryLocation installerProducts;
    std::vector<RegistryLocation> uninstallKeys64; // 64-bit Windows, in scan order
    std::vector<RegistryLocation> uninstallKeys32; // 32-bit Windows, in scan order

    [[nodiscard]] static InventoryLocations Default();
};

enum class InventoryResult {
    Loaded,         // the software map was cleared and filled anew
    ProductsFailed, // the Installer products key could not be opened: map left as it was
};

// Clears productIcons, reads the Installer products, then (unless that failed) clears
// softwareMap and scans the uninstall keys in order, so the first entry of a name wins:
// 32-bit programs over 64-bit ones, machine over user. A products key that does not exist at
// all (a fresh system) counts as an empty product list.
[[nodiscard]] InventoryResult RunInventorySequence(ProductIconMap& productIcons, SoftwareMap& softwareMap);
[[nodiscard]] InventoryResult RunInventorySequence(ProductIconMap& productIcons, SoftwareMap& softwareMap,
                                                   bool on64BitWindows, const InventoryLocations& locations);

} // namespace tsu
