#pragma once
// The one way the tool starts a thread of its own.

#include "framework/ScopedHandles.h"

#include <cstddef>
#include <functional>

namespace tsu {

// Runs body on a new thread; nothing it throws leaves the thread. The thread's handle (wait on it
// to join), or an empty one when Windows refuses a thread (GetLastError says why).
[[nodiscard]] UniqueHandle StartWorkerThread(std::function<void()> body);

// A thread waited for when its owner goes, however the owner's scope ends: a process must not end
// while such a thread is inside a library (its locks would stay taken for the library's clean-up).
class JoinedThread {
public:
    explicit JoinedThread(UniqueHandle thread) : m_thread(std::move(thread)) {}
    ~JoinedThread() {
        if (m_thread)
            (void)::WaitForSingleObject(m_thread.Get(), INFINITE);
    }
    JoinedThread(const JoinedThread&) = delete;
    JoinedThread& operator=(const JoinedThread&) = delete;

private:
    UniqueHandle m_thread;
};

// Whether each worker of RunJobsOnWorkers starts COM for itself first (and ends it after its
// last job).
enum class WorkerCom { None, Apartment };

// Runs job(0), job(1), ... job(count - 1) on worker threads, one per core (at least two, never
// more than there are jobs), each job once, and returns when all have run. When Windows refuses
// every thread, the calling thread runs them all.
void RunJobsOnWorkers(size_t count, const std::function<void(size_t)>& job, WorkerCom com = WorkerCom::None);

} // namespace tsu
