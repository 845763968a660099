#pragma once
// The wait animation of a queued or uninstalling row: the "IDR_WAIT_GIF" resource advancing on its
// own thread (ImageEx), seen by the list model only as a CellAnimation.

#include "controls/list/core/CellAnimation.h"
#include "core/ListRect.h"

#include <windows.h>
#include <gdiplus.h>

#include <memory>

namespace tsu {

class ImageEx;

class WaitAnimation : public CellAnimation {
public:
    WaitAnimation();
    ~WaitAnimation() override;
    WaitAnimation(const WaitAnimation&) = delete;
    WaitAnimation& operator=(const WaitAnimation&) = delete;

    // Starts the frames; each step posts WM_LIST_REDRAWCELL (row, column) to owner. A resource
    // that could not be loaded never animates and draws nothing.
    void Start(HWND owner, const RECT& drawRect, int row, int column);
    // Draws the current frame scaled into target.
    void Draw(Gdiplus::Graphics& graphics, const ListRect& target);

    void SetRow(int row) override;
    void SetPause(bool pause) override;
    [[nodiscard]] bool IsPaused() const { return m_paused; }
    [[nodiscard]] ImageEx* Image() const { return m_image.get(); }

private:
    std::unique_ptr<ImageEx> m_image;
    bool m_paused = false;
};

} // namespace tsu
