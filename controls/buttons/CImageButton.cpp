#include "controls/buttons/CImageButton.h"

#include "controls/DrawingUtils.h"

#include <windowsx.h>

namespace tsu {

bool CImageButton::SetImageStrip(UINT stripId) {
    ReleaseImages();
    m_stripMode = true;
    m_images[0] = LoadPngResource(stripId);
    return m_images[0] != nullptr;
}

BOOL CImageButton::IsCursorInside() const {
    POINT cursor{};
    if (!GetSafeHwnd() || !::GetCursorPos(&cursor))
        return FALSE;
    ::ScreenToClient(m_hWnd, &cursor);
    RECT inner = GetClientRect();
    inner.left += m_hitInset.left;
    inner.top += m_hitInset.top;
    inner.right -= m_hitInset.right;
    inner.bottom -= m_hitInset.bottom;
    return ::PtInRect(&inner, cursor);
}

ListRect CImageButton::ImageSource(Gdiplus::Image& image, ButtonImageSlot slot) const {
    if (!m_stripMode)
        return CSkinButton::ImageSource(image, slot);
    return StripQuarter(static_cast<int>(image.GetWidth()), static_cast<int>(image.GetHeight()), slot);
}

bool CImageButton::CountsAsInside(LPARAM pointLp) const {
    const POINT pt{GET_X_LPARAM(pointLp), GET_Y_LPARAM(pointLp)};
    const RECT client = GetClientRect();
    return ::PtInRect(&client, pt) != FALSE;
}

LRESULT CImageButton::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        Paint(reinterpret_cast<HDC>(wp), GetClientRect());
        return TRUE;
    case WM_ENABLE: {
        // The system button redraws an enabled-state change through DrawItem only, which draws
        // nothing in strip mode: ask for the erase that paints the disabled quarter.
        const LRESULT result = CSkinButton::WindowProc(msg, wp, lp);
        Invalidate(true);
        return result;
    }
    default:
        break;
    }
    return CSkinButton::WindowProc(msg, wp, lp);
}

} // namespace tsu
