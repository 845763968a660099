#include "app/CPromptChildDlg.h"

#include "app/AppMessages.h"
#include "app/LayeredWindow.h"
#include "app/core/DialogRules.h"
#include "res/ResourceIds.h"

namespace tsu {

CPromptChildDlg::CPromptChildDlg() : CLayeredChildDlg(IDD_PROMPT_CHILD, IDB_PNG_PROMPT_CHILD, true) {}

CPromptChildDlg::~CPromptChildDlg() = default;

BOOL CPromptChildDlg::OnInitToolDialog() {
    if (!LoadBackground())
        return FALSE;
    if (!BindControls({{&m_close, IDC_CLOSE_BUTTON},
                       {&m_first, IDC_PROMPT_FIRST},
                       {&m_second, IDC_PROMPT_SECOND},
                       {&m_message, IDC_PROMPT_MESSAGE}}))
        return FALSE;

    const PromptButtonPlan plan = PlanPromptButtons(m_style);
    m_close.SetImages(IDB_PNG_PROMPT_CLOSE_NORMAL, IDB_PNG_PROMPT_CLOSE_HOVER, IDB_PNG_PROMPT_CLOSE_PRESSED,
                      IDB_PNG_PROMPT_CLOSE_PRESSED);
    if (plan.firstIsConfirm)
        m_first.SetImages(IDB_PNG_CONFIRM_NORMAL, IDB_PNG_CONFIRM_HOVER, IDB_PNG_CONFIRM_PRESSED,
                          IDB_PNG_CONFIRM_PRESSED);
    else
        m_first.SetImages(IDB_PNG_YES_NORMAL, IDB_PNG_YES_HOVER, IDB_PNG_YES_PRESSED, IDB_PNG_YES_PRESSED);
    if (plan.secondShown) {
        if (plan.secondIsCancel)
            m_second.SetImages(IDB_PNG_CANCEL_NORMAL, IDB_PNG_CANCEL_HOVER, IDB_PNG_CANCEL_PRESSED,
                               IDB_PNG_CANCEL_PRESSED);
        else
            m_second.SetImages(IDB_PNG_NO_NORMAL, IDB_PNG_NO_HOVER, IDB_PNG_NO_PRESSED, IDB_PNG_NO_PRESSED);
    }
    m_second.ShowWindow(plan.secondShown ? SW_SHOW : SW_HIDE);
    for (CPngButton* button : {&m_close, &m_first, &m_second}) {
        button->SetScale(m_scale);
        button->SetBackground(m_image.get());
    }

    (void)m_message.SetFontFromParent(0, 0);
    m_message.SetAlignment(CDrawTextStatic::kWrapCentredVertically);
    m_message.SetBackground(m_image.get());
    (void)m_message.SetWindowText(m_text);

    LayoutControls();
    m_initialised = true;
    return FALSE; // no focus on a control: nothing here reacts to keys
}

void CPromptChildDlg::LayoutControls() {
    const RECT client = GetClientRect();
    const int w = client.right;
    const int h = client.bottom;
    const PromptButtonPlan plan = PlanPromptButtons(m_style);
    const int buttonWidth = S(55);
    const int buttonHeight = S(24);
    const int buttonTop = S(107);

    (void)m_close.MoveWindow(RECT{w - S(26), S(8), w - S(26) + S(12), S(8) + S(12)});
    int firstLeft = w / 2 - buttonWidth - S(12);
    if (plan.firstCentred)
        firstLeft = w / 2 - buttonWidth / 2;
    (void)m_first.MoveWindow(RECT{firstLeft, buttonTop, firstLeft + buttonWidth, buttonTop + buttonHeight});
    const int secondLeft = w / 2 + S(12);
    (void)m_second.MoveWindow(RECT{secondLeft, buttonTop, secondLeft + buttonWidth, buttonTop + buttonHeight});
    (void)m_message.MoveWindow(RECT{S(10), S(50), w - S(10), h - S(40)});
    ShowBackgroundPiece(m_close);
    ShowBackgroundPiece(m_first);
    ShowBackgroundPiece(m_second);
    ShowBackgroundPiece(m_message);
}

bool CPromptChildDlg::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED || !m_host)
        return true;
    switch (id) {
    case IDC_PROMPT_FIRST:
        ::SendMessageW(m_host->GetSafeHwnd(), WM_PROMPT_RESULT, kPromptFirstButton, 0);
        break;
    case IDC_PROMPT_SECOND:
        ::SendMessageW(m_host->GetSafeHwnd(), WM_PROMPT_RESULT, kPromptSecondButton, 0);
        break;
    case IDC_CLOSE_BUTTON:
        CloseHost();
        break;
    default:
        break;
    }
    return true;
}

} // namespace tsu
