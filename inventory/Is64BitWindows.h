#pragma once

namespace tsu {

// True when the process should read the 64-bit registry view and the WOW6432Node key: always in
// the 64-bit build, and in the 32-bit build when it runs under WOW64.
[[nodiscard]] bool Is64BitWindows();

} // namespace tsu
