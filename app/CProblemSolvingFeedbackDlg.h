#pragma once
// The question the tool asks when it closes: a layered host (template 132, PNG 179) with
// CProblemSolvingFeedbackChildDlg. It works out its scale factor itself.

#include "app/CLayeredHostDlg.h"
#include "app/CProblemSolvingFeedbackChildDlg.h"

namespace tsu {

class FeedbackBinding;

class CProblemSolvingFeedbackDlg : public CLayeredHostDlg {
public:
    explicit CProblemSolvingFeedbackDlg(HWND owner = nullptr);
    ~CProblemSolvingFeedbackDlg() override;

    // May be null: every button still works, only the library calls are skipped.
    void SetFeedback(const FeedbackBinding* feedback) { m_feedback = feedback; }
    [[nodiscard]] CProblemSolvingFeedbackChildDlg& Child() { return m_child; }

protected:
    BOOL OnInitToolDialog() override;
    void OnCancel() override { EndDialog(IDCANCEL); }
    [[nodiscard]] HWND ChildWindow() const override { return m_child.GetSafeHwnd(); }

private:
    CProblemSolvingFeedbackChildDlg m_child;
    const FeedbackBinding* m_feedback = nullptr;
};

} // namespace tsu
