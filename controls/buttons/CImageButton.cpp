#include "controls/buttons/CImageButton.h"

#include "controls/DrawingUtils.h"
#include "controls/buttons/ButtonPainting.h"
#include "framework/CMemoryCanvas.h"

#include <windowsx.h>

namespace tsu {

namespace {
constexpr DWORD kHoverTimeMs = 10;
} // namespace

CImageButton::~CImageButton() {
    ReleaseImages();
}

bool CImageButton::SetImages(UINT normalId, UINT hoverId, UINT pressedId, UINT disabledId) {
    m_stripMode = false;
    const UINT ids[kButtonImageSlots] = {normalId, hoverId, pressedId, disabledId};
    bool all = true;
    for (int i = 0; i < kButtonImageSlots; ++i) {
        m_images[i] = LoadPngResource(ids[i]);
        all = all && m_images[i] != nullptr;
    }
    return all;
}

bool CImageButton::SetImageStrip(UINT stripId) {
    ReleaseImages();
    m_stripMode = true;
    m_images[0] = LoadPngResource(stripId);
    return m_images[0] != nullptr;
}

void CImageButton::ReleaseImages() {
    for (auto& image : m_images)
        image.reset();
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

void CImageButton::Paint(HDC target) {
    const RECT client = GetClientRect();
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    CMemoryCanvas canvas;
    if (!target || !canvas.CreateCompatible(target, width, height))
        return;
    HDC dc = canvas.Dc();
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(dc, TRANSPARENT);
    DrawBackgroundPiece(dc, m_background, m_backgroundRect, client);
    const ButtonImageSlot slot = SlotForState(m_state, IsWindowEnabled());
    if (m_stripMode) {
        if (Gdiplus::Image* strip = m_images[0].get())
            DrawImagePart(dc, strip,
                          StripQuarter(static_cast<int>(strip->GetWidth()), static_cast<int>(strip->GetHeight()), slot),
                          client);
    } else if (Gdiplus::Image* image = m_images[slot].get()) {
        DrawImagePart(dc, image,
                      ListRect{0, 0, static_cast<int>(image->GetWidth()), static_cast<int>(image->GetHeight())},
                      client);
    }
    DrawCaption(dc, m_caption, m_captionFont, m_captionColor, client);
    ::BitBlt(target, 0, 0, width, height, dc, 0, 0, SRCCOPY);
}

void CImageButton::DrawItem(const DRAWITEMSTRUCT& item) {
    for (const auto& image : m_images) {
        if (!image)
            return; // strip mode, or a missing image: the erase paints (or nothing does)
    }
    Paint(item.hDC);
}

void CImageButton::ChangeState(ButtonMouseEvent event, LPARAM pointLp) {
    const POINT pt{GET_X_LPARAM(pointLp), GET_Y_LPARAM(pointLp)};
    const RECT client = GetClientRect();
    const int next = NextButtonState(m_state, event, ::PtInRect(&client, pt) != FALSE);
    if (next != m_state) {
        m_state = next;
        Invalidate(true);
    }
}

LRESULT CImageButton::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    const bool enabled = IsWindowEnabled();
    switch (msg) {
    case WM_ERASEBKGND:
        Paint(reinterpret_cast<HDC>(wp));
        return TRUE;
    case WM_MOUSEMOVE:
        if (enabled && !m_tracking) {
            TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, m_hWnd, kHoverTimeMs};
            m_tracking = ::TrackMouseEvent(&track) != FALSE;
        }
        break;
    case WM_MOUSEHOVER:
        if (enabled)
            ChangeState(ButtonMouseEvent::Hover, lp);
        break;
    case WM_LBUTTONUP:
        if (enabled)
            ChangeState(ButtonMouseEvent::ButtonUp, lp);
        break;
    case WM_LBUTTONDOWN:
        if (enabled)
            ChangeState(ButtonMouseEvent::ButtonDown, lp);
        break;
    case WM_MOUSELEAVE:
        m_tracking = false;
        if (enabled)
            ChangeState(ButtonMouseEvent::Leave, lp);
        break;
    case WM_ENABLE: {
        // The system button redraws an enabled-state change through DrawItem only, which draws
        // nothing in strip mode: ask for the erase that paints the disabled quarter.
        const LRESULT result = CButton::WindowProc(msg, wp, lp);
        Invalidate(true);
        return result;
    }
    default:
        break;
    }
    return CButton::WindowProc(msg, wp, lp);
}

} // namespace tsu
