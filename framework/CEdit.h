#pragma once
// The edit control.

#include "framework/CWnd.h"

namespace tsu {

class CEdit : public CWnd {
public:
    [[nodiscard]] bool Create(DWORD style, const RECT& rect, HWND parent, UINT id, DWORD exStyle = WS_EX_CLIENTEDGE) {
        return CreateEx(exStyle, L"EDIT", L"", style | WS_CHILD, rect, parent, id);
    }
};

} // namespace tsu
