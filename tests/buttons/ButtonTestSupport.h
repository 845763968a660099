#pragma once
// Shared pieces of the image-button tests: a host window per test, GDI+, the pictures the buttons
// are expected to show (drawn the same way onto white) and a pixel comparison.

#include "core/ListRect.h"
#include "framework/CMemoryCanvas.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace tsu::test {

class ButtonWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Captures a child control as it is on the screen now.
    [[nodiscard]] CMemoryCanvas Capture(HWND control);
    // Places the real pointer on a control's client point (Wine tracks hover and leave by it).
    void MovePointerTo(HWND control, POINT clientPoint);
    void MovePointerAway();

    static TestHostWindow* SharedHost();

    TestHostWindow* m_host = nullptr;
};

// Picture part source of PNG resource id stretched over a width x height white canvas.
[[nodiscard]] CMemoryCanvas ExpectedPicture(UINT id, const ListRect& source, int width, int height);

// Share of the pixels inside the canvases (one-pixel frame left out, where stretching blends
// edges) whose colours agree within the tolerance.
[[nodiscard]] double MatchingShare(const CMemoryCanvas& actual, const CMemoryCanvas& expected, int tolerance = 12);

[[nodiscard]] COLORREF PixelOf(const CMemoryCanvas& canvas, int x, int y);

} // namespace tsu::test
