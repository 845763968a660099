#pragma once
// Which Windows runs. The version comes from ntdll's RtlGetVersion: unlike GetVersionEx it is not
// bent by the manifest's compatibility section, and unlike reading the process environment block
// at fixed offsets it does not depend on that block's layout.

#include <cstdint>
#include <optional>

namespace tsu {

struct WindowsVersion {
    uint32_t major = 0;
    uint32_t minor = 0;
};

// Nothing when ntdll gives no answer.
[[nodiscard]] std::optional<WindowsVersion> QueryWindowsVersion();

} // namespace tsu
