#include "tests/buttons/ButtonTestSupport.h"

#include "controls/DrawingUtils.h"

#include <gdiplus.h>

namespace tsu::test {

TestHostWindow* ButtonWindowTest::SharedHost() {
    // One host for the whole program: destroying a top-level window under Wine without a window
    // manager costs about two seconds, creating a child costs nothing.
    static TestHostWindow* host = [] {
        auto* created = new TestHostWindow();
        if (!created->Create(400, 200)) {
            delete created;
            return static_cast<TestHostWindow*>(nullptr);
        }
        return created;
    }();
    return host;
}

void ButtonWindowTest::SetUp() {
    ASSERT_TRUE(EnsureGdiplus());
    m_host = SharedHost();
    ASSERT_NE(m_host, nullptr);
    m_host->OnMessage = nullptr;
}

void ButtonWindowTest::TearDown() {
    MovePointerAway();
    if (m_host)
        m_host->OnMessage = nullptr;
    PumpPending();
}

CMemoryCanvas ButtonWindowTest::Capture(HWND control) {
    CMemoryCanvas canvas;
    EXPECT_TRUE(CaptureWindow(control, canvas));
    return canvas;
}

void ButtonWindowTest::MovePointerTo(HWND control, POINT clientPoint) {
    ::ClientToScreen(control, &clientPoint);
    ::SetCursorPos(clientPoint.x, clientPoint.y);
}

void ButtonWindowTest::MovePointerAway() {
    ::SetCursorPos(1200, 1000);
}

CMemoryCanvas ExpectedPicture(UINT id, const ListRect& source, int width, int height) {
    CMemoryCanvas canvas;
    EXPECT_TRUE(canvas.CreateDib32(width, height));
    RECT all{0, 0, width, height};
    ::FillRect(canvas.Dc(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    std::unique_ptr<Gdiplus::Image> image = LoadPngResource(id);
    EXPECT_NE(image, nullptr) << "PNG " << id;
    if (image) {
        Gdiplus::Graphics graphics(canvas.Dc());
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        graphics.DrawImage(image.get(), Gdiplus::Rect(0, 0, width, height), source.left, source.top, source.Width(),
                           source.Height(), Gdiplus::UnitPixel);
    }
    return canvas;
}

COLORREF PixelOf(const CMemoryCanvas& canvas, int x, int y) {
    ::GdiFlush();
    const uint32_t bgra = canvas.Pixels()[static_cast<size_t>(y) * canvas.Width() + x];
    return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
}

double MatchingShare(const CMemoryCanvas& actual, const CMemoryCanvas& expected, int tolerance) {
    if (!actual.Pixels() || !expected.Pixels() || actual.Width() != expected.Width() ||
        actual.Height() != expected.Height() || actual.Width() < 3 || actual.Height() < 3)
        return 0.0;
    int same = 0;
    int total = 0;
    for (int y = 1; y < actual.Height() - 1; ++y) {
        for (int x = 1; x < actual.Width() - 1; ++x) {
            ++total;
            if (ColorNear(PixelOf(actual, x, y), PixelOf(expected, x, y), tolerance))
                ++same;
        }
    }
    return total ? static_cast<double>(same) / total : 0.0;
}

} // namespace tsu::test
