#pragma once
// The tool's message box: a layered host (template 134, PNG 162) with CPromptChildDlg on top.
// Construct with an owner or none, set the scale, the text and the style, run DoModal: IDOK for
// the first button, IDCANCEL for the second or the close button.

#include "app/CLayeredHostDlg.h"
#include "app/CPromptChildDlg.h"

#include <string>
#include <vector>

namespace tsu {

class CPromptDlg : public CLayeredHostDlg {
public:
    explicit CPromptDlg(HWND owner = nullptr);
    ~CPromptDlg() override;

    void SetText(const std::wstring& text) { m_text = text; }
    void SetStyle(int style) { m_style = style; }
    [[nodiscard]] const std::wstring& GetText() const { return m_text; }
    [[nodiscard]] int GetStyle() const { return m_style; }
    [[nodiscard]] CPromptChildDlg& Child() { return m_child; }

    // The prompts shown at this moment on this process's GUI thread, oldest first.
    [[nodiscard]] static std::vector<CPromptDlg*> OpenPrompts();
    // Answers every open prompt with IDCANCEL (the tool is closing: no question is pending any more).
    static void CancelOpenPrompts();

    // Shows a modal prompt and returns its result.
    static INT_PTR Show(HWND owner, float scale, int style, const std::wstring& text);

protected:
    BOOL OnInitToolDialog() override;
    void OnCancel() override { EndDialog(IDCANCEL); }
    [[nodiscard]] HWND ChildWindow() const override { return m_child.GetSafeHwnd(); }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    CPromptChildDlg m_child;
    std::wstring m_text;
    int m_style = 1;
};

} // namespace tsu
