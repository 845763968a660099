#include "app/CIntelligenceUninstallDlg.h"

#include "app/AppMessages.h"
#include "app/CExecutePromptDlg.h"
#include "app/LayeredWindow.h"
#include "controls/DrawingUtils.h"
#include "framework/Messages.h"
#include "res/ResourceIds.h"
#include "uninstall/engine/EngineMessages.h"

namespace tsu {

namespace {

constexpr wchar_t kFirstNotice[] =
    L"智能卸载支持您将要卸载的程序图标拖动到下面的输入框中，工具会自动分析软件安装路径及相关文件，\r\n"
    L"您可以选择相关的文件进行卸载。如您电脑或者程序中有重要数据，请提前备份后再运行卸载。";
constexpr wchar_t kSecondNotice[] =
    L"注意：本工具不是杀毒软件，正在运行的程序是无法删除或者卸载的，这是系统本身限制，与工具无关。";
constexpr wchar_t kHint[] = L"可直接拖拽要卸载的程序快捷方式至此处";
constexpr wchar_t kTitleText[] = L"文件和文件夹分析结果（";
constexpr wchar_t kBracketText[] = L"）";
constexpr wchar_t kStandardNotice[] = L"检测到此软件具有标准卸载方式，点击卸载采用标准方式卸载。";
int LineHeight(HDC dc, HFONT font, int& leading) {
    const ScopedSelectObject select(dc, font);
    TEXTMETRICW metrics{};
    if (!::GetTextMetricsW(dc, &metrics))
        return 12;
    leading = metrics.tmExternalLeading;
    return metrics.tmHeight;
}

} // namespace

CIntelligenceUninstallDlg::CIntelligenceUninstallDlg(std::optional<InventoryLocations> locations)
    : CPageDlg(IDD_INTELLIGENCE_UNINSTALL, nullptr),
      m_engine(std::make_unique<IntelligenceEngine>(locations ? *locations : InventoryLocations::Default())) {}

CIntelligenceUninstallDlg::~CIntelligenceUninstallDlg() {
    FreeRowData();
    // The analysis worker works on the engine itself until it has reported its end.
    if (m_analysisRunning)
        (void)m_engine.release();
}

BOOL CIntelligenceUninstallDlg::OnInitToolDialog() {
    // The drop box lets the drag-and-drop messages through the integrity filter to itself alone.
    if (!BindControls({{&m_drop, IDC_DROP_EDIT},
                       {&m_title, IDC_RESULT_TITLE},
                       {&m_count, IDC_RESULT_COUNT},
                       {&m_bracket, IDC_RESULT_BRACKET},
                       {&m_list, IDC_RESULT_LIST},
                       {&m_notice, IDC_STANDARD_UNINSTALL_NOTICE},
                       {&m_uninstall, IDC_SMART_UNINSTALL_BUTTON}}))
        return FALSE;
    if (!m_image)
        m_image = LoadPngResource(IDB_PNG_WHITE_PANEL);
    if (!m_image)
        return TRUE;
    m_initialised = true;
    (void)m_engine->SetOwnerWindow(m_hWnd);
    return TRUE;
}

int CIntelligenceUninstallDlg::MeasureTitle(const std::wstring& text) {
    UniqueWindowDc dc(m_hWnd);
    const int width = MeasureWindowTextWidth(m_hWnd, dc.Get(), text, 1, 600);
    return width > 0 ? width : 0;
}

void CIntelligenceUninstallDlg::SetUpLabel(CDrawTextStatic& label, const wchar_t* text, int alignment, COLORREF colour,
                                           const RECT& pieceRect) {
    (void)label.SetWindowText(text);
    label.SetBackground(m_image.get());
    (void)label.SetFontFromParent(1, 600);
    label.SetAlignment(alignment);
    label.SetBackgroundColour(RGB(255, 255, 255));
    label.SetTextColors(colour, colour);
    label.SetBackgroundRect(pieceRect.left, pieceRect.top, pieceRect.right, pieceRect.bottom);
}

void CIntelligenceUninstallDlg::LayoutControls(bool first) {
    m_clientRect = GetClientRect();
    const int L = m_clientRect.left;
    const int T = m_clientRect.top;
    const int R = m_clientRect.right;
    const int B = m_clientRect.bottom;

    (void)m_drop.MoveWindow(RECT{L + S(20), S(88), R - S(20), S(88) + S(20)});
    const int w1 = MeasureTitle(kTitleText);
    const int w2 = MeasureTitle(L"0");
    const int w3 = MeasureTitle(kBracketText);
    if (first) {
        const RECT titlePiece{10, 20, 100, 40};
        SetUpLabel(m_title, kTitleText, 4, RGB(0, 0, 0), titlePiece);
        SetUpLabel(m_count, L"0", 2, kCountColour, titlePiece);
        SetUpLabel(m_bracket, kBracketText, 2, RGB(0, 0, 0), titlePiece);
        SetUpLabel(m_notice, kStandardNotice, 2, RGB(0, 0, 0), RECT{20, 140, 714, 471});
    }
    const int top = T + S(114);
    const int height = S(20);
    (void)m_title.MoveWindow(RECT{L + S(20), top, L + S(20) + w1, top + height});
    (void)m_count.MoveWindow(RECT{L + S(20) + w1, top, L + S(20) + w1 + w2, top + height});
    (void)m_bracket.MoveWindow(RECT{L + S(20) + w1 + w2, top, L + S(20) + w1 + w2 + w3, top + height});
    (void)m_notice.MoveWindow(RECT{L + S(22), T + S(142), R - S(22), B - S(62)});
    m_notice.ShowWindow(SW_HIDE);
    (void)m_list.MoveWindow(RECT{L + S(20), T + S(140), R - S(20), B - S(60)});
    const int left = L + R - S(178);
    const int buttonTop = T + B - S(50);
    (void)m_uninstall.MoveWindow(RECT{left, buttonTop, left + S(158), buttonTop + S(40)});
    if (first) {
        m_uninstall.SetBackground(m_image.get());
        m_uninstall.SetBackgroundRect(556, 481, 714, 521);
        m_uninstall.SetHitInset(0, 0, 0, 0);
        m_uninstall.SetImageStrip(IDB_PNG_UNINSTALL_STRIP);
    }
}

void CIntelligenceUninstallDlg::SetupColumns() {
    m_list.ShowCheckAll(TRUE);
    m_list.SetScale(m_scale);
    m_list.SetHeaderExtraHeight(20);
    const RECT client = m_list.GetClientRect();
    const int width = client.right - client.left;
    m_list.InsertColumn(0, ListColumn{width - S(220), L"路径", S(200)});
    m_list.InsertColumn(1, ListColumn{S(200), L"说明", S(100)});
}

bool CIntelligenceUninstallDlg::PaintBackground(HDC target) {
    if (!m_image)
        m_image = LoadPngResource(IDB_PNG_WHITE_PANEL);
    if (!m_image)
        return false;
    const RECT client = GetClientRect();
    DrawStretched(target, m_image.get(), client);
    if (!m_noticeFont)
        CreateDerivedFont(m_hWnd, 0, 0, m_noticeFont);
    if (!m_hintFont)
        CreateDerivedFont(m_hWnd, 1, 600, m_hintFont);
    ::SetBkMode(target, TRANSPARENT);
    {
        const ScopedSelectObject font(target, m_noticeFont.Get());
        int leading = 0;
        const int line = LineHeight(target, m_noticeFont.Get(), leading);
        RECT first{client.left + S(20), client.top + S(10), client.right - S(20),
                   client.top + S(10) + 2 * line + leading};
        ::SetTextColor(target, RGB(128, 128, 128));
        DrawTextInRect(target, kFirstNotice, first, DT_WORDBREAK | DT_VCENTER | DT_EXTERNALLEADING | DT_NOPREFIX);
        RECT second{first.left, first.bottom + S(2), first.right, first.bottom + S(2) + line + leading};
        ::SetTextColor(target, RGB(0, 0, 0));
        ::DrawTextW(target, kSecondNotice, -1, &second, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        const ScopedSelectObject hintFont(target, m_hintFont.Get());
        int hintLeading = 0;
        const int hintLine = LineHeight(target, m_hintFont.Get(), hintLeading);
        RECT hint{first.left, second.bottom + S(6), first.right, second.bottom + S(6) + hintLine + hintLeading};
        ::DrawTextW(target, kHint, -1, &hint, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    return true;
}

void CIntelligenceUninstallDlg::OnDestroy() {
    m_uninstall.ReleaseImages();
    m_image.reset();
    m_progress.reset();
    FreeRowData();
    if (m_list.GetSafeHwnd()) {
        m_list.DeleteAllRows();
        m_list.ReleaseImages();
    }
}

LRESULT CIntelligenceUninstallDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wp) == IDC_SMART_UNINSTALL_BUTTON && HIWORD(wp) == BN_CLICKED) {
            OnUninstallClicked();
            return 0;
        }
        break;
    case WM_DROPEDIT_FILE:
        OnDrop(reinterpret_cast<const wchar_t*>(wp));
        return 1;
    case WM_ANALYSIS_STATE:
        OnAnalysisState(reinterpret_cast<const wchar_t*>(wp), lp);
        return 1;
    case WM_DISPLAY_RESULTS:
        DisplayResults();
        return 0;
    case WM_CLOSE_PROGRESS:
        if (m_progress)
            m_progress->RequestClose();
        return 1;
    case WM_STANDARD_UNINSTALL_RESULT:
        OnStandardUninstallResult(wp);
        return 0;
    case WM_DELETE_RESULT:
        OnDeleteResult(wp);
        return 0;
    default:
        break;
    }
    return CPageDlg::WindowProc(msg, wp, lp);
}

} // namespace tsu
