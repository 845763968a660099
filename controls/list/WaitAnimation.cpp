#include "controls/list/WaitAnimation.h"

#include "controls/ImageEx.h"
#include "res/ResourceIds.h"

namespace tsu {

WaitAnimation::WaitAnimation() : m_image(std::make_unique<ImageEx>(res::kGifResourceType, res::kWaitGifName)) {}

WaitAnimation::~WaitAnimation() = default;

void WaitAnimation::Start(HWND owner, const RECT& drawRect, int row, int column) {
    m_image->StartAnimation(owner, drawRect, row, column);
}

void WaitAnimation::Draw(Gdiplus::Graphics& graphics, const ListRect& target) {
    if (target.IsEmpty() || !m_image->IsLoaded())
        return;
    m_image->DrawFrame(graphics, Gdiplus::Rect(target.left, target.top, target.Width(), target.Height()));
}

void WaitAnimation::SetRow(int row) {
    m_image->SetRow(row);
}

void WaitAnimation::SetPause(bool pause) {
    // Recorded even for an image that does not animate, so the list pauses it only once.
    m_paused = pause;
    m_image->SetPause(pause);
}

} // namespace tsu
