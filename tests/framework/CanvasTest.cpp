// Memory canvases and paint DCs against real GDI under Wine.

#include "framework/CMemoryCanvas.h"
#include "framework/CPaintDC.h"
#include "framework/CWnd.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

TEST(MemoryCanvas, CompatibleCanvasHoldsWhatIsDrawn) {
    CMemoryCanvas canvas;
    ASSERT_TRUE(canvas.CreateCompatible(nullptr, 40, 30));
    EXPECT_EQ(canvas.Width(), 40);
    EXPECT_EQ(canvas.Height(), 30);
    UniqueHbrush blue(::CreateSolidBrush(RGB(0, 0, 255)));
    RECT all{0, 0, 40, 30};
    ::FillRect(canvas.Dc(), &all, blue.Get());
    EXPECT_EQ(canvas.PixelAt(39, 29), RGB(0, 0, 255));
    EXPECT_EQ(canvas.PixelAt(40, 0), CLR_INVALID);
}

TEST(MemoryCanvas, DibCanvasExposesItsPixels) {
    CMemoryCanvas canvas;
    ASSERT_TRUE(canvas.CreateDib32(8, 4));
    ASSERT_NE(canvas.Pixels(), nullptr);
    EXPECT_EQ(canvas.Pixels()[0], 0u); // starts transparent black
    ::SetPixel(canvas.Dc(), 3, 2, RGB(10, 20, 30));
    EXPECT_EQ(canvas.PixelAt(3, 2), RGB(10, 20, 30));
}

TEST(MemoryCanvas, EmptyAndHugeSizesFailCleanly) {
    CMemoryCanvas canvas;
    EXPECT_FALSE(canvas.CreateCompatible(nullptr, 0, 10));
    EXPECT_FALSE(canvas.CreateDib32(10, -1));
    EXPECT_FALSE(canvas.CreateDib32(100000, 100000)); // 40 GB: refused, not crashed
    EXPECT_FALSE(canvas.IsValid());
    EXPECT_FALSE(canvas.CopyTo(nullptr));
}

TEST(MemoryCanvas, EnsureCompatibleKeepsTheBitmapForTheSameSize) {
    CMemoryCanvas canvas;
    ASSERT_TRUE(canvas.EnsureCompatible(nullptr, 20, 20));
    HBITMAP first = canvas.Bitmap();
    ASSERT_TRUE(canvas.EnsureCompatible(nullptr, 20, 20));
    EXPECT_EQ(canvas.Bitmap(), first);
    ASSERT_TRUE(canvas.EnsureCompatible(nullptr, 21, 20));
    EXPECT_EQ(canvas.Width(), 21);
}

TEST(MemoryCanvas, CopyRectMovesOnlyThatRectangle) {
    CMemoryCanvas source;
    CMemoryCanvas target;
    ASSERT_TRUE(source.CreateDib32(10, 10));
    ASSERT_TRUE(target.CreateDib32(10, 10));
    UniqueHbrush red(::CreateSolidBrush(RGB(255, 0, 0)));
    RECT all{0, 0, 10, 10};
    ::FillRect(source.Dc(), &all, red.Get());
    ASSERT_TRUE(source.CopyRectTo(target.Dc(), RECT{2, 2, 5, 5}));
    EXPECT_EQ(target.PixelAt(3, 3), RGB(255, 0, 0));
    EXPECT_EQ(target.PixelAt(6, 6), RGB(0, 0, 0));
}

TEST(MemoryCanvas, MovedCanvasOwnsTheBitmap) {
    CMemoryCanvas a;
    ASSERT_TRUE(a.CreateDib32(5, 5));
    CMemoryCanvas b(std::move(a));
    EXPECT_FALSE(a.IsValid());
    EXPECT_TRUE(b.IsValid());
    EXPECT_EQ(b.Width(), 5);
}

class PaintingWindow : public CWnd {
public:
    int paints = 0;
    RECT paintRect{};

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_PAINT) {
            CPaintDC dc(m_hWnd);
            ++paints;
            paintRect = dc.PaintRect();
            UniqueHbrush green(::CreateSolidBrush(RGB(0, 160, 0)));
            RECT client = GetClientRect();
            ::FillRect(dc.Get(), &client, green.Get());
            return 0;
        }
        return CWnd::WindowProc(msg, wp, lp);
    }
};

TEST(PaintDc, PaintingValidatesAndDrawsOnScreen) {
    test::TestHostWindow host;
    ASSERT_TRUE(host.Create(120, 80));
    PaintingWindow child;
    ASSERT_TRUE(child.CreateEx(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, RECT{10, 10, 110, 70}, host.GetSafeHwnd(), 1));
    child.InvalidateRect(RECT{0, 0, 20, 20}, false);
    ASSERT_TRUE(test::PumpUntil([&] { return child.paints > 0; }));
    EXPECT_FALSE(::GetUpdateRect(child.GetSafeHwnd(), nullptr, FALSE));
    CMemoryCanvas shot;
    ASSERT_TRUE(test::CaptureWindow(child.GetSafeHwnd(), shot));
    EXPECT_TRUE(test::ColorNear(shot.PixelAt(50, 30), RGB(0, 160, 0)));
}

} // namespace
} // namespace tsu
