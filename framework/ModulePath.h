#pragma once
// The running executable's path, read whole: GetModuleFileNameW cuts silently at the buffer size
// (and says so only through the length), so the buffer grows until the path fits.

#include <string>

namespace tsu {

// The full path; empty when it cannot be read, or not whole even in the largest buffer.
[[nodiscard]] std::wstring ExecutablePath();
// Its folder without the trailing "\"; empty when the path is.
[[nodiscard]] std::wstring ExecutableFolder();

} // namespace tsu
