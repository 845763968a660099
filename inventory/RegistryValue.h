#pragma once
// Bounded registry value reads.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tsu {

// The largest text buffer of any reader; a larger bufferBytes counts as this.
constexpr size_t kLargestRegistryTextBytes = 1024;

// Value bytes as UTF-16 text: up to the first NUL, an odd last byte dropped.
[[nodiscard]] std::wstring RegistryBytesToText(const wchar_t* data, size_t bytes);

// Reads a value of any type into a buffer of bufferBytes and takes the bytes as UTF-16 text. The
// buffer has room for one more character than the data may fill, and the text ends at the bytes
// actually read (or at the first NUL), so a REG_SZ without terminator, or one that fills the
// buffer exactly, is never read past its end. Nothing when the value is missing or does not fit.
[[nodiscard]] std::optional<std::wstring> ReadRegistryText(HKEY key, const wchar_t* name, size_t bufferBytes);

// As above, with empty text for a missing or oversized value.
[[nodiscard]] std::wstring ReadRegistryTextOrEmpty(HKEY key, const wchar_t* name, size_t bufferBytes);

// Reads up to four bytes into a zeroed 32-bit variable; 0 when the value is missing or larger.
[[nodiscard]] uint32_t ReadRegistryDword(HKEY key, const wchar_t* name);

} // namespace tsu
