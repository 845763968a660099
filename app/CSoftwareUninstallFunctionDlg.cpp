#include "app/CSoftwareUninstallFunctionDlg.h"

#include "app/AppMessages.h"
#include "app/CConventionalUninstallDlg.h"
#include "app/CIntelligenceUninstallDlg.h"
#include "app/CPromptDlg.h"
#include "app/LayeredWindow.h"
#include "app/core/DialogRules.h"
#include "app/core/ToolIdentity.h"
#include "controls/DrawingUtils.h"
#include "log/CLogSave.h"
#include "res/ResourceIds.h"
#include "uninstall/engine/EngineMessages.h"
#include "uninstall/engine/UninstallEngine.h"

#include <windowsx.h>

namespace tsu {

namespace {

constexpr int kConventionalTab = 0;
constexpr int kIntelligenceTab = 1;
constexpr int kMinTabWidth = 80; // pixels, not scaled
constexpr COLORREF kWhite = RGB(255, 255, 255);

} // namespace

CSoftwareUninstallFunctionDlg::CSoftwareUninstallFunctionDlg(std::optional<InventoryLocations> locations)
    : CPageDlg(IDD_FUNCTION_PAGE, nullptr), m_locations(std::move(locations)) {}

CSoftwareUninstallFunctionDlg::~CSoftwareUninstallFunctionDlg() = default;

BOOL CSoftwareUninstallFunctionDlg::OnInitToolDialog() {
    m_image = LoadPngResource(IDB_PNG_FUNCTION_PAGE);
    m_panel = LoadPngResource(IDB_PNG_WHITE_PANEL);
    if (!BindControls({{&m_close, IDC_FUNCTION_CLOSE},
                       {&m_minimize, IDC_FUNCTION_MINIMIZE},
                       {&m_version, IDC_FUNCTION_VERSION_LABEL}}))
        return FALSE;
    m_initialised = true;
    return FALSE;
}

void CSoftwareUninstallFunctionDlg::BuildContents() {
    const RECT client = GetClientRect();
    const int w = client.right;
    const int h = client.bottom;

    m_close.SetImages(IDB_PNG_CLOSE_NORMAL, IDB_PNG_CLOSE_HOVER, IDB_PNG_CLOSE_PRESSED, IDB_PNG_CLOSE_DISABLED);
    m_minimize.SetImages(IDB_PNG_MINIMIZE_NORMAL, IDB_PNG_MINIMIZE_HOVER, IDB_PNG_MINIMIZE_PRESSED,
                         IDB_PNG_MINIMIZE_DISABLED);
    (void)m_close.MoveWindow(RECT{w - S(31.2), 0, w - S(31.2) + S(26), S(34)});
    (void)m_minimize.MoveWindow(RECT{w - S(59.8), 0, w - S(59.8) + S(26), S(34)});
    for (CPngButton* button : {&m_close, &m_minimize}) {
        button->SetScale(m_scale);
        button->SetBackground(m_image.get());
        const RECT piece = BackgroundPieceFor(m_hWnd, button->GetSafeHwnd(), m_image.get());
        button->SetBackgroundRect(piece.left, piece.top, piece.right, piece.bottom);
    }
    (void)m_version.SetWindowText(kToolVersion);
    (void)m_version.SetFontFromParent(0, 0);
    m_version.SetTextColors(kWhite, kWhite);
    m_version.SetAlignment(CDrawTextStatic::kSingleLineLeft);
    m_version.SetBackground(m_image.get());
    m_version.SetBackgroundRect(160, 16, 310, 31);
    (void)m_version.MoveWindow(RECT{S(160), S(16), S(160) + S(150), S(16) + S(15)});

    if (m_tab.SubclassDlgItem(IDC_FUNCTION_TAB, m_hWnd)) {
        // Every tab takes the set item size, whatever its text's width.
        (void)m_tab.ModifyStyle(0, TCS_FIXEDWIDTH);
        (void)m_tab.MoveWindow(RECT{S(55), S(48), w - S(55), S(48) + S(42)});
        (void)m_tab.SetFontFromParent(0, 0);
        (void)m_tab.InsertItem(kConventionalTab, L"常规卸载");
        (void)m_tab.InsertItem(kIntelligenceTab, L"智能卸载");
        m_tab.SetItemSize(S(100), S(30));
        m_tab.SetMinTabWidth(kMinTabWidth);
        (void)m_tab.SetCurSel(kConventionalTab);
    }

    // Both page templates make their lists by class name.
    if (!CMultilineList::RegisterWindowClass()) {
        WriteToolLog(L"注册列表窗口类失败");
        return;
    }
    const RECT pageRect{S(34), S(80), w - S(34), h - S(24)};
    m_conventional = std::make_unique<CConventionalUninstallDlg>();
    m_conventional->SetEngine(m_engine);
    m_conventional->SetScale(m_scale);
    if (m_conventional->Create(IDD_CONVENTIONAL_UNINSTALL, m_hWnd)) {
        (void)m_conventional->MoveWindow(pageRect);
        m_conventional->ShowWindow(SW_SHOW);
        m_conventional->LayoutControls(true);
        m_conventional->SetupColumns();
    }
    m_intelligence = std::make_unique<CIntelligenceUninstallDlg>(m_locations);
    m_intelligence->SetScale(m_scale);
    if (m_intelligence->Create(IDD_INTELLIGENCE_UNINSTALL, m_hWnd)) {
        (void)m_intelligence->MoveWindow(pageRect);
        m_intelligence->LayoutControls(true);
        m_intelligence->SetupColumns();
    }
}

void CSoftwareUninstallFunctionDlg::FillConventionalList() {
    if (m_conventional && m_conventional->GetSafeHwnd())
        m_conventional->FillList();
}

void CSoftwareUninstallFunctionDlg::SelectTab(int index) {
    if (!m_tab.GetSafeHwnd())
        return;
    (void)m_tab.SetCurSel(index);
    OnTabChanged();
}

void CSoftwareUninstallFunctionDlg::OnTabChanged() {
    if (!m_conventional || !m_intelligence)
        return;
    if (m_tab.GetCurSel() == kConventionalTab) {
        // Back on the program list: it is read anew, results to this page.
        if (m_engine) {
            (void)m_engine->SetOwnerWindow(m_hWnd);
            (void)m_engine->StartRefresh();
        }
        m_intelligence->ShowWindow(SW_HIDE);
        m_conventional->ShowWindow(SW_SHOW);
    } else {
        m_conventional->ShowWindow(SW_HIDE);
        m_intelligence->ShowWindow(SW_SHOW);
    }
}

void CSoftwareUninstallFunctionDlg::OnSoftwareLoaded(WPARAM result) {
    if (result == kSoftwareLoaded) {
        FillConventionalList();
    } else if (result == kSoftwareEmpty) {
        WriteToolLog(L"获取当前系统已安装的软件失败11");
        (void)CPromptDlg::Show(nullptr, m_scale, kPromptStyleConfirm, L"获取当前系统已安装的软件失败！");
    }
}

BusyState CSoftwareUninstallFunctionDlg::CurrentBusyState() const {
    BusyState busy;
    if (m_engine) {
        busy.uninstallRunning = m_engine->IsBusy();
        // The worker counts as running from before it picks up its first record.
        busy.uninstallQueued = m_engine->IsWorkerRunning() && !busy.uninstallRunning;
        busy.inventoryRunning = m_engine->IsInventoryWorkRunning();
    }
    if (m_intelligence) {
        busy.standardUninstall = m_intelligence->IsStandardUninstallRunning();
        busy.analysisOrDeletion = m_intelligence->IsAnalysisOrDeletionRunning();
    }
    return busy;
}

bool CSoftwareUninstallFunctionDlg::GuardClose() {
    if (m_waitStopped)
        return false;
    const CloseDecision decision = DecideClose(CurrentBusyState());
    if (decision == CloseDecision::CloseNow)
        return false;
    if (m_closePending)
        return true;
    if (decision == CloseDecision::WarnThenWait)
        (void)CPromptDlg::Show(nullptr, m_scale, kPromptStyleConfirm, L"正在有卸载的软件，请勿关闭程序");
    m_closePending = true;
    if (!SetTimer(kCloseWaitTimer, kCloseWaitIntervalMs))
        WriteToolLog(L"创建等待关闭软件线程失败");
    // The running uninstaller is waited for; queued programs go back to their button and no
    // further one starts.
    if (m_conventional) {
        m_conventional->StopEngine();
        m_conventional->ReleaseQueue();
    }
    return true;
}

bool CSoftwareUninstallFunctionDlg::StopWaiting() {
    if (m_waitStopped)
        return true;
    const BusyState busy = CurrentBusyState();
    if (!MayStopWaitingOnSecondClose(busy))
        return false;
    m_waitStopped = true;
    m_closePending = false;
    KillTimer(kCloseWaitTimer);
    // The engine outlives this window and its worker still waits for the uninstaller, which may
    // never end; nothing else is started after it.
    if (m_conventional) {
        m_conventional->StopEngine();
        m_conventional->ReleaseQueue();
    }
    if (!IsIdle(busy))
        WriteToolLog(L"用户再次关闭，不再等待正在运行的卸载程序");
    return true;
}

void CSoftwareUninstallFunctionDlg::OnCloseWaitTimer() {
    if (!IsIdle(CurrentBusyState()))
        return;
    KillTimer(kCloseWaitTimer);
    ::PostMessageW(m_mainWindow, WM_CLOSE_WHEN_IDLE, 0, 0);
}

void CSoftwareUninstallFunctionDlg::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED)
        return;
    if (id == IDC_FUNCTION_CLOSE) {
        // The main window's close runs the guard (and the closing question once).
        ::SendMessageW(m_mainWindow, WM_CLOSE, 0, 0);
    } else if (id == IDC_FUNCTION_MINIMIZE) {
        ::PostMessageW(m_mainWindow, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    }
}

LRESULT CSoftwareUninstallFunctionDlg::OnNotify(const NMHDR* header) {
    if (header && header->idFrom == IDC_FUNCTION_TAB && header->code == TCN_SELCHANGE)
        OnTabChanged();
    return 0;
}

bool CSoftwareUninstallFunctionDlg::PaintBackground(HDC dc) {
    const RECT client = GetClientRect();
    DrawStretched(dc, m_image.get(), client);
    DrawStretched(dc, m_panel.get(), RECT{S(34), S(44), client.right - S(34), client.bottom - S(24)});
    DrawToolTitle(m_hWnd, dc, m_scale, m_titleFont);
    return m_image && m_panel;
}

void CSoftwareUninstallFunctionDlg::OnDestroy() {
    KillTimer(kCloseWaitTimer);
    m_close.ReleaseImages();
    m_minimize.ReleaseImages();
    if (m_conventional)
        m_conventional->StopEngine();
    m_conventional.reset();
    m_intelligence.reset();
}

LRESULT CSoftwareUninstallFunctionDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<const NMHDR*>(lp));
    case WM_NCHITTEST:
        return DragStripHitTest(lp);
    case WM_TIMER:
        if (wp == kCloseWaitTimer) {
            OnCloseWaitTimer();
            return 0;
        }
        break;
    case WM_SOFTWARE_LOADED:
        OnSoftwareLoaded(wp);
        return 0;
    case WM_CLOSE_PROGRESS:
        return 1; // a refresh runs without a wait dialog
    default:
        break;
    }
    return CPageDlg::WindowProc(msg, wp, lp);
}

} // namespace tsu
