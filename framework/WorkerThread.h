#pragma once
// The one way the tool starts a thread of its own.

#include "framework/ScopedHandles.h"

#include <functional>

namespace tsu {

// Runs body on a new thread; nothing it throws leaves the thread. The thread's handle (wait on it
// to join), or an empty one when Windows refuses a thread (GetLastError says why).
[[nodiscard]] UniqueHandle StartWorkerThread(std::function<void()> body);

} // namespace tsu
