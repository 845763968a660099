// The start page's controls: their looks, their places and the page's background with its title.

#include "app/CSoftwareUninstallMainDlg.h"

#include "app/AppMessages.h"
#include "app/LayeredWindow.h"
#include "app/core/ToolIdentity.h"
#include "controls/DrawingUtils.h"
#include "res/ResourceIds.h"

namespace tsu {

namespace {

constexpr wchar_t kTermsText[] = L"《Veltor服务工具使用许可协议》";
constexpr wchar_t kFeedbackText[] = L"反馈问题";
constexpr wchar_t kConsentLine[] = L"同意《Veltor服务工具使用许可协议》";
constexpr int kConsentLineCharacters = 14;
constexpr COLORREF kLinkColour = RGB(92, 92, 255);
constexpr COLORREF kLinkHotColour = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

} // namespace

bool CSoftwareUninstallMainDlg::SetUpControls() {
    if (!BindControls({{&m_close, IDC_CLOSE_BUTTON},
                       {&m_minimize, IDC_MINIMIZE_BUTTON},
                       {&m_version, IDC_VERSION_LABEL},
                       {&m_start, IDC_START_BUTTON},
                       {&m_moreTools, IDC_MORE_TOOLS},
                       {&m_agree, IDC_AGREE_CHECK},
                       {&m_terms, IDC_TERMS_LABEL},
                       {&m_feedbackLabel, IDC_FEEDBACK_LABEL}}))
        return false;

    m_close.SetImages(IDB_PNG_CLOSE_NORMAL, IDB_PNG_CLOSE_HOVER, IDB_PNG_CLOSE_PRESSED, IDB_PNG_CLOSE_DISABLED);
    m_minimize.SetImages(IDB_PNG_MINIMIZE_NORMAL, IDB_PNG_MINIMIZE_HOVER, IDB_PNG_MINIMIZE_PRESSED,
                         IDB_PNG_MINIMIZE_DISABLED);
    for (CPngButton* button : {&m_close, &m_minimize}) {
        button->SetScale(m_scale);
        button->SetBackground(m_image.get());
    }

    (void)m_version.SetWindowText(kToolVersion);
    (void)m_version.SetFontFromParent(0, 0);
    m_version.SetTextColors(kWhite, kWhite);
    m_version.SetAlignment(CDrawTextStatic::kSingleLineLeft);
    m_version.SetBackground(m_image.get());
    m_version.SetBackgroundRect(160, 16, 310, 31);

    m_start.SetImageStrip(IDB_PNG_START_STRIP);
    m_start.SetBackground(m_image.get());
    m_moreTools.SetImages(IDB_PNG_MORE_TOOLS_NORMAL, IDB_PNG_MORE_TOOLS_HOVER, IDB_PNG_MORE_TOOLS_PRESSED,
                          IDB_PNG_MORE_TOOLS_DISABLED);
    m_moreTools.SetBackground(m_image.get());

    m_agree.SetFontFromParent();
    m_agree.SetScale(m_scale);
    m_agree.SetBackground(m_image.get());
    m_agree.SetCheck(BST_CHECKED); // consent starts given

    for (CDrawTextStatic* label : {&m_terms, &m_feedbackLabel}) {
        (void)label->SetFontFromParent(0, 0);
        label->SetTextColors(kLinkColour, kLinkHotColour);
        label->SetBackgroundColour(kWhite);
        label->SetAlignment(CDrawTextStatic::kSingleLineLeft);
    }
    (void)m_terms.SetWindowText(kTermsText);
    (void)m_feedbackLabel.SetWindowText(kFeedbackText);
    return true;
}

int CSoftwareUninstallMainDlg::CharacterWidth() {
    UniqueWindowDc dc(m_hWnd);
    const int width = MeasureWindowTextWidth(m_hWnd, dc.Get(), kConsentLine, 0, 0);
    return width > 0 ? width / kConsentLineCharacters : S(12);
}

void CSoftwareUninstallMainDlg::LayoutControls() {
    const RECT client = GetClientRect();
    const int w = client.right;
    const int h = client.bottom;
    const auto place = [this](CWnd& control, int x, int y, int width, int height) {
        (void)control.MoveWindow(RECT{x, y, x + width, y + height});
    };

    place(m_close, w - S(31.2), 0, S(26), S(34));
    place(m_minimize, w - S(59.8), 0, S(26), S(34));
    place(m_version, S(160), S(16), S(150), S(15));

    if (w <= 400) {
        // A page squeezed this narrow keeps the buttons at their design size.
        place(m_start, w / 2 - 129, h / 2 + 50, 259, 85);
        m_start.SetHitInset(19, 19, 19, 19);
        place(m_moreTools, 60, h - 70, 58, 18);
    } else {
        place(m_start, S(800) / 2 - S(259) / 2, S(600) / 2 - S(50), S(259), S(85));
        m_start.SetHitInset(S(19), S(19), S(19), S(19));
        place(m_moreTools, S(60), h - S(70), S(58), S(18));
    }

    const int character = CharacterWidth();
    const int rowTop = h - S(25);
    const int rowHeight = S(20);
    const int agreeWidth = S(16) + 2 * character + 2;
    place(m_agree, S(8), rowTop, agreeWidth, rowHeight);

    UniqueWindowDc dc(m_hWnd);
    const int termsWidth = MeasureWindowTextWidth(m_hWnd, dc.Get(), kTermsText, 0, 0) + 4;
    const int feedbackWidth = MeasureWindowTextWidth(m_hWnd, dc.Get(), kFeedbackText, 0, 0) + 4;
    place(m_terms, S(8) + agreeWidth + 6, rowTop, termsWidth, rowHeight);
    place(m_feedbackLabel, w - S(10) - feedbackWidth, rowTop, feedbackWidth, rowHeight);

    // Every control shows the piece of the page's picture that lies behind it.
    const auto showPiece = [this](auto& control) {
        const RECT piece = BackgroundPieceFor(m_hWnd, control.GetSafeHwnd(), m_image.get());
        control.SetBackgroundRect(piece.left, piece.top, piece.right, piece.bottom);
    };
    showPiece(m_close);
    showPiece(m_minimize);
    showPiece(m_start);
    showPiece(m_moreTools);
    showPiece(m_agree);
    Invalidate(true);
}

bool CSoftwareUninstallMainDlg::PaintBackground(HDC dc) {
    DrawStretched(dc, m_image.get(), GetClientRect());
    DrawToolTitle(m_hWnd, dc, m_scale, m_titleFont);
    return m_image != nullptr;
}

} // namespace tsu
