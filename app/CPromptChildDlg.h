#pragma once
// The prompt's child (template 133): the message, one or two image buttons and the close button,
// on PNG 163. The buttons answer the host with WM_PROMPT_RESULT; the close button closes the host.

#include "app/CLayeredHostDlg.h"
#include "controls/CDrawTextStatic.h"
#include "controls/buttons/CPngButton.h"

#include <string>

namespace tsu {

class CPromptChildDlg : public CLayeredChildDlg {
public:
    CPromptChildDlg();
    ~CPromptChildDlg() override;

    void SetText(const std::wstring& text) { m_text = text; }
    void SetStyle(int style) { m_style = style; }
    [[nodiscard]] const std::wstring& GetText() const { return m_text; }
    [[nodiscard]] int GetStyle() const { return m_style; }

protected:
    BOOL OnInitToolDialog() override;
    void LayoutControls() override;
    bool OnCommand(UINT id, UINT code) override;

private:
    CPngButton m_close;
    CPngButton m_first;
    CPngButton m_second;
    CDrawTextStatic m_message;
    std::wstring m_text;
    int m_style = 1;
};

} // namespace tsu
