#include "uninstall/engine/core/EngineRules.h"

namespace tsu {

size_t PruneInventory(SoftwareMap& inventory, const SoftwareMap& fresh) {
    size_t removed = 0;
    for (auto it = inventory.begin(); it != inventory.end();) {
        const SoftwareRecord& record = it->second;
        // The maps are keyed by display name, so one lookup finds the only candidate.
        const auto match = fresh.find(record.displayName);
        const bool kept = match != fresh.end() && match->second.displayName == record.displayName &&
                          match->second.keyPath == record.keyPath &&
                          match->second.uninstallString == record.uninstallString;
        if (kept) {
            ++it;
        } else {
            it = inventory.erase(it);
            ++removed;
        }
    }
    return removed;
}

bool IsSupportedWindowsVersion(uint32_t major, uint32_t minor) {
    if (major == 6)
        return minor >= 1 && minor <= 3;
    return major == 10 && minor == 0;
}

} // namespace tsu
