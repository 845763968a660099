#pragma once
// Where resources (dialog templates, PNG, GIF, bitmaps) are looked up: the executable unless a
// caller points elsewhere (a resource-only library, say).

#include <windows.h>

namespace tsu {

[[nodiscard]] HMODULE GetResourceModule();
// Null goes back to the executable.
void SetResourceModule(HMODULE module);

} // namespace tsu
