#pragma once
// How the engines read the installed programs: by default the inventory sequence over the given
// registry locations. Engines take a reader so that a caller can put something else in its place.

#include "inventory/InventorySequence.h"

#include <functional>
#include <utility>

namespace tsu {

using InventoryReader =
    std::function<InventoryResult(ProductIconMap& productIcons, SoftwareMap& softwareMap, bool on64BitWindows)>;

// The inventory sequence over locations.
[[nodiscard]] inline InventoryReader SequenceReader(InventoryLocations locations) {
    return [where = std::move(locations)](ProductIconMap& productIcons, SoftwareMap& softwareMap, bool on64BitWindows) {
        return RunInventorySequence(productIcons, softwareMap, on64BitWindows, where);
    };
}

} // namespace tsu
