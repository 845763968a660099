#pragma once
// The text of a registry file that "reg import" (and regedit) restores: the backup written before
// a stale uninstall entry is deleted. Every value type is kept byte for byte. Portable: the
// registry is read elsewhere.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tsu {

// The registry's own type numbers (as in winnt.h).
inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiSz = 7;
inline constexpr uint32_t kRegQword = 11;

struct RegValueData {
    std::wstring name; // empty: the key's default value
    uint32_t type = kRegNone;
    std::vector<uint8_t> data;
};

struct RegKeyData {
    std::wstring path; // full path with the root's name, "HKEY_CURRENT_USER\Software\..."
    std::vector<RegValueData> values;
};

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER" for the record's root; empty for any other.
[[nodiscard]] std::wstring RegistryRootName(uint32_t rootKey);

// "Windows Registry Editor Version 5.00", then each key in the order given (a key before its
// subkeys) with its values, lines ending in CR LF; the caller writes it as UTF-16LE with a byte
// order mark. A string value is written as "text" only when its data is exactly the text and one
// terminator; every other string and every other type is written as hex(N) bytes, so that the
// import gives back the same bytes. No value when a key path or a value name holds a control
// character (the file format has no way to write one).
[[nodiscard]] std::optional<std::wstring> MakeRegFileText(const std::vector<RegKeyData>& keys);

} // namespace tsu
