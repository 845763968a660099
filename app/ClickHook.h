#pragma once
// A process-wide low-level mouse hook that tells one window about every left-button press on the
// screen (WM_GLOBAL_LBUTTONDOWN, posted). The hook procedure gets no context, so the target and
// the hook live in process-wide storage; the object is only the owner of that installation.

#include <windows.h>

namespace tsu {

class ClickHook {
public:
    ClickHook() = default;
    ~ClickHook() { Uninstall(); }
    ClickHook(const ClickHook&) = delete;
    ClickHook& operator=(const ClickHook&) = delete;

    // False for a null handle; otherwise stores it.
    [[nodiscard]] bool SetTargetWindow(HWND window);
    // WH_MOUSE_LL for all threads, no module. True when a hook handle was obtained (a second call
    // keeps the first hook).
    [[nodiscard]] bool Install();
    // Removes the hook this object installed, if any.
    void Uninstall();

    [[nodiscard]] static bool IsInstalled();

private:
    static LRESULT CALLBACK HookProcedure(int code, WPARAM wp, LPARAM lp);
    bool m_installedHere = false;
};

} // namespace tsu
