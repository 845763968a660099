#include "inventory/RegistryValue.h"

#include <algorithm>
#include <array>

namespace tsu {

namespace {
constexpr size_t kLargestTextBuffer = 1024; // bytes; the scanner's biggest value buffer
}

std::optional<std::wstring> ReadRegistryText(HKEY key, const wchar_t* name, size_t bufferBytes) {
    bufferBytes = std::min(bufferBytes, kLargestTextBuffer);
    std::array<wchar_t, kLargestTextBuffer / sizeof(wchar_t) + 1> buffer{};
    // The call may use the spare character: some registry implementations want room to append a
    // terminator to a string that has none. Data longer than bufferBytes still counts as too long.
    DWORD bytes = static_cast<DWORD>(bufferBytes + sizeof(wchar_t));
    const LSTATUS status =
        ::RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (status != ERROR_SUCCESS || bytes > bufferBytes)
        return std::nullopt;
    // An odd byte count leaves half a character, which is dropped.
    const size_t chars = bytes / sizeof(wchar_t);
    const auto end = std::find(buffer.begin(), buffer.begin() + chars, L'\0');
    return std::wstring(buffer.begin(), end);
}

std::wstring ReadRegistryTextOrEmpty(HKEY key, const wchar_t* name, size_t bufferBytes) {
    return ReadRegistryText(key, name, bufferBytes).value_or(std::wstring());
}

uint32_t ReadRegistryDword(HKEY key, const wchar_t* name) {
    DWORD value = 0;
    DWORD bytes = sizeof value;
    if (::RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &bytes) != ERROR_SUCCESS)
        return 0;
    return value;
}

} // namespace tsu
