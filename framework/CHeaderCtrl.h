#pragma once
// The header control (WC_HEADERW).

#include "framework/CWnd.h"

#include <commctrl.h>

#include <string>

namespace tsu {

class CHeaderCtrl : public CWnd {
public:
    [[nodiscard]] bool Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
        return CreateEx(0, WC_HEADERW, L"", style | WS_CHILD, rect, parent, id);
    }
    [[nodiscard]] int GetItemCount() const { return static_cast<int>(SendMessage(HDM_GETITEMCOUNT)); }
    int InsertItem(int index, const HDITEMW& item) const {
        return static_cast<int>(
            SendMessage(HDM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    }
    bool DeleteItem(int index) const { return SendMessage(HDM_DELETEITEM, static_cast<WPARAM>(index)) != 0; }
    bool GetItem(int index, HDITEMW& item) const {
        return SendMessage(HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != 0;
    }
    bool SetItem(int index, const HDITEMW& item) const {
        return SendMessage(HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != 0;
    }
    bool GetItemRect(int index, RECT& rect) const {
        return SendMessage(HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)) != 0;
    }
    // The item's text, read into a buffer of at most maxChars characters.
    [[nodiscard]] std::wstring GetItemText(int index, int maxChars = 256) const {
        std::wstring text(static_cast<size_t>(maxChars) + 1, L'\0');
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = text.data();
        item.cchTextMax = maxChars + 1;
        if (!GetItem(index, item))
            return std::wstring();
        text.resize(wcsnlen(text.c_str(), static_cast<size_t>(maxChars)));
        return text;
    }
};

} // namespace tsu
