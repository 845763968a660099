#pragma once
// The main window (template 102): a layered host that shows PNG 139 and carries the two pages,
// the start page and the function page, inset on top of it. It owns the feedback binding and the
// uninstall engine and lends both to the pages; it asks the closing question once and removes the
// tool's own files when it is destroyed.

#include "app/AppOptions.h"
#include "app/CToolDialog.h"
#include "app/FeedbackBinding.h"
#include "app/core/WindowGeometry.h"
#include "framework/ScopedHandles.h"
#include "uninstall/engine/UninstallEngine.h"

#include <gdiplus.h>

#include <memory>

namespace tsu {

class CSoftwareUninstallMainDlg;
class CSoftwareUninstallFunctionDlg;

class CTarrowSoftwareUninstallDlg : public CToolDialog {
public:
    explicit CTarrowSoftwareUninstallDlg(AppOptions options = AppOptions());
    ~CTarrowSoftwareUninstallDlg() override;

    [[nodiscard]] CSoftwareUninstallMainDlg* StartPage() const { return m_startPage.get(); }
    [[nodiscard]] CSoftwareUninstallFunctionDlg* FunctionPage() const { return m_functionPage.get(); }
    [[nodiscard]] UninstallEngine& Engine() { return m_engine; }
    [[nodiscard]] FeedbackBinding& Feedback() { return m_feedback; }
    // 0 the start page, 1 the function page.
    [[nodiscard]] int ShownPage() const { return m_shownPage; }
    [[nodiscard]] bool IsInitialised() const { return m_initialised; }
    [[nodiscard]] bool HasAskedFeedback() const { return m_feedbackAsked; }
    // Whether the self-removal was started when the window went (for tests).

    // The pages' rectangle for the main window's current place.
    [[nodiscard]] WindowBox PageBox() const;

protected:
    BOOL OnInitToolDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void SetUpSystemMenuAndIcons();
    void OnShowPage(WPARAM page);
    void OnClose();
    void FinishClose();
    void AskClosingQuestion();
    void OnDestroy();
    void OnMove();
    void RaisePages();
    bool OnSysCommand(WPARAM command);

    AppOptions m_options;
    FeedbackBinding m_feedback;
    UninstallEngine m_engine;
    std::unique_ptr<Gdiplus::Image> m_image;
    std::unique_ptr<CSoftwareUninstallMainDlg> m_startPage;
    std::unique_ptr<CSoftwareUninstallFunctionDlg> m_functionPage;
    UniqueHicon m_bigIcon;
    UniqueHicon m_smallIcon;
    int m_shownPage = 0;
    bool m_initialised = false;
    bool m_closing = false;
    bool m_feedbackAsked = false;
    bool m_movingPages = false;
};

} // namespace tsu
