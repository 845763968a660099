#include "controls/CHeaderCtrlEx.h"

#include "controls/DrawingUtils.h"
#include "controls/core/Scaling.h"
#include "framework/BufferedPaint.h"
#include "framework/Messages.h"
#include "res/ResourceIds.h"

#include <windowsx.h>

#include <algorithm>

namespace tsu {

namespace {

constexpr int kItemTextChars = 256;
constexpr wchar_t kSelectAllText[] = L"全选";

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
    const COLORREF previous = ::SetBkColor(dc, color);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(dc, previous);
}

} // namespace

CHeaderCtrlEx::CHeaderCtrlEx() = default;
CHeaderCtrlEx::~CHeaderCtrlEx() = default;

LRESULT CHeaderCtrlEx::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return TRUE; // the paint covers everything
    case WM_LBUTTONUP:
        return OnLButtonUp(wp, lp);
    case HDM_LAYOUT:
        return OnLayout(wp, lp);
    default:
        return CHeaderCtrl::WindowProc(msg, wp, lp);
    }
}

void CHeaderCtrlEx::EnsureFont() {
    if (m_fontMade)
        return;
    // The header paints in the list's font made two pixels larger, not in the font it was given.
    m_fontMade = CreateDerivedFont(GetParent(), 2, 0, m_font);
}

void CHeaderCtrlEx::OnPaint() {
    PaintBuffered(m_hWnd, m_canvas, [this](HDC dc, const RECT& client) { Draw(dc, client); });
}

void CHeaderCtrlEx::PaintTo(HDC target) {
    PaintBufferedTo(m_hWnd, target, [this](HDC dc, const RECT& client) { Draw(dc, client); });
}

void CHeaderCtrlEx::Draw(HDC dc, const RECT& client) {
    EnsureFont();
    FillSolid(dc, client, kFrameColor);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, m_textColor);
    ScopedSelectObject font(dc, m_font.Get());
    Gdiplus::Graphics graphics(dc);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);

    const int count = GetItemCount();
    int right = client.left;
    for (int i = 0; i < count; ++i) {
        RECT item{};
        if (!GetItemRect(i, item))
            continue;
        DrawItem(dc, graphics, i, item);
        right = std::max(right, static_cast<int>(item.right));
    }
    if (right < client.right)
        FillSolid(dc, RECT{right, client.top, client.right, client.bottom}, m_background);
}

void CHeaderCtrlEx::DrawItem(HDC dc, Gdiplus::Graphics& graphics, int index, const RECT& item) {
    FillSolid(dc, item, m_background);
    const float s = m_scale;
    if (index == 0 && m_boxShown) {
        const int size = Scaled(16, s);
        const int left = item.left + Scaled(6, s);
        const int top = item.top + ((item.bottom - item.top) / 2 - Scaled(8, s));
        m_checkRect = RECT{left, top, left + size, top + size};
        if (!m_checkImage && !m_checkImageTried) {
            m_checkImageTried = true;
            m_checkImage = LoadPngResource(IDB_PNG_CHECKBOX_STRIP);
        }
        // Without the strip the box is simply not drawn; it still answers clicks.
        if (m_checkImage)
            graphics.DrawImage(m_checkImage.get(), Gdiplus::Rect(left, top, size, size), m_checked ? 16 : 0, 0, 16, 16,
                               Gdiplus::UnitPixel);
        RECT label{item.left + Scaled(26, s), item.top, item.left + Scaled(26, s) + Scaled(36, s), item.bottom};
        ::DrawTextW(dc, kSelectAllText, -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    // The first title keeps its shift right of the box even when the box is hidden, so titles do
    // not jump when a page shows or hides the box.
    RECT textRect = item;
    textRect.left += index == 0 ? Scaled(52, s) : Scaled(3, s);
    const std::wstring text = GetItemText(index, kItemTextChars);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT CHeaderCtrlEx::OnLButtonUp(WPARAM wp, LPARAM lp) {
    const POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    if (m_boxShown && ::PtInRect(&m_checkRect, pt)) {
        m_checked = !m_checked;
        Invalidate(false);
        if (HWND parent = GetParent())
            ::SendMessageW(parent, WM_HEADER_CHECKALL, m_checked ? 1 : 0, 0);
    }
    return CHeaderCtrl::WindowProc(WM_LBUTTONUP, wp, lp);
}

LRESULT CHeaderCtrlEx::OnLayout(WPARAM wp, LPARAM lp) {
    const LRESULT result = CHeaderCtrl::WindowProc(HDM_LAYOUT, wp, lp);
    auto* layout = reinterpret_cast<HDLAYOUT*>(lp);
    if (layout && layout->pwpos && layout->prc) {
        layout->pwpos->cy = m_height;
        layout->prc->top = m_height;
    }
    return result;
}

} // namespace tsu
