#include "app/CSoftwareUninstallMainDlg.h"

#include "app/AppMessages.h"
#include "app/CExecutePromptDlg.h"
#include "app/CTooltipDlg.h"
#include "app/FeedbackBinding.h"
#include "app/LayeredWindow.h"
#include "app/core/PageRules.h"
#include "app/core/ToolIdentity.h"
#include "app/core/WindowGeometry.h"
#include "controls/DrawingUtils.h"
#include "res/ResourceIds.h"
#include "uninstall/engine/EngineMessages.h"

#include <windowsx.h>

namespace tsu {

namespace {
} // namespace

CSoftwareUninstallMainDlg::CSoftwareUninstallMainDlg() : CPageDlg(IDD_MAIN_PAGE, nullptr) {}

CSoftwareUninstallMainDlg::~CSoftwareUninstallMainDlg() = default;

BOOL CSoftwareUninstallMainDlg::OnInitToolDialog() {
    if (!m_image)
        m_image = LoadPngResource(IDB_PNG_START_PAGE);
    if (!m_image)
        return TRUE; // no background: no checks, no timers
    RunInitialisationSequence();
    if (!SetUpControls())
        return FALSE;
    LayoutControls();
    (void)SetTimer(kHoverTimer, kStartPageTimerMs);
    (void)SetTimer(kVersionCheckTimer, kStartPageTimerMs);
    m_initialised = true;
    return FALSE;
}

void CSoftwareUninstallMainDlg::ToggleTermsViewer() {
    if (!m_termsViewer) {
        auto viewer = std::make_unique<CTooltipDlg>();
        viewer->SetScale(m_scale);
        if (!viewer->Create(IDD_TOOLTIP, m_hWnd))
            return;
        m_termsViewer = std::move(viewer);
    }
    m_termsViewer->PlaceAt(TermsViewerBox(WindowBoxOf(m_hWnd), m_scale));
    m_termsViewer->ShowViewer(!m_termsViewer->IsViewerVisible());
}

void CSoftwareUninstallMainDlg::HideTermsViewer() {
    if (m_termsViewer && m_termsViewer->IsViewerVisible())
        m_termsViewer->ShowViewer(false);
}

void CSoftwareUninstallMainDlg::OnCommand(UINT id, UINT code) {
    switch (id) {
    case IDC_CLOSE_BUTTON:
        if (code == BN_CLICKED)
            ::SendMessageW(m_mainWindow, WM_CLOSE, 0, 0);
        break;
    case IDC_MINIMIZE_BUTTON:
        if (code == BN_CLICKED)
            ::PostMessageW(m_mainWindow, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        break;
    case IDC_START_BUTTON:
        if (code == BN_CLICKED && m_start.IsWindowEnabled())
            OnStartClicked();
        break;
    case IDC_MORE_TOOLS:
        if (code == BN_CLICKED && m_feedback)
            m_feedback->OpenUrl(m_feedback->MoreToolsUrl());
        break;
    case IDC_AGREE_CHECK:
        if (code == BN_CLICKED) {
            m_start.EnableWindow(m_agree.GetCheck() == BST_CHECKED);
            m_start.Invalidate(true);
        }
        break;
    case IDC_TERMS_LABEL:
        if (code == STN_CLICKED)
            ToggleTermsViewer();
        break;
    case IDC_FEEDBACK_LABEL:
        if (code == STN_CLICKED && m_feedback)
            m_feedback->FeedbackQuestion(kToolId, kToolVersion);
        break;
    default:
        break;
    }
}

LRESULT CSoftwareUninstallMainDlg::OnNcHitTest(LPARAM lp) {
    const POINT screen{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    m_feedbackLabel.UpdateHot(screen);
    m_terms.UpdateHot(screen);
    return DragStripHitTest(lp);
}

void CSoftwareUninstallMainDlg::OnLButtonDown(POINT clientPoint) {
    POINT screen = clientPoint;
    ClientToScreen(screen);
    // The labels answer clicks themselves (STN_CLICKED); a press anywhere else closes the viewer.
    if (!m_terms.HitTest(screen) && !m_feedbackLabel.HitTest(screen))
        HideTermsViewer();
}

void CSoftwareUninstallMainDlg::OnGlobalLButtonDown() {
    if (!m_termsViewer || !m_termsViewer->IsViewerVisible())
        return;
    POINT cursor{};
    if (!::GetCursorPos(&cursor))
        return;
    const RECT page = GetWindowRect();
    const bool inPage = ::PtInRect(&page, cursor) != FALSE;
    if (ShouldHideTermsViewer(inPage, m_terms.HitTest(cursor), m_termsViewer->Contains(cursor),
                              m_termsViewer->IsViewerVisible()))
        HideTermsViewer();
}

void CSoftwareUninstallMainDlg::OnTimer(UINT_PTR id) {
    if (id == kVersionCheckTimer) {
        CheckForNewVersion();
    } else if (id == kHoverTimer) {
        POINT cursor{};
        if (::GetCursorPos(&cursor)) {
            m_terms.UpdateHot(cursor);
            m_feedbackLabel.UpdateHot(cursor);
        }
    }
}

void CSoftwareUninstallMainDlg::OnDestroy() {
    KillTimer(kHoverTimer);
    KillTimer(kVersionCheckTimer);
    m_close.ReleaseImages();
    m_minimize.ReleaseImages();
    m_start.ReleaseImages();
    m_moreTools.ReleaseImages();
    m_wait.reset();
    m_termsViewer.reset();
    m_hook.Uninstall();
}

LRESULT CSoftwareUninstallMainDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_NCHITTEST:
        return OnNcHitTest(lp);
    case WM_SIZE:
        if (m_initialised)
            LayoutControls();
        break;
    case WM_LBUTTONDOWN:
        OnLButtonDown(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        break;
    case WM_NCLBUTTONDOWN:
        // Starting to drag the page is a press outside the viewer too.
        HideTermsViewer();
        break;
    case WM_GLOBAL_LBUTTONDOWN:
        OnGlobalLButtonDown();
        return 0;
    case WM_TIMER:
        OnTimer(wp);
        return 0;
    case WM_CLOSE_PROGRESS:
        if (m_wait)
            m_wait->RequestClose();
        return 1;
    case WM_SOFTWARE_LOADED:
        OnSoftwareLoaded(wp);
        return 0;
    default:
        break;
    }
    return CPageDlg::WindowProc(msg, wp, lp);
}

} // namespace tsu
