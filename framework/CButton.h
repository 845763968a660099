#pragma once
// The button control (push button, check box, owner-drawn button).

#include "framework/CWnd.h"

namespace tsu {

class CButton : public CWnd {
public:
    [[nodiscard]] bool Create(const wchar_t* caption, DWORD style, const RECT& rect, HWND parent, UINT id) {
        return CreateEx(0, L"BUTTON", caption, style | WS_CHILD, rect, parent, id);
    }
    [[nodiscard]] int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int check) const { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
    [[nodiscard]] UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }

protected:
    // Owner-drawn buttons draw here: the parent's WM_DRAWITEM comes back to the button through
    // OnChildNotify.
    virtual void DrawItem(const DRAWITEMSTRUCT& item) {}

    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override {
        if (msg != WM_DRAWITEM || !lp)
            return false;
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        *result = TRUE;
        return true;
    }
};

} // namespace tsu
