#pragma once
// Path rules the tool shares between subsystems. Portable: no Win32 here.

#include <string_view>

namespace tsu {

// A path that leads to another machine: "\\server\share\..." (either slash) and the device
// forms "\\?\UNC\...", "\\.\UNC\..." and "\??\UNC\...". Opening one from the elevated tool
// would hand the account's credentials to that machine and can stall for as long as the network
// takes. The device forms with a drive ("\\?\C:\...") are local; any other device path
// ("\\.\pipe\...", "\\?\GLOBALROOT\...") is no local file either and counts with them.
[[nodiscard]] bool IsNetworkPath(std::wstring_view path);

} // namespace tsu
