#include "framework/CMemoryCanvas.h"
#include "framework/CPaintDC.h"
#include "framework/CWnd.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

TEST(MemoryCanvas, HoldsWhatIsDrawnAndCopiesOnlyTheRectangleAsked) {
    CMemoryCanvas compatible;
    ASSERT_TRUE(compatible.CreateCompatible(nullptr, 40, 30));
    UniqueHbrush red(::CreateSolidBrush(RGB(255, 0, 0)));
    RECT all{0, 0, 40, 30};
    ::FillRect(compatible.Dc(), &all, red.Get());
    EXPECT_EQ(compatible.PixelAt(39, 29), RGB(255, 0, 0));
    EXPECT_EQ(compatible.PixelAt(40, 0), CLR_INVALID);
    CMemoryCanvas dib;
    ASSERT_TRUE(dib.CreateDib32(10, 10));
    EXPECT_EQ(dib.Pixels()[0], 0u); // starts transparent black
    ASSERT_TRUE(compatible.CopyRectTo(dib.Dc(), RECT{2, 2, 5, 5}));
    EXPECT_EQ(dib.PixelAt(3, 3), RGB(255, 0, 0));
    EXPECT_EQ(dib.PixelAt(6, 6), RGB(0, 0, 0));
    // EnsureCompatible keeps the bitmap for the same size only; a moved canvas owns the bitmap.
    HBITMAP first = compatible.Bitmap();
    ASSERT_TRUE(compatible.EnsureCompatible(nullptr, 40, 30));
    EXPECT_EQ(compatible.Bitmap(), first);
    ASSERT_TRUE(compatible.EnsureCompatible(nullptr, 21, 20));
    EXPECT_EQ(compatible.Width(), 21);
    CMemoryCanvas moved(std::move(dib));
    EXPECT_FALSE(dib.IsValid());
    EXPECT_EQ(moved.Width(), 10);
}

TEST(MemoryCanvas, EmptyAndHugeSizesFailCleanly) {
    CMemoryCanvas canvas;
    EXPECT_FALSE(canvas.CreateCompatible(nullptr, 0, 10));
    EXPECT_FALSE(canvas.CreateDib32(10, -1));
    EXPECT_FALSE(canvas.CreateDib32(100000, 100000)); // 40 GB: refused, not crashed
    EXPECT_FALSE(canvas.IsValid());
    EXPECT_FALSE(canvas.CopyTo(nullptr));
}

class PaintingWindow : public CWnd {
public:
    int paints = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg != WM_PAINT)
            return CWnd::WindowProc(msg, wp, lp);
        CPaintDC dc(m_hWnd);
        ++paints;
        UniqueHbrush green(::CreateSolidBrush(RGB(0, 160, 0)));
        RECT client = GetClientRect();
        ::FillRect(dc.Get(), &client, green.Get());
        return 0;
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
