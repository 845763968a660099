#include "framework/MessageWindowThread.h"

#include "framework/WorkerThread.h"

namespace tsu {

MessageWindowThread::MessageWindowThread(const wchar_t* className, WNDPROC procedure, void* createParam)
    : m_ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!m_ready)
        return;
    m_thread = StartWorkerThread([this, className, procedure, createParam] { Run(className, procedure, createParam); });
    if (m_thread)
        (void)::WaitForSingleObject(m_ready.Get(), INFINITE);
}

MessageWindowThread::~MessageWindowThread() {
    if (m_window)
        (void)::PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
    if (m_thread)
        (void)::WaitForSingleObject(m_thread.Get(), INFINITE);
}

void MessageWindowThread::Run(const wchar_t* className, WNDPROC procedure, void* createParam) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    (void)::RegisterClassExW(&windowClass);
    m_window =
        ::CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, createParam);
    m_threadId = ::GetCurrentThreadId();
    const HWND window = m_window;
    ::SetEvent(m_ready.Get()); // the constructor goes on from here
    if (!window)
        return;
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    ::DestroyWindow(window);
}

} // namespace tsu
