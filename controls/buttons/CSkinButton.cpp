#include "controls/buttons/CSkinButton.h"

#include "controls/DrawingUtils.h"
#include "controls/buttons/ButtonPainting.h"
#include "framework/CMemoryCanvas.h"

namespace tsu {

namespace {
// The hover notification comes after the pointer rests this long.
constexpr DWORD kHoverTimeMs = 10;
} // namespace

CSkinButton::~CSkinButton() {
    ReleaseImages();
}

bool CSkinButton::SetImages(UINT normalId, UINT hoverId, UINT pressedId, UINT disabledId) {
    const UINT ids[kButtonImageSlots] = {normalId, hoverId, pressedId, disabledId};
    bool all = true;
    for (int i = 0; i < kButtonImageSlots; ++i) {
        m_images[i] = LoadPngResource(ids[i]);
        all = all && m_images[i] != nullptr;
    }
    return all;
}

void CSkinButton::ReleaseImages() {
    for (auto& image : m_images)
        image.reset();
}

ListRect CSkinButton::ImageSource(Gdiplus::Image& image, ButtonImageSlot slot) const {
    return ListRect{0, 0, static_cast<int>(image.GetWidth()), static_cast<int>(image.GetHeight())};
}

void CSkinButton::Paint(HDC target, const RECT& rect) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    CMemoryCanvas canvas;
    if (!target || !canvas.CreateCompatible(target, width, height))
        return;
    const RECT local{0, 0, width, height};
    HDC dc = canvas.Dc();
    ::FillRect(dc, &local, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(dc, TRANSPARENT);
    DrawBackgroundPiece(dc, m_background, m_backgroundRect, local);
    const ButtonImageSlot slot = SlotForState(m_state, IsWindowEnabled());
    if (Gdiplus::Image* image = ImageFor(slot))
        DrawImagePart(dc, image, ImageSource(*image, slot), local);
    DrawCaption(dc, m_caption, m_captionFont, CaptionColor(slot), local);
    ::BitBlt(target, rect.left, rect.top, width, height, dc, 0, 0, SRCCOPY);
}

void CSkinButton::DrawItem(const DRAWITEMSTRUCT& item) {
    for (const auto& image : m_images) {
        if (!image)
            return;
    }
    Paint(item.hDC, item.rcItem);
}

void CSkinButton::ChangeState(ButtonMouseEvent event, LPARAM pointLp) {
    const int next = NextButtonState(m_state, event, CountsAsInside(pointLp));
    if (next != m_state) {
        m_state = next;
        Invalidate(true);
    }
}

LRESULT CSkinButton::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
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
            ChangeState(ButtonMouseEvent::Hover, lp);
        break;
    case WM_LBUTTONUP:
        // Before the system button sends BN_CLICKED: its handler may close the dialog.
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
    default:
        break;
    }
    return CButton::WindowProc(msg, wp, lp);
}

} // namespace tsu
