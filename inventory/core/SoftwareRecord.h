#pragma once
// One installed program as the Windows uninstall registry describes it, and the ordered maps
// the tool keeps them in. Plain values: copying a record copies every string.

#include <cstdint>
#include <map>
#include <string>

namespace tsu {

// Icon kinds, decided on the upper-cased icon text.
enum IconKind : int32_t {
    kIconKindNone = 0, // only in a freshly constructed record
    kIconKindExe = 1,
    kIconKindDll = 2,
    kIconKindOther = 3, // .ico files, empty values and everything else
};

// Predefined root key values, as stored in rootKey (32-bit, whatever the build).
constexpr uint32_t kRootLocalMachine = 0x80000002u;
constexpr uint32_t kRootCurrentUser = 0x80000001u;

struct SoftwareRecord {
    std::wstring keyPath;
    uint32_t rootKey = 0;
    std::wstring relativeKeyPath;
    std::wstring iconPath;
    int32_t iconIndex = 0;
    int32_t iconKind = kIconKindNone;
    std::wstring imagePath;
    std::wstring displayName;
    std::wstring displayVersion;
    std::wstring installLocation;
    std::wstring installDate;
    std::wstring sizeText;
    std::wstring uninstallString;
    // Value QuietUninstallString, as read. Not one of the record's listed fields: only a quiet
    // removal uses it, and the record's printed forms leave it out.
    std::wstring quietUninstallString;
};

struct ProductIconInfo {
    std::wstring iconPath;
    int32_t iconIndex = 0;
    int32_t iconKind = kIconKindNone;
    std::wstring productName;
};

// Keys compare as whole strings, ordinal and case-sensitive (std::less on wstring compares
// code units, shorter prefix first). Insertion never replaces: use InsertFirstWins.
using SoftwareMap = std::map<std::wstring, SoftwareRecord>;
using ProductIconMap = std::map<std::wstring, ProductIconInfo>;

// Adds the value unless its key is already present; returns whether it was added.
template <typename Map, typename Value>
bool InsertFirstWins(Map& map, const std::wstring& key, Value&& value) {
    return map.emplace(key, std::forward<Value>(value)).second;
}

} // namespace tsu
