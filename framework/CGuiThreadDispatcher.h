#pragma once
// Posts work from any thread to the thread that created the dispatcher (the GUI thread). The work
// runs there inside the message loop, never inside the caller. Create it on the GUI thread; work
// still queued when it is destroyed is dropped without running.

#include <windows.h>

#include <functional>

namespace tsu {

class CGuiThreadDispatcher {
public:
    CGuiThreadDispatcher();
    ~CGuiThreadDispatcher();
    CGuiThreadDispatcher(const CGuiThreadDispatcher&) = delete;
    CGuiThreadDispatcher& operator=(const CGuiThreadDispatcher&) = delete;

    [[nodiscard]] bool IsValid() const { return m_window != nullptr; }
    // Thread-safe. False when the work could not be queued (it is then dropped).
    [[nodiscard]] bool Post(std::function<void()> work) const;
    // True on the thread that created the dispatcher.
    [[nodiscard]] bool IsGuiThread() const { return ::GetCurrentThreadId() == m_threadId; }

private:
    static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND m_window = nullptr;
    DWORD m_threadId = 0;
};

} // namespace tsu
