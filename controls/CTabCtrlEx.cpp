#include "controls/CTabCtrlEx.h"

#include "controls/DrawingUtils.h"
#include "framework/BufferedPaint.h"
#include "framework/ResourceModule.h"
#include "res/ResourceIds.h"

#include <string>

namespace tsu {

namespace {

constexpr int kTabTextChars = 1023;
// Skin geometry (bitmap 196).
constexpr int kSkinHeight = 30;
constexpr int kUnselectedTop = 0;
constexpr int kSelectedTop = 29;
constexpr int kRightEdgeX = 14;

// The shared pen for the line under the tabs, made once for the process.
HPEN TabLinePen() {
    static HPEN pen = ::CreatePen(PS_SOLID, 2, CTabCtrlEx::kLineColor);
    return pen;
}

void FillColor(HDC dc, const RECT& rect, COLORREF color) {
    const COLORREF previous = ::SetBkColor(dc, color);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(dc, previous);
}

} // namespace

bool CTabCtrlEx::SetFontFromParent(int grow, int weight) {
    return CreateDerivedFont(GetParent(), grow, weight, m_font);
}

LRESULT CTabCtrlEx::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    default:
        return CTabCtrl::WindowProc(msg, wp, lp);
    }
}

void CTabCtrlEx::OnPaint() {
    PaintBuffered(m_hWnd, m_canvas, [this](HDC dc, const RECT& client) { Draw(dc, client); });
}

void CTabCtrlEx::PaintTo(HDC target) {
    PaintBufferedTo(m_hWnd, target, [this](HDC dc, const RECT& client) { Draw(dc, client); });
}

void CTabCtrlEx::Draw(HDC dc, const RECT& client) {
    if (!m_background)
        m_background.Reset(::CreateSolidBrush(kBackground));
    ::FillRect(dc, &client, m_background.Get());
    const int count = GetItemCount();
    // Without tabs the strip is just its background (copied, so the window never shows stale
    // pixels).
    if (count <= 0)
        return;
    if (!m_skin && !m_skinTried) {
        m_skinTried = true;
        m_skin.Reset(static_cast<HBITMAP>(::LoadImageW(GetResourceModule(), MAKEINTRESOURCEW(IDB_TAB_SKIN),
                                                       IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    }
    UniqueMemoryDc skinDc(m_skin ? ::CreateCompatibleDC(dc) : nullptr);
    ScopedSelectObject skinSelect(skinDc.Get(), m_skin.Get());

    const int selected = GetCurSel();
    ::SetBkMode(dc, TRANSPARENT);
    ScopedSelectObject font(dc, m_font.Get());
    for (int i = count - 1; i >= 0; --i) {
        RECT tab{};
        if (!GetItemRect(i, tab))
            continue;
        RECT raised = tab;
        raised.top -= 2;
        FillColor(dc, raised, kBackground);
        if (i == count - 1) {
            FillColor(dc, RECT{client.left + 3, tab.bottom, client.right, client.bottom}, kBackground);
            ScopedSelectObject pen(dc, TabLinePen());
            ::MoveToEx(dc, client.left, tab.bottom + 2, nullptr);
            ::LineTo(dc, client.right, tab.bottom + 2);
        }
        if (skinDc)
            DrawTab(dc, skinDc.Get(), tab, i == selected);
        const std::wstring text = GetItemText(i, kTabTextChars);
        ::SetTextColor(dc, i == selected ? kSelectedText : kText);
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &tab,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

void CTabCtrlEx::DrawTab(HDC dc, HDC skin, const RECT& tab, bool selected) {
    const int width = tab.right - tab.left;
    const int height = tab.bottom - tab.top;
    if (width <= 0 || height <= 0)
        return;
    const int top = selected ? kSelectedTop : kUnselectedTop;
    const int bodyX = selected ? 1 : 2;
    const int bodyWidth = selected ? 13 : 11;
    const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchBlt(dc, tab.left, tab.top, width, height, skin, bodyX, top, bodyWidth, kSkinHeight, SRCCOPY);
    ::StretchBlt(dc, tab.left, tab.top, 1, height, skin, 0, top, 1, kSkinHeight, SRCCOPY);
    ::StretchBlt(dc, tab.right - 1, tab.top, 1, height, skin, kRightEdgeX, top, 1, kSkinHeight, SRCCOPY);
    ::SetStretchBltMode(dc, oldMode);
}

} // namespace tsu
