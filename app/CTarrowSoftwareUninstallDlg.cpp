#include "app/CTarrowSoftwareUninstallDlg.h"

#include "app/AppMessages.h"
#include "app/CAboutDlg.h"
#include "app/CProblemSolvingFeedbackDlg.h"
#include "app/CPromptDlg.h"
#include "app/CSoftwareUninstallFunctionDlg.h"
#include "app/CSoftwareUninstallMainDlg.h"
#include "app/LayeredWindow.h"
#include "app/PictureFiles.h"
#include "app/SelfRemoval.h"
#include "app/core/ToolIdentity.h"
#include "controls/DrawingUtils.h"
#include "res/ResourceIds.h"

#include <vector>

namespace tsu {

namespace {

// Engines that take a picture maker get the icon cache's; engines that make the pictures
// themselves (in "\Image\" beside the executable) need nothing.
template <typename Engine>
auto SetUpPictures(Engine& engine, int) -> decltype(engine.SetPictureMaker(&MakeCachePicture), void()) {
    engine.SetPictureMaker(&MakeCachePicture);
}
template <typename Engine> void SetUpPictures(Engine&, long) {}

} // namespace

CTarrowSoftwareUninstallDlg::CTarrowSoftwareUninstallDlg(AppOptions options)
    : CToolDialog(IDD_TARROWSOFTWAREUNINSTALL_DIALOG, nullptr), m_options(std::move(options)),
      m_engine(m_options.locations ? *m_options.locations : InventoryLocations::Default()) {
    SetUpPictures(m_engine, 0);
}

CTarrowSoftwareUninstallDlg::~CTarrowSoftwareUninstallDlg() = default;

WindowBox CTarrowSoftwareUninstallDlg::PageBox() const {
    return InsetBox(WindowBoxOf(m_hWnd), kPageInset, m_scale);
}

void CTarrowSoftwareUninstallDlg::SetUpSystemMenuAndIcons() {
    if (HMENU menu = ::GetSystemMenu(m_hWnd, FALSE)) {
        wchar_t about[128] = {};
        if (::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUTBOX, about, 128) > 0) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(menu, MF_STRING, kAboutCommand, about);
        }
    }
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    m_bigIcon.Reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                                    ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0)));
    m_smallIcon.Reset(
        static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                        ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0)));
    if (m_bigIcon)
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon.Get()));
    if (m_smallIcon)
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.Get()));
    (void)ModifyStyle(0, WS_MINIMIZEBOX);
    (void)SetWindowText(kToolTitle);
}

BOOL CTarrowSoftwareUninstallDlg::OnInitToolDialog() {
    SetUpSystemMenuAndIcons();
    SetScale(ScreenScaleFactor());
    const WindowBox size = ScaledSize(kMainDesignWidth, kMainDesignHeight, m_scale);
    const SIZE screen = ScreenSize();
    const WindowBox box = CentredOnScreen(size.width, size.height, screen.cx, screen.cy);
    m_image = LoadPngResource(IDB_PNG_MAIN_BACKGROUND);
    if (!m_image || !ShowLayeredImage(m_hWnd, m_image.get(), box))
        return TRUE; // no background: no pages

    const WindowBox pages = InsetBox(box, kPageInset, m_scale);
    if (!m_options.feedbackFolder.empty())
        m_feedback.SetFolder(m_options.feedbackFolder);

    m_startPage = std::make_unique<CSoftwareUninstallMainDlg>();
    m_startPage->SetScale(m_scale);
    m_startPage->SetFeedback(&m_feedback);
    m_startPage->SetEngine(&m_engine);
    m_startPage->SetMainWindow(m_hWnd);
    if (m_startPage->Create(IDD_MAIN_PAGE, m_hWnd)) {
        (void)MoveWindowTo(m_startPage->GetSafeHwnd(), pages, false);
        m_startPage->ShowWindow(SW_SHOW);
    }

    m_functionPage = std::make_unique<CSoftwareUninstallFunctionDlg>(m_options.locations);
    m_functionPage->SetScale(m_scale);
    m_functionPage->SetEngine(&m_engine);
    m_functionPage->SetMainWindow(m_hWnd);
    if (m_functionPage->Create(IDD_FUNCTION_PAGE, m_hWnd)) {
        (void)MoveWindowTo(m_functionPage->GetSafeHwnd(), pages, false);
        m_functionPage->BuildContents();
    }
    m_initialised = true;
    return TRUE;
}

void CTarrowSoftwareUninstallDlg::OnShowPage(WPARAM page) {
    if (!m_startPage || !m_functionPage)
        return;
    if (page == kShowFunctionPage) {
        // The list is filled while its page is still hidden, and the page is shown and painted
        // before the start page goes: no frame shows the bare main window between the two.
        m_functionPage->FillConventionalList();
        m_functionPage->ShowWindow(SW_SHOW);
        ::RedrawWindow(m_functionPage->GetSafeHwnd(), nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        m_startPage->ShowWindow(SW_HIDE);
        m_shownPage = 1;
    } else {
        m_functionPage->ShowWindow(SW_HIDE);
        m_startPage->ShowWindow(SW_SHOW);
        m_shownPage = 0;
    }
}

void CTarrowSoftwareUninstallDlg::OnClose() {
    if (m_closing)
        return;
    // Asked again while the guard waits: the user will not wait for an uninstaller that may never
    // end. Unless the guard must see its task to the end, the tool closes now.
    if (m_functionPage && m_functionPage->IsClosePending() && !m_functionPage->StopWaiting())
        return;
    FinishClose();
}

void CTarrowSoftwareUninstallDlg::FinishClose() {
    if (m_closing)
        return;
    // A question still open further down the stack ends first (as cancelled); the close goes on
    // once its modal loop has unwound.
    if (!CPromptDlg::OpenPrompts().empty()) {
        CPromptDlg::CancelOpenPrompts();
        PostMessage(WM_CLOSE_WHEN_IDLE);
        return;
    }
    // Whatever asks to close (the pages' close buttons, the taskbar, Alt+F4): nothing a running
    // task can still reach is freed before the task ends.
    if (m_functionPage && m_functionPage->GuardClose())
        return;
    m_closing = true;
    if (!m_feedbackAsked) {
        m_feedbackAsked = true;
        AskClosingQuestion();
        // Work that started while the question was up (a click already on its way) is guarded
        // like any other: the tool waits for it and closes by itself afterwards.
        m_closing = false;
        if (m_functionPage && m_functionPage->GuardClose())
            return;
        m_closing = true;
    }
    EndDialog(IDCANCEL);
}

void CTarrowSoftwareUninstallDlg::AskClosingQuestion() {
    // The pages are top-level windows of their own: disabling the question's owner alone would
    // leave them clickable behind it.
    std::vector<HWND> disabled;
    for (CToolDialog* page : std::initializer_list<CToolDialog*>{m_startPage.get(), m_functionPage.get()}) {
        HWND hwnd = page ? page->GetSafeHwnd() : nullptr;
        if (hwnd && ::IsWindowEnabled(hwnd)) {
            ::EnableWindow(hwnd, FALSE);
            disabled.push_back(hwnd);
        }
    }
    CProblemSolvingFeedbackDlg feedback(m_hWnd);
    feedback.SetFeedback(&m_feedback);
    (void)feedback.DoModal();
    for (HWND hwnd : disabled) {
        if (::IsWindow(hwnd))
            ::EnableWindow(hwnd, TRUE);
    }
}

void CTarrowSoftwareUninstallDlg::OnDestroy() {
    m_image.reset();
    // The pages' windows are gone already (owned windows go before their owner).
    m_startPage.reset();
    m_functionPage.reset();
    if (m_options.removeFolderOnClose)
        StartSelfRemoval();
}

void CTarrowSoftwareUninstallDlg::OnMove() {
    if (!m_initialised || m_movingPages)
        return;
    m_movingPages = true;
    const WindowBox pages = PageBox();
    for (CToolDialog* page : std::initializer_list<CToolDialog*>{m_startPage.get(), m_functionPage.get()}) {
        if (page && page->GetSafeHwnd())
            (void)MoveWindowTo(page->GetSafeHwnd(), pages, true);
    }
    m_movingPages = false;
}

void CTarrowSoftwareUninstallDlg::RaisePages() {
    if (m_startPage)
        RaiseOwnedWindow(m_startPage->GetSafeHwnd());
    if (m_functionPage)
        RaiseOwnedWindow(m_functionPage->GetSafeHwnd());
}

bool CTarrowSoftwareUninstallDlg::OnSysCommand(WPARAM command) {
    if ((command & kSystemCommandMask) != kAboutCommand)
        return false;
    CAboutDlg about(m_hWnd);
    (void)about.DoModal();
    return true;
}

LRESULT CTarrowSoftwareUninstallDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SHOW_PAGE:
        OnShowPage(wp);
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_CLOSE_WHEN_IDLE:
        FinishClose();
        return 0;
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_MOVE:
        OnMove();
        break;
    case WM_SYSCOMMAND:
        if (OnSysCommand(wp))
            return 0;
        break;
    case WM_WINDOWPOSCHANGED: {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
        if (pos && ((pos->flags & SWP_SHOWWINDOW) || !(pos->flags & SWP_NOZORDER)))
            RaisePages();
        break;
    }
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE)
            RaisePages();
        break;
    default:
        break;
    }
    return CToolDialog::WindowProc(msg, wp, lp);
}

} // namespace tsu
