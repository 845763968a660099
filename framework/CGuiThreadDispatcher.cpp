#include "framework/CGuiThreadDispatcher.h"

#include "framework/CWnd.h"
#include "framework/Messages.h"

#include <memory>

namespace tsu {

namespace {

constexpr wchar_t kClassName[] = L"TsuGuiThreadDispatcher";
constexpr UINT kRunWorkMessage = kDispatcherMessages.first;

bool RegisterDispatcherClass(WNDPROC procedure) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (::GetClassInfoExW(instance, kClassName, &existing))
        return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

CGuiThreadDispatcher::CGuiThreadDispatcher() : m_threadId(::GetCurrentThreadId()) {
    if (!RegisterDispatcherClass(&CGuiThreadDispatcher::WindowProcedure))
        return;
    // A message-only window: no painting, never visible, not enumerated.
    m_window = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ::GetModuleHandleW(nullptr),
                                 nullptr);
}

CGuiThreadDispatcher::~CGuiThreadDispatcher() {
    if (!m_window)
        return;
    // Drop what is still queued: the objects the work refers to may be going away with us.
    MSG msg;
    while (::PeekMessageW(&msg, m_window, kRunWorkMessage, kRunWorkMessage, PM_REMOVE))
        delete reinterpret_cast<std::function<void()>*>(msg.lParam);
    ::DestroyWindow(m_window);
}

bool CGuiThreadDispatcher::Post(std::function<void()> work) const {
    if (!m_window || !work)
        return false;
    auto box = std::make_unique<std::function<void()>>(std::move(work));
    if (!::PostMessageW(m_window, kRunWorkMessage, 0, reinterpret_cast<LPARAM>(box.get())))
        return false;
    (void)box.release(); // the window procedure owns it now
    return true;
}

LRESULT CALLBACK CGuiThreadDispatcher::WindowProcedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kRunWorkMessage) {
        std::unique_ptr<std::function<void()>> work(reinterpret_cast<std::function<void()>*>(lp));
        try {
            if (work && *work)
                (*work)();
        } catch (...) {
            ReportWindowError(L"exception in work posted to the GUI thread");
        }
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

} // namespace tsu
