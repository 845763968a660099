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
    if (!BindControls({{&m_close, IDC_FEEDBACK_CLOSE},
                       {&m_solved, IDC_SOLVED},
                       {&m_unsolved, IDC_UNSOLVED},
                       {&m_moreSolutions, IDC_MORE_SOLUTIONS}}))
        return FALSE;
    m_close.SetImages(IDB_PNG_FEEDBACK_CLOSE_NORMAL, IDB_PNG_FEEDBACK_CLOSE_HOVER, IDB_PNG_FEEDBACK_CLOSE_PRESSED,
                      IDB_PNG_FEEDBACK_CLOSE_DISABLED);
    m_solved.SetImages(IDB_PNG_SOLVED_NORMAL, IDB_PNG_SOLVED_HOVER, IDB_PNG_SOLVED_PRESSED, IDB_PNG_SOLVED_DISABLED);
    m_unsolved.SetImages(IDB_PNG_UNSOLVED_NORMAL, IDB_PNG_UNSOLVED_HOVER, IDB_PNG_UNSOLVED_PRESSED,
                         IDB_PNG_UNSOLVED_DISABLED);
    m_moreSolutions.SetImages(IDB_PNG_MORE_SOLUTIONS_NORMAL, IDB_PNG_MORE_SOLUTIONS_HOVER,
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
    ShowBackgroundPiece(m_close);
    ShowBackgroundPiece(m_solved);
    ShowBackgroundPiece(m_unsolved);
    ShowBackgroundPiece(m_moreSolutions);
}

void CProblemSolvingFeedbackChildDlg::Answer(int answer) {
    if (m_feedback) {
        m_feedback->CustomerFeedbackEx(kToolId, kToolVersion, answer, FeedbackTimeText(std::time(nullptr)));
        m_feedback->FeedbackQuestion(kToolId, kToolVersion);
    }
    CloseHost();
}

bool CProblemSolvingFeedbackChildDlg::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED)
        return true;
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
    return true;
}

} // namespace tsu
