#pragma once
// The start page (template 137): title, version, the consent line with the terms label, "开始运行",
// "更多工具" and "反馈问题". Its initialisation runs the tool's numbered start-up checks; its start
// button has the engine read the installed programs behind the wait dialog.

#include "app/ClickHook.h"
#include "app/CPageDlg.h"
#include "controls/CDrawTextStatic.h"
#include "controls/buttons/CCheckBoxBtn.h"
#include "controls/buttons/CImageButton.h"
#include "controls/buttons/CPngButton.h"
#include "framework/ScopedHandles.h"

#include <gdiplus.h>

#include <functional>
#include <memory>
#include <string>

namespace tsu {

class CExecutePromptDlg;
class CTooltipDlg;
class FeedbackBinding;
class UninstallEngine;

class CSoftwareUninstallMainDlg : public CPageDlg {
public:
    CSoftwareUninstallMainDlg();
    ~CSoftwareUninstallMainDlg() override;

    void SetFeedback(FeedbackBinding* feedback) { m_feedback = feedback; }
    void SetEngine(UninstallEngine* engine) { m_engine = engine; }

    // How a failed start-up check ends the process (the runtime's exit with 0); tests replace it.

    [[nodiscard]] bool IsInitialised() const { return m_initialised; }
    [[nodiscard]] CTooltipDlg* TermsViewer() const { return m_termsViewer.get(); }
    [[nodiscard]] CExecutePromptDlg* WaitDialog() const { return m_wait.get(); }
    [[nodiscard]] bool IsVersionChecked() const { return m_versionChecked; }

    // What the terms label and a click elsewhere do (also reachable from tests).
    void ToggleTermsViewer();
    void HideTermsViewer();

protected:
    BOOL OnInitToolDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // Start-up (CSoftwareUninstallMainDlgStartup.cpp).
    bool RunInitialisationSequence();
    [[noreturn]] void FailStartup(const wchar_t* logLine, const wchar_t* promptText);
    void CheckForNewVersion();
    void OnStartClicked();
    void OnSoftwareLoaded(WPARAM result);

    // Layout and painting (CSoftwareUninstallMainDlgLayout.cpp).
    [[nodiscard]] bool SetUpControls();
    void LayoutControls();
    bool PaintBackground(HDC dc) override;
    int CharacterWidth();

    // Input.
    void OnCommand(UINT id, UINT code);
    LRESULT OnNcHitTest(LPARAM lp);
    void OnLButtonDown(POINT clientPoint);
    void OnGlobalLButtonDown();
    void OnTimer(UINT_PTR id);
    void OnDestroy() override;

    FeedbackBinding* m_feedback = nullptr;
    UninstallEngine* m_engine = nullptr;
    ClickHook m_hook;
    std::unique_ptr<CExecutePromptDlg> m_wait;
    std::unique_ptr<CTooltipDlg> m_termsViewer;
    std::unique_ptr<Gdiplus::Image> m_image;
    UniqueHfont m_titleFont;

    CPngButton m_close;
    CPngButton m_minimize;
    CDrawTextStatic m_version;
    CImageButton m_start;
    CImageButton m_moreTools;
    CCheckBoxBtn m_agree;
    CDrawTextStatic m_terms;
    CDrawTextStatic m_feedbackLabel;

    bool m_initialised = false;
    bool m_versionChecked = false;
};

} // namespace tsu
