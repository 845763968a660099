#pragma once
// What the analysis saw of each item, and whether the object found at an item's path when it is
// deleted is still that item. The tool runs elevated and the items lie in folders that ordinary
// users may change between the analysis and the deletion: a file swapped for another, or a folder
// swapped for a link to somewhere else, must not be deleted in the item's place. Portable: the
// Win32 side reads identities and final paths from open handles.

#include "smart/core/CanonicalPathText.h" // PathFromFinalName, for final names of items

#include <cstdint>
#include <string>
#include <string_view>

namespace tsu {

// A file or folder as the file system knows it: its volume and its number there.
struct FileIdentity {
    uint32_t volumeSerial = 0;
    uint64_t fileIndex = 0;
};
[[nodiscard]] inline bool operator==(const FileIdentity& a, const FileIdentity& b) {
    return a.volumeSerial == b.volumeSerial && a.fileIndex == b.fileIndex;
}

struct ItemRecord {
    FileIdentity identity;
    std::wstring finalPath; // where the item really was, all links resolved
    // The folder (its final path) the item must lie below when it is deleted: the analysed program
    // folder or the start menu. Empty for an item that must be where it was (the dropped shortcut,
    // a target listed alone).
    std::wstring scopeRoot;
};

// The object now at an item's path is the analysed item: the same file, and still below its scope
// root (or, without one, still at its final path). A record is only kept when this holds for what
// the analysis itself saw.
[[nodiscard]] bool IsAnalysedItem(const ItemRecord& record, const FileIdentity& now, std::wstring_view finalPathNow);

} // namespace tsu
