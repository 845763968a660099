#include "framework/ModulePath.h"

#include <windows.h>

#include <vector>

namespace tsu {

namespace {
constexpr DWORD kMaxModulePathChars = 32768;
} // namespace

std::wstring ExecutablePath() {
    for (DWORD size = MAX_PATH; size <= kMaxModulePathChars; size *= 2) {
        std::vector<wchar_t> buffer(size, L'\0');
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0)
            return std::wstring();
        if (length < size - 1)
            return std::wstring(buffer.data(), length);
    }
    return std::wstring();
}

std::wstring ExecutableFolder() {
    const std::wstring path = ExecutablePath();
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

} // namespace tsu
