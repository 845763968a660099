#pragma once
// A dialog from a dialog template resource, modal or modeless. The dialog procedure trampoline
// binds the object at WM_INITDIALOG, subclasses the dialog window and calls OnInitDialog; from then
// on every message reaches the virtual WindowProc (CWnd) with the dialog manager as default.
//
// The modal run is the framework's own loop (not DialogBoxParam), so every queued message first
// passes the PreTranslateMessage chain: a dialog that must swallow Enter and Escape before the
// dialog manager sees them overrides PreTranslateMessage.

#include "framework/CWnd.h"

namespace tsu {

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, HWND parent = nullptr) : m_templateId(templateId), m_parent(parent) {}
    ~CDialog() override = default;

    // Runs the dialog modally; the result of EndDialog, or -1 when the template is missing or the
    // dialog cannot be created. Also ends (with IDCANCEL) when WM_QUIT arrives, which is re-posted.
    INT_PTR DoModal();
    // Creates the dialog modeless as a child or popup of parent (its template decides).
    [[nodiscard]] bool Create(UINT templateId, HWND parent);
    [[nodiscard]] bool Create(HWND parent) { return Create(m_templateId, parent); }

    // Ends a modal run with the result; a modeless dialog is destroyed.
    void EndDialog(INT_PTR result);
    [[nodiscard]] bool IsModal() const { return m_modal; }

    // Keyboard navigation of the dialog manager (Tab, arrows, mnemonics, Enter, Escape).
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    // Return TRUE to let the system set the focus to the first control.
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    UINT m_templateId;
    HWND m_parent;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    bool BindDialog(HWND hwnd);

    bool m_modal = false;
    bool m_continueModal = false;
    INT_PTR m_result = -1;
};

// A keyboard message that would reach the dialog manager's Enter or Escape handling.
[[nodiscard]] bool IsEnterOrEscapeKeyDown(const MSG& msg);

} // namespace tsu
