#include "framework/CWnd.h"

#include "framework/ResourceModule.h"

#include <commctrl.h>

#include <atomic>
#include <exception>

namespace tsu {

namespace {

// The bound object lives in a window property rather than GWLP_USERDATA: controls and hooks of
// this tool (the skinned scroll frame) use the user data of windows they did not create.
constexpr wchar_t kObjectProperty[] = L"TsuCWndObject";
// The subclass id in the common-controls chain; the reference data is the object.
constexpr UINT_PTR kSubclassId = 0x7453;

// The object whose CreateEx call is under way on this thread; our class procedure binds it at the
// first message of the new window.
thread_local CWnd* t_windowBeingCreated = nullptr;

std::atomic<WindowErrorReporter> g_errorReporter{nullptr};

} // namespace

void SetWindowErrorReporter(WindowErrorReporter reporter) {
    g_errorReporter.store(reporter);
}

void ReportWindowError(const wchar_t* what) {
    if (WindowErrorReporter reporter = g_errorReporter.load())
        reporter(what);
    else
        ::OutputDebugStringW(what);
}

CWnd::~CWnd() {
    if (!m_hWnd)
        return;
    // A window we made dies with its object; a subclassed one goes back to its own procedure.
    if (m_created)
        DestroyWindow();
    else
        UnsubclassWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    return static_cast<CWnd*>(::GetPropW(hwnd, kObjectProperty));
}

bool CWnd::Bind(HWND hwnd) {
    if (!hwnd || m_hWnd || FromHandlePermanent(hwnd))
        return false;
    if (!::SetPropW(hwnd, kObjectProperty, this))
        return false;
    m_hWnd = hwnd;
    return true;
}

void CWnd::Unbind() {
    if (!m_hWnd)
        return;
    if (m_subclassed)
        ::RemoveWindowSubclass(m_hWnd, &CWnd::SubclassProc, kSubclassId);
    ::RemovePropW(m_hWnd, kObjectProperty);
    m_subclassed = false;
    m_created = false;
    m_hWnd = nullptr;
}

bool CWnd::RegisterWindowClass(const wchar_t* className, UINT style, HCURSOR cursor, HBRUSH background) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(instance, className, &existing))
        return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = &CWnd::ClassWndProc;
    wc.hInstance = instance;
    wc.hCursor = cursor ? cursor : ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect,
                    HWND parent, UINT id) {
    if (m_hWnd)
        return false;
    CWnd* const previous = t_windowBeingCreated;
    t_windowBeingCreated = this;
    const HMENU menuOrId = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    HWND hwnd = ::CreateWindowExW(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, parent, menuOrId, ::GetModuleHandleW(nullptr), this);
    t_windowBeingCreated = previous;
    if (!hwnd) {
        // A failed WM_NCCREATE/WM_CREATE may have bound and unbound us already.
        Unbind();
        return false;
    }
    if (m_hWnd == hwnd) {
        m_created = true;
        return true;
    }
    // A class with a procedure of its own: subclass it now.
    if (!SubclassWindow(hwnd)) {
        ::DestroyWindow(hwnd);
        return false;
    }
    m_created = true;
    return true;
}

bool CWnd::AttachSubclass(HWND hwnd) {
    if (!hwnd || !::IsWindow(hwnd) || !Bind(hwnd))
        return false;
    if (!::SetWindowSubclass(hwnd, &CWnd::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        Unbind();
        return false;
    }
    m_subclassed = true;
    return true;
}

bool CWnd::SubclassWindow(HWND hwnd) {
    if (!AttachSubclass(hwnd))
        return false;
    PreSubclassWindow();
    return true;
}

HWND CWnd::UnsubclassWindow() {
    HWND hwnd = m_hWnd;
    Unbind();
    return hwnd;
}

bool CWnd::DestroyWindow() {
    if (!m_hWnd)
        return false;
    // WM_NCDESTROY unbinds us; a window of another thread cannot be destroyed from here.
    HWND hwnd = m_hWnd;
    const bool destroyed = ::DestroyWindow(hwnd) != FALSE;
    if (!destroyed && !::IsWindow(hwnd))
        Unbind();
    return destroyed;
}

RECT CWnd::GetClientRect() const {
    RECT rect{};
    if (m_hWnd)
        ::GetClientRect(m_hWnd, &rect);
    return rect;
}

RECT CWnd::GetWindowRect() const {
    RECT rect{};
    if (m_hWnd)
        ::GetWindowRect(m_hWnd, &rect);
    return rect;
}

std::wstring CWnd::GetWindowText() const {
    if (!m_hWnd)
        return std::wstring();
    const int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(m_hWnd, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

bool CWnd::ModifyStyle(DWORD remove, DWORD add, UINT frameFlags) const {
    if (!m_hWnd)
        return false;
    const DWORD style = GetStyle();
    const DWORD next = (style & ~remove) | add;
    if (next == style)
        return false;
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(next));
    if (frameFlags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | frameFlags);
    return true;
}

bool CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT frameFlags) const {
    if (!m_hWnd)
        return false;
    const DWORD style = GetExStyle();
    const DWORD next = (style & ~remove) | add;
    if (next == style)
        return false;
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(next));
    if (frameFlags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | frameFlags);
    return true;
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

bool CWnd::WalkPreTranslateTree(MSG* msg) {
    for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
        if (CWnd* wnd = FromHandlePermanent(hwnd)) {
            BOOL handled = FALSE;
            try {
                handled = wnd->PreTranslateMessage(msg);
            } catch (...) {
                ReportWindowError(L"exception in PreTranslateMessage");
            }
            if (handled)
                return true;
        }
    }
    return false;
}

bool CWnd::ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    HWND child = nullptr;
    switch (msg) {
    case WM_DRAWITEM:
        child = lp ? reinterpret_cast<const DRAWITEMSTRUCT*>(lp)->hwndItem : nullptr;
        break;
    case WM_NOTIFY:
        child = lp ? reinterpret_cast<const NMHDR*>(lp)->hwndFrom : nullptr;
        break;
    case WM_COMMAND:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_VSCROLL:
    case WM_HSCROLL:
        child = reinterpret_cast<HWND>(lp);
        break;
    default:
        return false;
    }
    if (!child || child == m_hWnd)
        return false;
    CWnd* control = FromHandlePermanent(child);
    return control && control->OnChildNotify(msg, wp, lp, result);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT reflected = 0;
    if (ReflectToChild(msg, wp, lp, &reflected))
        return reflected;
    return DefWindowProc(msg, wp, lp);
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (!m_hWnd)
        return 0;
    if (m_subclassed)
        return ::DefSubclassProc(m_hWnd, msg, wp, lp);
    return ::DefWindowProcW(m_hWnd, msg, wp, lp);
}

LRESULT CWnd::Route(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    try {
        result = WindowProc(msg, wp, lp);
    } catch (const std::exception&) {
        ReportWindowError(L"exception in a window procedure");
    } catch (...) {
        ReportWindowError(L"unknown exception in a window procedure");
    }
    if (msg == WM_NCDESTROY) {
        Unbind();
        PostNcDestroy();
    }
    return result;
}

LRESULT CALLBACK CWnd::ClassWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* self = FromHandlePermanent(hwnd);
    if (!self && t_windowBeingCreated && !t_windowBeingCreated->m_hWnd) {
        // The first message of a window created by CreateEx (WM_GETMINMAXINFO or WM_NCCREATE).
        self = t_windowBeingCreated;
        if (!self->Bind(hwnd))
            self = nullptr;
    }
    if (!self)
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    return self->Route(msg, wp, lp);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<CWnd*>(ref);
    if (!self || self->m_hWnd != hwnd)
        return ::DefSubclassProc(hwnd, msg, wp, lp);
    return self->Route(msg, wp, lp);
}

} // namespace tsu
