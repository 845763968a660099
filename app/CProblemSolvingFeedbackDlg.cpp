#include "app/CProblemSolvingFeedbackDlg.h"

#include "controls/DrawingUtils.h"
#include "res/ResourceIds.h"

namespace tsu {

CProblemSolvingFeedbackDlg::CProblemSolvingFeedbackDlg(HWND owner)
    : CLayeredHostDlg(IDD_FEEDBACK, owner, IDB_PNG_FEEDBACK_HOST, kFeedbackDesignWidth, kFeedbackDesignHeight,
                      kFeedbackChildInset) {}

CProblemSolvingFeedbackDlg::~CProblemSolvingFeedbackDlg() = default;

BOOL CProblemSolvingFeedbackDlg::OnInitToolDialog() {
    SetScale(ScreenScaleFactor());
    if (!InitLayeredHostCentred())
        return FALSE;
    m_child.SetScale(m_scale);
    m_child.SetFeedback(m_feedback);
    m_child.SetHost(this);
    if (!m_child.Create(IDD_FEEDBACK_CHILD, m_hWnd))
        return FALSE;
    PlaceChild();
    m_child.ShowWindow(SW_SHOW);
    return FALSE;
}

} // namespace tsu
