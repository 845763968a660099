#pragma once
// The wait dialog: a layered host (template 130, PNG 148) with CExecutePromptChildDlg on top,
// shown modally while a worker runs. It ends only when WM_CLOSE_PROGRESS reaches it (or when
// RequestClose is called); nothing the user does closes it, and it cannot be dragged.
//
// A close that arrives before the modal run has created the window is remembered, so a worker
// that finishes at once never leaves the dialog open for ever.

#include "app/CExecutePromptChildDlg.h"
#include "app/CLayeredHostDlg.h"

#include <string>

namespace tsu {

class CExecutePromptDlg : public CLayeredHostDlg {
public:
    explicit CExecutePromptDlg(HWND owner = nullptr);
    ~CExecutePromptDlg() override;

    void SetText(const std::wstring& text) { m_text = text; }
    [[nodiscard]] const std::wstring& GetText() const { return m_text; }
    [[nodiscard]] CExecutePromptChildDlg& Child() { return m_child; }

    // What WM_CLOSE_PROGRESS does; safe before, during and after the modal run.
    void RequestClose();

protected:
    BOOL OnInitToolDialog() override;
    [[nodiscard]] HWND ChildWindow() const override { return m_child.GetSafeHwnd(); }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    CExecutePromptChildDlg m_child;
    std::wstring m_text;
    bool m_closeRequested = false;
};

} // namespace tsu
