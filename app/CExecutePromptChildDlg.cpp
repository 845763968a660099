#include "app/CExecutePromptChildDlg.h"

#include "app/LayeredWindow.h"
#include "app/core/DialogRules.h"
#include "res/ResourceIds.h"

namespace tsu {

namespace {
// Word-wrapped, centred both ways (CDrawStateInfoStatic's mode 5).
constexpr int kCentredWrapped = 5;
} // namespace

CExecutePromptChildDlg::CExecutePromptChildDlg()
    : CLayeredChildDlg(IDD_EXECUTE_PROMPT_CHILD, IDB_PNG_WAIT_CHILD, false) {}

CExecutePromptChildDlg::~CExecutePromptChildDlg() = default;

BOOL CExecutePromptChildDlg::OnInitToolDialog() {
    if (!LoadBackground())
        return FALSE;
    if (!BindControls({{&m_textControl, IDC_STATE_INFO_TEXT}}))
        return FALSE;
    (void)m_textControl.SetFontFromParent();
    m_textControl.SetTextColor(RGB(255, 255, 255));
    m_textControl.SetAlignment(kCentredWrapped);
    m_textControl.SetBackground(m_image.get());
    (void)m_textControl.SetWindowText(WaitDialogText(m_text));
    LayoutControls();
    m_textControl.StartDots();
    m_initialised = true;
    return FALSE;
}

void CExecutePromptChildDlg::LayoutControls() {
    const RECT client = GetClientRect();
    const int w = client.right;
    const int h = client.bottom;
    (void)m_textControl.MoveWindow(RECT{S(10), h / 2 - S(10), w - S(10), h / 2 + S(30)});
    ShowBackgroundPiece(m_textControl);
}

void CExecutePromptChildDlg::StopDots() {
    if (m_textControl.GetSafeHwnd())
        m_textControl.StopDots();
}

} // namespace tsu
