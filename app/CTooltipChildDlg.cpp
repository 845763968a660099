#include "app/CTooltipChildDlg.h"

#include "app/core/TermsText.h"
#include "controls/CSkinScrollWnd.h"
#include "framework/CMemoryCanvas.h"
#include "res/ResourceIds.h"

#include <richedit.h>

#include <string>

namespace tsu {

namespace {
constexpr int kPointerRows = 18;

// The terms as the box holds them: the spaces that indent each paragraph become no-break spaces,
// which look the same. The rich-edit box breaks lines only at spaces, and a paragraph that starts
// with spaces followed by text it cannot break (Chinese mixed with Latin letters or digits) would
// otherwise stay one over-long line; without a space to break at it wraps between characters.
std::wstring BoxText(const std::wstring& text) {
    std::wstring boxText(text);
    bool indent = true;
    for (wchar_t& c : boxText) {
        if (indent && c == L' ') {
            c = L'\u00A0';
            continue;
        }
        indent = c == L'\n';
    }
    return boxText;
}
} // namespace

CTooltipChildDlg::CTooltipChildDlg() : CLayeredChildDlg(IDD_TOOLTIP_CHILD, IDB_PNG_TERMS_BACKGROUND, false) {}

CTooltipChildDlg::~CTooltipChildDlg() = default;

BOOL CTooltipChildDlg::OnInitToolDialog() {
    if (!LoadBackground())
        return FALSE;
    m_edit = GetDlgItem(IDC_TERMS_RICHEDIT);
    HWND edit = m_edit;
    if (!edit)
        return FALSE;
    LayoutControls();
    m_scrollSkin.Reset(static_cast<HBITMAP>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_SCROLLBAR_SKIN), IMAGE_BITMAP, 0, 0, 0)));
    if (m_scrollSkin)
        SkinWndScroll(edit, m_scrollSkin.Get(), m_scale, 0);
    // Wrapped to the box's width (line width 0: the window), so only the vertical bar scrolls.
    ::SendMessageW(edit, EM_SETTARGETDEVICE, 0, 0);
    ::SetWindowTextW(edit, BoxText(TermsText()).c_str());
    m_initialised = true;
    return FALSE;
}

void CTooltipChildDlg::LayoutControls() {
    HWND edit = RichEdit();
    if (!edit)
        return;
    RECT client = GetClientRect();
    ::InflateRect(&client, -S(8), -S(8));
    // A skinned box sits inside its scroll frame: the frame is what moves.
    if (CSkinScrollWnd* frame = CSkinScrollWnd::FromTarget(edit))
        (void)frame->MoveWindow(client);
    else
        ::MoveWindow(edit, client.left, client.top, client.right - client.left, client.bottom - client.top, TRUE);
}

void CTooltipChildDlg::PaintBackground(HDC dc) {
    const RECT client = GetClientRect();
    CMemoryCanvas canvas;
    if (!m_image || !canvas.CreateCompatible(dc, client.right, client.bottom))
        return;
    Gdiplus::Graphics graphics(canvas.Dc());
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    const INT sourceHeight = static_cast<INT>(m_image->GetHeight()) - kPointerRows;
    graphics.DrawImage(m_image.get(), Gdiplus::Rect(0, 0, client.right, client.bottom), 0, 0,
                       static_cast<INT>(m_image->GetWidth()), sourceHeight > 0 ? sourceHeight : 1, Gdiplus::UnitPixel);
    (void)canvas.CopyTo(dc);
}

LRESULT CTooltipChildDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) {
        PaintBackground(reinterpret_cast<HDC>(wp));
        return TRUE;
    }
    return CLayeredChildDlg::WindowProc(msg, wp, lp);
}

} // namespace tsu
