#include "controls/buttons/CCheckBoxBtn.h"

#include "controls/DrawingUtils.h"
#include "controls/buttons/ButtonPainting.h"
#include "controls/buttons/core/ButtonRules.h"
#include "framework/CPaintDC.h"
#include "res/ResourceIds.h"

#include <string>

namespace tsu {

namespace {
constexpr int kCheckStateSize = 16;

RECT ToRect(const ListRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}
} // namespace

CCheckBoxBtn::~CCheckBoxBtn() = default;

void CCheckBoxBtn::SetFontFromParent() {
    HFONT source = nullptr;
    if (HWND parent = GetParent())
        source = reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0));
    LOGFONTW logFont{};
    if (!GetLogFont(source, logFont) && !GetLogFont(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)), logFont) &&
        !GetLogFont(static_cast<HFONT>(::GetStockObject(SYSTEM_FONT)), logFont))
        return;
    m_font.Reset(::CreateFontIndirectW(&logFont));
}

void CCheckBoxBtn::RepaintNow() {
    if (GetSafeHwnd())
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CCheckBoxBtn::OnPaint() {
    CPaintDC paint(m_hWnd);
    if (!paint)
        return;
    const RECT client = GetClientRect();
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    // The bitmap is kept between paints and remade only when the control's size changes.
    if (!m_canvas.IsValid() || m_canvas.Width() != width || m_canvas.Height() != height) {
        if (!m_canvas.CreateCompatible(paint.Get(), width, height))
            return;
    }
    HDC dc = m_canvas.Dc();
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(dc, TRANSPARENT);
    DrawBackgroundPiece(dc, m_background, m_backgroundRect, client);
    if (!m_checkImage)
        m_checkImage = LoadPngResource(IDB_PNG_CHECKBOX_STRIP);
    // Without the strip the box is left out; the text still shows.
    if (m_checkImage) {
        const bool checked = SendMessage(BM_GETCHECK) == BST_CHECKED;
        const ListRect clientRect{client.left, client.top, client.right, client.bottom};
        DrawImagePart(dc, m_checkImage.get(),
                      ListRect::FromSize(checked ? kCheckStateSize : 0, 0, kCheckStateSize, kCheckStateSize),
                      ToRect(CheckBoxMarkRect(clientRect, m_scale)));
    }
    {
        ScopedSelectObject font(dc, m_font.Get());
        ::SetTextColor(dc, m_textColor);
        RECT textRect = client;
        textRect.left = CheckBoxTextLeft(ListRect{client.left, client.top, client.right, client.bottom}, m_scale);
        const std::wstring text = GetWindowText();
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, DT_VCENTER | DT_SINGLELINE);
    }
    m_canvas.CopyTo(paint.Get());
}

LRESULT CCheckBoxBtn::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return TRUE; // the paint covers every pixel
    case WM_MBUTTONDOWN:
        RepaintNow();
        break;
    // The system button draws its own look straight to the screen when its check or push state,
    // focus or enabled state changes (and after a click or a Space toggle); repaint ours at once
    // after each of these, so the box always shows the real state.
    case BM_SETCHECK:
    case BM_SETSTATE:
    case BM_CLICK:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_CAPTURECHANGED:
    case WM_UPDATEUISTATE:
    case WM_SETTEXT: {
        const HWND self = m_hWnd;
        const LRESULT result = CButton::WindowProc(msg, wp, lp);
        // A click's BN_CLICKED may have destroyed the page and this button with it.
        if (::IsWindow(self) && FromHandlePermanent(self) == this)
            RepaintNow();
        return result;
    }
    default:
        break;
    }
    return CButton::WindowProc(msg, wp, lp);
}

} // namespace tsu
