#pragma once
// A window object bound to its HWND. One trampoline routes every message of a bound window to the
// virtual WindowProc; derived classes override WindowProc with a switch that only routes to small
// named handlers and hand everything else to CWnd::WindowProc, which runs the default procedure.
//
// Two ways to bind:
//  - CreateEx with a class registered through RegisterWindowClass (our class procedure): bound at
//    WM_NCCREATE, so the object sees WM_NCCREATE and WM_CREATE;
//  - SubclassWindow on an existing window (controls a dialog template created by class name, or a
//    system control made by CreateEx): bound through the common-controls subclass chain, which
//    stays intact when somebody else subclasses the same window after us.
// No exception leaves the trampoline: a throwing handler is reported and the message answers 0.

#include <windows.h>

#include <string>

namespace tsu {

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The bound object of a window, or null.
    [[nodiscard]] static CWnd* FromHandlePermanent(HWND hwnd);

    [[nodiscard]] HWND GetSafeHwnd() const { return m_hWnd; }

    // Creates a window and binds this object to it. Any class works: one registered with
    // RegisterWindowClass binds at WM_NCCREATE, any other (system controls, classes whose procedure
    // is DefWindowProcW) is subclassed right after creation and gets PreSubclassWindow.
    [[nodiscard]] bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                                const RECT& rect, HWND parent, UINT id);

    // Binds this object to an existing window. False when the window is missing or already bound.
    [[nodiscard]] bool SubclassWindow(HWND hwnd);
    [[nodiscard]] bool SubclassDlgItem(UINT id, HWND parent) { return SubclassWindow(::GetDlgItem(parent, id)); }
    // Gives the window back to its own procedure; the object forgets it.
    HWND UnsubclassWindow();

    bool DestroyWindow();

    // Registers a class whose procedure is this framework's trampoline (for CreateEx). Registering
    // a name twice is not an error.
    [[nodiscard]] static bool RegisterWindowClass(const wchar_t* className, UINT style = 0, HCURSOR cursor = nullptr,
                                                  HBRUSH background = nullptr);

    // Thin helpers over the window functions, for readability of the controls.
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageW(m_hWnd, msg, wp, lp); }
    BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::PostMessageW(m_hWnd, msg, wp, lp); }
    [[nodiscard]] RECT GetClientRect() const;
    [[nodiscard]] RECT GetWindowRect() const;
    [[nodiscard]] HWND GetParent() const { return ::GetParent(m_hWnd); }
    [[nodiscard]] HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    void SetFont(HFONT font, bool redraw = true) const {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
    }
    [[nodiscard]] std::wstring GetWindowText() const;
    bool SetWindowText(const std::wstring& text) const { return ::SetWindowTextW(m_hWnd, text.c_str()) != FALSE; }
    void Invalidate(bool erase = true) const { ::InvalidateRect(m_hWnd, nullptr, erase ? TRUE : FALSE); }
    void InvalidateRect(const RECT& rect, bool erase = true) const {
        ::InvalidateRect(m_hWnd, &rect, erase ? TRUE : FALSE);
    }
    void UpdateWindow() const { ::UpdateWindow(m_hWnd); }
    bool MoveWindow(const RECT& rect, bool repaint = true) const {
        return ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                            repaint ? TRUE : FALSE) != FALSE;
    }
    bool ShowWindow(int cmd) const { return ::ShowWindow(m_hWnd, cmd) != FALSE; }
    [[nodiscard]] bool IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
    [[nodiscard]] bool IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }
    void EnableWindow(bool enable) const { ::EnableWindow(m_hWnd, enable ? TRUE : FALSE); }
    [[nodiscard]] DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    [[nodiscard]] DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }
    // Changes style bits; with frameFlags the frame is recomputed (SWP_FRAMECHANGED).
    bool ModifyStyle(DWORD remove, DWORD add, UINT frameFlags = 0) const;
    bool ModifyStyleEx(DWORD remove, DWORD add, UINT frameFlags = 0) const;
    [[nodiscard]] UINT GetDlgCtrlID() const { return static_cast<UINT>(::GetDlgCtrlID(m_hWnd)); }
    [[nodiscard]] HWND GetDlgItem(UINT id) const { return ::GetDlgItem(m_hWnd, static_cast<int>(id)); }
    UINT_PTR SetTimer(UINT_PTR id, UINT milliseconds) const { return ::SetTimer(m_hWnd, id, milliseconds, nullptr); }
    bool KillTimer(UINT_PTR id) const { return ::KillTimer(m_hWnd, id) != FALSE; }
    void ScreenToClient(POINT& pt) const { ::ScreenToClient(m_hWnd, &pt); }
    void ClientToScreen(POINT& pt) const { ::ClientToScreen(m_hWnd, &pt); }
    void ScreenToClient(RECT& rect) const { ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2); }

    // Called by the message loops for each queued message before it is dispatched, on every bound
    // window from the target up through its parents (owners for popups). True means handled: the
    // message is neither translated nor dispatched.
    virtual BOOL PreTranslateMessage(MSG* msg);

    // Runs the PreTranslateMessage chain for one queued message.
    [[nodiscard]] static bool WalkPreTranslateTree(MSG* msg);

protected:
    // The one routing point of a bound window. The base answers by the default procedure.
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // The procedure the window had before it was bound (or DefWindowProcW).
    LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // A notification the parent received about this window (WM_DRAWITEM, WM_NOTIFY, WM_COMMAND,
    // WM_CTLCOLOR*, scroll messages of a bar control), handed back to the control before the
    // parent's default handling, as MFC's message reflection does. True: handled, *result answers.
    virtual bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) { return false; }
    // Called once the window is subclassed, before any later message.
    virtual void PreSubclassWindow() {}
    // Called after WM_NCDESTROY, once the object is unbound; an object that owns itself may delete
    // itself here and must touch nothing afterwards.
    virtual void PostNcDestroy() {}

    HWND m_hWnd = nullptr;

private:
    static LRESULT CALLBACK ClassWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
    friend class CDialog;

    bool Bind(HWND hwnd);
    bool AttachSubclass(HWND hwnd);
    void Unbind();
    LRESULT Route(UINT msg, WPARAM wp, LPARAM lp);
    bool ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

    bool m_subclassed = false;
    bool m_created = false;
};

// Who hears of an exception that a handler let escape (the framework itself never logs). The
// default writes to the debugger output.
using WindowErrorReporter = void (*)(const wchar_t* what);
void SetWindowErrorReporter(WindowErrorReporter reporter);
void ReportWindowError(const wchar_t* what);

} // namespace tsu
