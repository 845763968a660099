#include "framework/WorkerThread.h"

#include <process.h>

#include <memory>

namespace tsu {

namespace {

// _beginthreadex rather than CreateThread: the bodies use the C runtime.
unsigned __stdcall RunBody(void* parameter) {
    const std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
    try {
        (*body)();
    } catch (...) {
        // Nothing may leave a thread entry; the bodies report their own failures.
    }
    return 0;
}

} // namespace

UniqueHandle StartWorkerThread(std::function<void()> body) {
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    const uintptr_t thread = ::_beginthreadex(nullptr, 0, &RunBody, owned.get(), 0, nullptr);
    if (thread == 0)
        return UniqueHandle();
    owned.release(); // the thread owns it now
    return UniqueHandle(reinterpret_cast<HANDLE>(thread));
}

} // namespace tsu
