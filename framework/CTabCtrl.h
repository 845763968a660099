#pragma once
// The tab control (WC_TABCONTROLW).

#include "framework/CWnd.h"

#include <commctrl.h>

#include <string>

namespace tsu {

class CTabCtrl : public CWnd {
public:
    [[nodiscard]] bool Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
        return CreateEx(0, WC_TABCONTROLW, L"", style | WS_CHILD, rect, parent, id);
    }
    [[nodiscard]] int GetItemCount() const { return static_cast<int>(SendMessage(TCM_GETITEMCOUNT)); }
    int InsertItem(int index, const std::wstring& text) const {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(text.c_str());
        return static_cast<int>(
            SendMessage(TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    }
    [[nodiscard]] int GetCurSel() const { return static_cast<int>(SendMessage(TCM_GETCURSEL)); }
    int SetCurSel(int index) const { return static_cast<int>(SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(index))); }
    bool GetItemRect(int index, RECT& rect) const {
        return SendMessage(TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)) != 0;
    }
    void SetItemSize(int width, int height) const { SendMessage(TCM_SETITEMSIZE, 0, MAKELPARAM(width, height)); }
    void SetMinTabWidth(int width) const { SendMessage(TCM_SETMINTABWIDTH, 0, width); }
    // The tab's text, read into a buffer of at most maxChars characters.
    [[nodiscard]] std::wstring GetItemText(int index, int maxChars = 1023) const {
        std::wstring text(static_cast<size_t>(maxChars) + 1, L'\0');
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        item.cchTextMax = maxChars + 1;
        if (!SendMessage(TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
            return std::wstring();
        // The control may answer with a pointer to its own copy instead of filling ours.
        const wchar_t* source = item.pszText ? item.pszText : L"";
        return std::wstring(source, wcsnlen(source, static_cast<size_t>(maxChars)));
    }
};

} // namespace tsu
