#include "app/CProblemSolvingFeedbackChildDlg.h"

#include "app/FeedbackBinding.h"
#include "app/LayeredWindow.h"
#include "app/core/DialogRules.h"
#include "app/core/ToolIdentity.h"
#include "res/ResourceIds.h"

#include <ctime>

namespace tsu {

CProblemSolvingFeedbackChildDlg::CProblemSolvingFeedbackChildDlg()
    : CLayeredChildDlg(IDD_FEEDBACK_CHILD, IDB_PNG_FEEDBACK_CHILD, true) {}

CProblemSolvingFeedbackChildDlg::~CProblemSolvingFeedbackChildDlg() = default;

BOOL CProblemSolvingFeedbackChildDlg::OnInitToolDialog() {
    if (!LoadBackground())
        return FALSE;
    if (!m_close.SubclassDlgItem(IDC_FEEDBACK_CLOSE, m_hWnd) || !m_solved.SubclassDlgItem(IDC_SOLVED, m_hWnd) ||
        !m_unsolved.SubclassDlgItem(IDC_UNSOLVED, m_hWnd) ||
        !m_moreSolutions.SubclassDlgItem(IDC_MORE_SOLUTIONS, m_hWnd))
        return FALSE;
    (void)m_close.SetImages(IDB_PNG_FEEDBACK_CLOSE_NORMAL, IDB_PNG_FEEDBACK_CLOSE_HOVER, IDB_PNG_FEEDBACK_CLOSE_PRESSED,
                            IDB_PNG_FEEDBACK_CLOSE_DISABLED);
    (void)m_solved.SetImages(IDB_PNG_SOLVED_NORMAL, IDB_PNG_SOLVED_HOVER, IDB_PNG_SOLVED_PRESSED,
                             IDB_PNG_SOLVED_DISABLED);
    (void)m_unsolved.SetImages(IDB_PNG_UNSOLVED_NORMAL, IDB_PNG_UNSOLVED_HOVER, IDB_PNG_UNSOLVED_PRESSED,
                               IDB_PNG_UNSOLVED_DISABLED);
    (void)m_moreSolutions.SetImages(IDB_PNG_MORE_SOLUTIONS_NORMAL, IDB_PNG_MORE_SOLUTIONS_HOVER,
                                    IDB_PNG_MORE_SOLUTIONS_PRESSED, IDB_PNG_MORE_SOLUTIONS_DISABLED);
    m_close.SetScale(m_scale);
    m_close.SetBackground(m_image.get());
    for (CImageButton* button : {&m_solved, &m_unsolved, &m_moreSolutions}) {
        button->SetBackground(m_image.get());
        button->SetHitInset(S(9), S(9), S(9), S(9));
    }
    LayoutControls();
    m_initialised = true;
    return FALSE;
}

void CProblemSolvingFeedbackChildDlg::LayoutControls() {
    const int w = GetClientRect().right;
    (void)m_close.MoveWindow(RECT{w - S(18), S(6), w - S(18) + S(12), S(6) + S(12)});
    const int left = S(67);
    const int width = S(266);
    const int height = S(60);
    (void)m_solved.MoveWindow(RECT{left, S(154), left + width, S(154) + height});
    (void)m_unsolved.MoveWindow(RECT{left, S(234), left + width, S(234) + height});
    (void)m_moreSolutions.MoveWindow(RECT{left, S(314), left + width, S(314) + height});
    const auto showPiece = [this](auto& control) {
        const RECT piece = BackgroundPieceFor(m_hWnd, control.GetSafeHwnd(), m_image.get());
        control.SetBackgroundRect(piece.left, piece.top, piece.right, piece.bottom);
    };
    showPiece(m_close);
    showPiece(m_solved);
    showPiece(m_unsolved);
    showPiece(m_moreSolutions);
}

void CProblemSolvingFeedbackChildDlg::Answer(int answer) {
    if (m_feedback) {
        m_feedback->CustomerFeedbackEx(kToolId, kToolVersion, answer, FeedbackTimeText(std::time(nullptr)));
        m_feedback->FeedbackQuestion(kToolId, kToolVersion);
    }
    CloseHost();
}

void CProblemSolvingFeedbackChildDlg::CloseHost() {
    if (m_host && m_host->GetSafeHwnd())
        ::SendMessageW(m_host->GetSafeHwnd(), WM_CLOSE, 0, 0);
}

void CProblemSolvingFeedbackChildDlg::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case IDC_SOLVED:
        // A keyboard press while the pointer is elsewhere is no answer.
        if (m_solved.IsCursorInside())
            Answer(feedback::kAnswerSolved);
        break;
    case IDC_UNSOLVED:
        if (m_unsolved.IsCursorInside())
            Answer(feedback::kAnswerUnsolved);
        break;
    case IDC_FEEDBACK_CLOSE:
        Answer(feedback::kAnswerClosed);
        break;
    case IDC_MORE_SOLUTIONS:
        if (m_feedback)
            m_feedback->OpenUrl(m_feedback->KnowledgeBaseUrl());
        break;
    default:
        break;
    }
}

LRESULT CProblemSolvingFeedbackChildDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND) {
        OnCommand(LOWORD(wp), HIWORD(wp));
        return 0;
    }
    return CLayeredChildDlg::WindowProc(msg, wp, lp);
}

} // namespace tsu
