#include "controls/buttons/CPngButton.h"

#include "controls/DrawingUtils.h"
#include "controls/buttons/ButtonPainting.h"
#include "framework/CMemoryCanvas.h"

namespace tsu {

namespace {
// The hover notification comes after the pointer rests this long.
constexpr DWORD kHoverTimeMs = 10;
} // namespace

CPngButton::~CPngButton() {
    ReleaseImages();
}

bool CPngButton::SetImages(UINT normalId, UINT hoverId, UINT pressedId, UINT disabledId) {
    const UINT ids[kButtonImageSlots] = {normalId, hoverId, pressedId, disabledId};
    bool all = true;
    for (int i = 0; i < kButtonImageSlots; ++i) {
        m_images[i] = LoadPngResource(ids[i]);
        all = all && m_images[i] != nullptr;
    }
    return all;
}

void CPngButton::ReleaseImages() {
    for (auto& image : m_images)
        image.reset();
}

void CPngButton::DrawItem(const DRAWITEMSTRUCT& item) {
    for (const auto& image : m_images) {
        if (!image)
            return; // a button with a missing image draws nothing
    }
    const RECT rect = item.rcItem;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    CMemoryCanvas canvas;
    if (!canvas.CreateCompatible(item.hDC, width, height))
        return;
    const RECT local{0, 0, width, height};
    HDC dc = canvas.Dc();
    if (!DrawBackgroundPiece(dc, m_background, m_backgroundRect, local))
        ::FillRect(dc, &local, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    const ButtonImageSlot slot = SlotForState(m_state, IsWindowEnabled());
    Gdiplus::Image* image = m_images[slot].get();
    DrawImagePart(dc, image,
                  PngButtonSource(static_cast<int>(image->GetWidth()), static_cast<int>(image->GetHeight()), m_scale),
                  local);
    DrawCaption(dc, m_caption, m_captionFont, PngButtonCaptionColor(slot), local);
    ::BitBlt(item.hDC, rect.left, rect.top, width, height, canvas.Dc(), 0, 0, SRCCOPY);
}

void CPngButton::ChangeState(ButtonMouseEvent event) {
    const int next = NextButtonState(m_state, event, true);
    if (next != m_state) {
        m_state = next;
        Invalidate(true);
    }
}

LRESULT CPngButton::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    // Disabled buttons keep their look; the system button still gets every message.
    const bool enabled = IsWindowEnabled();
    switch (msg) {
    case WM_MOUSEMOVE:
        if (enabled && !m_tracking) {
            TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, m_hWnd, kHoverTimeMs};
            m_tracking = ::TrackMouseEvent(&track) != FALSE;
        }
        break;
    case WM_MOUSEHOVER:
        if (enabled)
            ChangeState(ButtonMouseEvent::Hover);
        break;
    case WM_LBUTTONUP:
        // Before the system button sends BN_CLICKED: its handler may close the dialog.
        if (enabled)
            ChangeState(ButtonMouseEvent::ButtonUp);
        break;
    case WM_LBUTTONDOWN:
        if (enabled)
            ChangeState(ButtonMouseEvent::ButtonDown);
        break;
    case WM_MOUSELEAVE:
        m_tracking = false;
        if (enabled)
            ChangeState(ButtonMouseEvent::Leave);
        break;
    default:
        break;
    }
    return CButton::WindowProc(msg, wp, lp);
}

} // namespace tsu
