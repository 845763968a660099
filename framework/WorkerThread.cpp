#include "framework/WorkerThread.h"

#include <process.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace tsu {

namespace {

constexpr size_t kFewestWorkers = 2;

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

void RunJobsOnWorkers(size_t count, const std::function<void(size_t)>& job, WorkerCom com) {
    std::atomic<size_t> next{0};
    const auto work = [&job, &next, count, com] {
        std::optional<ScopedComInit> comForThread;
        if (com == WorkerCom::Apartment)
            comForThread.emplace();
        for (size_t i = next++; i < count; i = next++)
            job(i);
    };
    const size_t wanted = std::min(count, std::max<size_t>(kFewestWorkers, std::thread::hardware_concurrency()));
    std::vector<UniqueHandle> workers;
    for (size_t i = 0; i < wanted; ++i) {
        UniqueHandle worker = StartWorkerThread(work);
        if (worker)
            workers.push_back(std::move(worker));
    }
    if (workers.empty()) {
        work();
        return;
    }
    for (const UniqueHandle& worker : workers)
        (void)::WaitForSingleObject(worker.Get(), INFINITE);
}

} // namespace tsu
