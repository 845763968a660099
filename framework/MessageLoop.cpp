#include "framework/MessageLoop.h"

#include "framework/CWnd.h"

namespace tsu {

namespace {

// True: dispatched (or swallowed); false: WM_QUIT (re-posted).
bool DispatchQueued(MSG& msg) {
    if (msg.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
    }
    if (!CWnd::WalkPreTranslateTree(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return true;
}

} // namespace

bool PumpPendingMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!DispatchQueued(msg))
            return false;
    }
    return true;
}

bool WaitPumping(HANDLE handle, DWORD timeoutMs) {
    if (!handle)
        return false;
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        DWORD remaining = INFINITE;
        if (timeoutMs != INFINITE) {
            const ULONGLONG elapsed = ::GetTickCount64() - start;
            if (elapsed >= timeoutMs)
                return ::WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
            remaining = static_cast<DWORD>(timeoutMs - elapsed);
        }
        const DWORD result = ::MsgWaitForMultipleObjectsEx(1, &handle, remaining, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (result == WAIT_OBJECT_0)
            return true;
        if (result == WAIT_OBJECT_0 + 1) {
            if (!PumpPendingMessages())
                return false;
            continue;
        }
        if (result == WAIT_TIMEOUT)
            return false;
        return false; // WAIT_FAILED, abandoned
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        if (done())
            return true;
        const ULONGLONG elapsed = ::GetTickCount64() - start;
        if (timeoutMs != INFINITE && elapsed >= timeoutMs)
            return done();
        DWORD slice = 10;
        if (timeoutMs != INFINITE && timeoutMs - elapsed < slice)
            slice = static_cast<DWORD>(timeoutMs - elapsed);
        ::MsgWaitForMultipleObjectsEx(0, nullptr, slice, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (!PumpPendingMessages())
            return done();
    }
}

} // namespace tsu
