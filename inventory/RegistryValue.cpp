#include "inventory/RegistryValue.h"

#include <algorithm>
#include <array>

namespace tsu {

namespace {
constexpr size_t kLargestTextBuffer = kLargestRegistryTextBytes;
}

std::wstring RegistryBytesToText(const wchar_t* data, size_t bytes) {
    // An odd byte count leaves half a character, which is dropped.
    const wchar_t* const last = data + bytes / sizeof(wchar_t);
    return std::wstring(data, std::find(data, last, L'\0'));
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
    return RegistryBytesToText(buffer.data(), bytes);
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
