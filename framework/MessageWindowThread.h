#pragma once
// A hidden message-only window with a message loop on a thread of its own, for programs and tests
// without a GUI thread that must still receive window messages (the engines reach their owner
// only by SendMessage).

#include "framework/ScopedHandles.h"

#include <windows.h>

namespace tsu {

class MessageWindowThread {
public:
    // Registers className with procedure (a second registration of the same class fails
    // harmlessly) and creates the window on a new thread, createParam as its lpCreateParams.
    // Returns once the window exists or could not be made; Window() is null then.
    MessageWindowThread(const wchar_t* className, WNDPROC procedure, void* createParam);
    // Ends the thread's message loop, which then destroys the window, and waits for the thread.
    ~MessageWindowThread();
    MessageWindowThread(const MessageWindowThread&) = delete;
    MessageWindowThread& operator=(const MessageWindowThread&) = delete;

    [[nodiscard]] HWND Window() const { return m_window; }

private:
    void Run(const wchar_t* className, WNDPROC procedure, void* createParam);

    HWND m_window = nullptr;
    DWORD m_threadId = 0;
    // Set by the thread once the window exists or failed. A member, not a local of the
    // constructor: the thread still touches it after the constructor may have gone on.
    UniqueHandle m_ready;
    UniqueHandle m_thread;
};

} // namespace tsu
