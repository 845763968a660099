#pragma once
// Shared pieces of the image-button tests: one host window for the program, the pictures the
// buttons are expected to show (drawn the same way onto white) and a pixel comparison.

#include "core/ListRect.h"
#include "framework/CMemoryCanvas.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

namespace tsu::test {

class ButtonWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A child control as it is on the screen: repainted first, or exactly as it is now.
    [[nodiscard]] CMemoryCanvas Capture(HWND control);
    [[nodiscard]] CMemoryCanvas ScreenNow(HWND control);
    // Places the real pointer on a control's client point (Wine tracks hover and leave by it).
    void MovePointerTo(HWND control, POINT clientPoint);
    void MovePointerAway();
    void Click(HWND control, POINT at);
    // Counts BN_CLICKED of control id in m_clicks.
    void CountClicks(UINT id);

    TestHostWindow* m_host = nullptr;
    int m_clicks = 0;
};

// Picture part source of PNG resource id stretched over a width x height white canvas.
[[nodiscard]] CMemoryCanvas ExpectedPicture(UINT id, const ListRect& source, int width, int height);

// Share of the pixels inside the canvases (one-pixel frame left out, where stretching blends
// edges) whose colours agree within the tolerance.
[[nodiscard]] double MatchingShare(const CMemoryCanvas& actual, const CMemoryCanvas& expected, int tolerance = 12);

[[nodiscard]] UniqueHfont CaptionFont(int height);

} // namespace tsu::test
