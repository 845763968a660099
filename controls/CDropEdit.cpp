#include "controls/CDropEdit.h"

#include "framework/Messages.h"

#include <shellapi.h>

namespace tsu {

namespace {

// Not in every SDK's headers: the message the shell uses to hand over drop data.
constexpr UINT kCopyGlobalData = 0x0049;

} // namespace

bool CDropEdit::IsSwallowed(UINT msg) {
    switch (msg) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSCHAR:
    case WM_IME_CHAR:
    case WM_IME_COMPOSITION:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
        return true;
    default:
        return false;
    }
}

BOOL CDropEdit::PreTranslateMessage(MSG* msg) {
    if (msg->hwnd != m_hWnd)
        return FALSE;
    return (msg->message == WM_KEYDOWN || msg->message == WM_CHAR || msg->message == WM_RBUTTONDOWN) ? TRUE : FALSE;
}

void CDropEdit::PreSubclassWindow() {
    AcceptDrops();
}

void CDropEdit::AcceptDrops() {
    ::DragAcceptFiles(m_hWnd, TRUE);
    // An elevated process does not receive drops from the (not elevated) shell unless it lets the
    // drag-and-drop messages through the integrity filter. Fails harmlessly where not needed.
    ::ChangeWindowMessageFilter(WM_DROPFILES, MSGFLT_ADD);
    ::ChangeWindowMessageFilter(WM_COPYDATA, MSGFLT_ADD);
    ::ChangeWindowMessageFilter(kCopyGlobalData, MSGFLT_ADD);
}

LRESULT CDropEdit::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DROPFILES) {
        OnDropFiles(reinterpret_cast<HDROP>(wp));
        return 0;
    }
    // Messages sent straight to the window (not through a message loop) are stopped here too, so
    // nothing but the owner's WM_SETTEXT changes the text.
    if (IsSwallowed(msg))
        return 0;
    return CEdit::WindowProc(msg, wp, lp);
}

void CDropEdit::OnDropFiles(HDROP drop) {
    if (!drop)
        return;
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    HWND parent = GetParent();
    if (count == 1) {
        // The whole path, however long: a path cut at 260 characters would name another file.
        const UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
        std::wstring path(static_cast<size_t>(length) + 1, L'\0');
        const UINT copied = length > 0 ? ::DragQueryFileW(drop, 0, path.data(), length + 1) : 0;
        path.resize(copied);
        if (parent) {
            if (copied > 0)
                ::SendMessageW(parent, WM_DROPEDIT_FILE, reinterpret_cast<WPARAM>(path.c_str()), 0);
            else
                ::SendMessageW(parent, WM_DROPEDIT_FILE, 0, kDropEditNotOneFile);
        }
    } else if (parent) {
        ::SendMessageW(parent, WM_DROPEDIT_FILE, 0, kDropEditNotOneFile);
    }
    ::DragFinish(drop);
}

} // namespace tsu
