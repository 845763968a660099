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
    // An elevated process does not receive drops from the (not elevated) shell unless the
    // drag-and-drop messages pass the integrity filter. They are let through to this window only,
    // never process-wide, so no other window of the tool can be sent them from a lower level.
    // WM_COPYDATA is not needed for a drop and stays filtered. Fails harmlessly where not needed.
    for (const UINT message : {static_cast<UINT>(WM_DROPFILES), kCopyGlobalData})
        (void)::ChangeWindowMessageFilterEx(m_hWnd, message, MSGFLT_ALLOW, nullptr);
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
