#pragma once
// The scroll bar control. The scroll information goes through SBM_ messages, so a control that
// answers them itself (a skinned bar) is driven exactly like the system one.

#include "framework/CWnd.h"

namespace tsu {

class CScrollBar : public CWnd {
public:
    [[nodiscard]] bool Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
        return CreateEx(0, L"SCROLLBAR", L"", style | WS_CHILD, rect, parent, id);
    }
    bool GetScrollInfo(SCROLLINFO& info, UINT mask = SIF_ALL) const {
        info.cbSize = sizeof(SCROLLINFO);
        info.fMask = mask;
        return SendMessage(SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&info)) != 0;
    }
    int SetScrollInfo(SCROLLINFO& info, bool redraw = true) const {
        info.cbSize = sizeof(SCROLLINFO);
        return static_cast<int>(SendMessage(SBM_SETSCROLLINFO, redraw ? TRUE : FALSE, reinterpret_cast<LPARAM>(&info)));
    }
    [[nodiscard]] int GetScrollPos() const {
        SCROLLINFO info{};
        return GetScrollInfo(info, SIF_POS) ? info.nPos : 0;
    }
    int SetScrollPos(int pos, bool redraw = true) const {
        SCROLLINFO info{};
        info.fMask = SIF_POS;
        info.nPos = pos;
        return SetScrollInfo(info, redraw);
    }
};

} // namespace tsu
