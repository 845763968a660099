#include "app/ClickHook.h"

#include "app/AppMessages.h"

#include <atomic>

namespace tsu {

namespace {

std::atomic<HWND> g_target{nullptr};
std::atomic<HHOOK> g_hook{nullptr};

} // namespace

bool ClickHook::SetTargetWindow(HWND window) {
    if (!window)
        return false;
    g_target = window;
    return true;
}

bool ClickHook::Install() {
    if (g_hook.load())
        return true;
    HHOOK hook = ::SetWindowsHookExW(WH_MOUSE_LL, &ClickHook::HookProcedure, nullptr, 0);
    if (!hook)
        return false;
    g_hook = hook;
    m_installedHere = true;
    return true;
}

void ClickHook::Uninstall() {
    if (!m_installedHere)
        return;
    if (HHOOK hook = g_hook.exchange(nullptr))
        ::UnhookWindowsHookEx(hook);
    g_target = nullptr;
    m_installedHere = false;
}

bool ClickHook::IsInstalled() {
    return g_hook.load() != nullptr;
}

LRESULT CALLBACK ClickHook::HookProcedure(int code, WPARAM wp, LPARAM lp) {
    // Runs on the installing (GUI) thread; it only posts, so the input is never held up.
    if (code == HC_ACTION && wp == WM_LBUTTONDOWN) {
        if (HWND target = g_target.load())
            ::PostMessageW(target, WM_GLOBAL_LBUTTONDOWN, WM_LBUTTONDOWN, 0);
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

} // namespace tsu
