#pragma once
// The wait dialog's child (template 129): the busy text with its running dots on PNG 149.

#include "app/CLayeredHostDlg.h"
#include "controls/CDrawStateInfoStatic.h"

#include <string>

namespace tsu {

class CExecutePromptChildDlg : public CLayeredChildDlg {
public:
    CExecutePromptChildDlg();
    ~CExecutePromptChildDlg() override;

    void SetText(const std::wstring& text) { m_text = text; }
    void StopDots();
    [[nodiscard]] CDrawStateInfoStatic& TextControl() { return m_textControl; }

protected:
    BOOL OnInitToolDialog() override;
    void LayoutControls() override;

private:
    CDrawStateInfoStatic m_textControl;
    std::wstring m_text;
};

} // namespace tsu
