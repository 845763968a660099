#pragma once
// The static text control.

#include "framework/CWnd.h"

namespace tsu {

class CStatic : public CWnd {
public:
    [[nodiscard]] bool Create(const wchar_t* text, DWORD style, const RECT& rect, HWND parent, UINT id) {
        return CreateEx(0, L"STATIC", text, style | WS_CHILD, rect, parent, id);
    }
};

} // namespace tsu
