#pragma once
// The closing question's child (template 131): "解决", "未解决", "更多方案" and the close button
// on PNG 180, which carries the question itself. Every answer is reported through the feedback
// library (when the dialog has a binding) and closes the host; "更多方案" opens the knowledge base
// and leaves the dialog open.

#include "app/CLayeredHostDlg.h"
#include "controls/buttons/CImageButton.h"
#include "controls/buttons/CPngButton.h"

namespace tsu {

class FeedbackBinding;

class CProblemSolvingFeedbackChildDlg : public CLayeredChildDlg {
public:
    CProblemSolvingFeedbackChildDlg();
    ~CProblemSolvingFeedbackChildDlg() override;

    void SetFeedback(const FeedbackBinding* feedback) { m_feedback = feedback; }

protected:
    BOOL OnInitToolDialog() override;
    void LayoutControls() override;
    bool OnCommand(UINT id, UINT code) override;

private:
    void Answer(int answer);

    CPngButton m_close;
    CImageButton m_solved;
    CImageButton m_unsolved;
    CImageButton m_moreSolutions;
    const FeedbackBinding* m_feedback = nullptr;
};

} // namespace tsu
