#include "controls/CDrawStateInfoStatic.h"
#include "controls/CDrawTextStatic.h"
#include "controls/DrawingUtils.h"
#include "res/ResourceIds.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

const bool kGdiplusStarted = test::EnsureGdiplus();
constexpr COLORREF kWhite = RGB(255, 255, 255);

// Bounds of the pixels that are not the background; right is -1 when there are none.
RECT InkBounds(const CMemoryCanvas& canvas, COLORREF background) {
    RECT ink{canvas.Width(), canvas.Height(), -1, -1};
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            if (!test::ColorNear(canvas.PixelAt(x, y), background, 40))
                ink = RECT{std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y), std::max<LONG>(ink.right, x + 1),
                           std::max<LONG>(ink.bottom, y + 1)};
    return ink;
}

class StaticsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kGdiplusStarted);
        ASSERT_TRUE(m_host.Create(400, 160));
    }
    template <typename T> CMemoryCanvas Paint(T& control) {
        const RECT client = control.GetClientRect();
        CMemoryCanvas canvas;
        EXPECT_TRUE(canvas.CreateDib32(client.right, client.bottom));
        control.PaintTo(canvas.Dc());
        return canvas;
    }
    static int Near(const CMemoryCanvas& canvas, COLORREF colour) {
        return test::CountPixels(canvas, RECT{0, 0, canvas.Width(), canvas.Height()},
                                 [&](COLORREF c) { return test::ColorNear(c, colour, 30); });
    }
    test::TestHostWindow m_host;
};

TEST_F(StaticsTest, LabelUsesItsColoursAndTheHoverColour) {
    CDrawTextStatic label;
    ASSERT_TRUE(label.Create(L"《Veltor服务工具使用许可协议》", WS_VISIBLE, RECT{10, 10, 310, 30}, m_host.GetSafeHwnd(), 1));
    ASSERT_TRUE(label.SetFontFromParent(2, 700));
    label.SetTextColors(RGB(92, 92, 255), RGB(0, 160, 0));
    label.SetAlignment(CDrawTextStatic::kSingleLineLeft);
    const CMemoryCanvas normal = Paint(label);
    EXPECT_GT(Near(normal, RGB(92, 92, 255)), 20);
    EXPECT_EQ(Near(normal, RGB(0, 160, 0)), 0);

    const RECT window = label.GetWindowRect();
    test::PumpPending();
    label.UpdateHot(POINT{window.left + 5, window.top + 5});
    EXPECT_TRUE(label.IsHot());
    EXPECT_TRUE(::GetUpdateRect(label.GetSafeHwnd(), nullptr, FALSE)); // repaint requested
    EXPECT_GT(Near(Paint(label), RGB(0, 160, 0)), 20);
    test::PumpPending();
    label.UpdateHot(POINT{window.left + 5, window.top + 5}); // no change: no repaint
    EXPECT_FALSE(::GetUpdateRect(label.GetSafeHwnd(), nullptr, FALSE));
    label.UpdateHot(POINT{window.right + 5, window.top + 5});
    EXPECT_FALSE(label.IsHot());
    EXPECT_TRUE(label.HitTest(POINT{window.left, window.top}));
    EXPECT_FALSE(label.HitTest(POINT{window.right, window.top}));
}

TEST_F(StaticsTest, AlignmentsPlaceTheText) {
    CDrawTextStatic label;
    ASSERT_TRUE(label.Create(L"反馈问题", WS_VISIBLE, RECT{0, 0, 300, 40}, m_host.GetSafeHwnd(), 1));
    ASSERT_TRUE(label.SetFontFromParent(0, 0));
    auto inkWith = [&](int alignment) {
        label.SetAlignment(alignment);
        return InkBounds(Paint(label), kWhite);
    };
    const RECT l = inkWith(CDrawTextStatic::kSingleLineLeft);
    const RECT c = inkWith(CDrawTextStatic::kSingleLineCentre);
    const RECT r = inkWith(CDrawTextStatic::kWrapRight);
    EXPECT_LT(l.left, 3);
    EXPECT_NEAR((c.left + c.right) / 2, 150, 3);
    EXPECT_GT(r.right, 296);
    EXPECT_NEAR((l.top + l.bottom) / 2, 20, 3); // vertically centred
    EXPECT_NEAR((r.top + r.bottom) / 2, 20, 3); // also when word-wrapped
    EXPECT_EQ(inkWith(5).right, -1);            // an unknown alignment draws no text
}

TEST_F(StaticsTest, BackgroundColourAndPiece) {
    CDrawTextStatic label;
    ASSERT_TRUE(label.Create(L"", WS_VISIBLE, RECT{0, 0, 64, 32}, m_host.GetSafeHwnd(), 1));
    EXPECT_EQ(Paint(label).PixelAt(30, 15), kWhite);
    label.SetBackgroundColour(RGB(10, 120, 30)); // set after the first paint
    EXPECT_EQ(Paint(label).PixelAt(30, 15), RGB(10, 120, 30));
    // The checked box of the strip, stretched over the label.
    auto strip = LoadPngResource(IDB_PNG_CHECKBOX_STRIP);
    ASSERT_NE(strip, nullptr);
    label.SetBackground(strip.get());
    label.SetBackgroundRect(16, 0, 32, 16);
    EXPECT_GT(GetBValue(Paint(label).PixelAt(12, 26)), 200);
    label.SetBackground(nullptr);
}

TEST_F(StaticsTest, TextSetLaterIsPaintedInTheLabelsOwnLook) {
    CDrawTextStatic label;
    ASSERT_TRUE(label.Create(L"0", WS_VISIBLE, RECT{10, 60, 210, 90}, m_host.GetSafeHwnd(), 1));
    ASSERT_TRUE(label.SetFontFromParent(4, 700));
    label.SetBackgroundColour(RGB(230, 240, 255));
    label.SetTextColors(RGB(0, 0, 255), RGB(0, 0, 255));
    label.SetAlignment(CDrawTextStatic::kSingleLineLeft);
    ASSERT_TRUE(label.SetWindowText(L"123 款"));
    CMemoryCanvas shot;
    ASSERT_TRUE(test::CaptureWindow(label.GetSafeHwnd(), shot));
    EXPECT_EQ(shot.PixelAt(190, 3), RGB(230, 240, 255)); // our background, not the system's
    EXPECT_GT(Near(shot, RGB(0, 0, 255)), 10);
    EXPECT_TRUE(test::SaveWindowPng(m_host.GetSafeHwnd(), L"controls_text_static"));
}

TEST_F(StaticsTest, BusyTextCyclesItsDotsOncePerSecond) {
    CDrawStateInfoStatic busy;
    ASSERT_TRUE(busy.Create(L"请稍等", WS_VISIBLE, RECT{0, 0, 300, 40}, m_host.GetSafeHwnd(), 1));
    for (const wchar_t* dots : {L".", L"..", L"...", L""}) {
        busy.SendMessage(WM_TIMER, CDrawStateInfoStatic::kDotsTimer, 0);
        EXPECT_EQ(busy.GetDisplayText(), std::wstring(L"请稍等") + dots);
    }
    busy.SendMessage(WM_TIMER, 99, 0); // other timers leave the dots alone
    EXPECT_EQ(busy.GetDotStep(), 0);
    const ULONGLONG start = ::GetTickCount64();
    busy.StartDots();
    ASSERT_TRUE(test::PumpUntil([&] { return busy.GetDotStep() == 1; }, 10000));
    EXPECT_GE(::GetTickCount64() - start, 900u);
    busy.StopDots();
    EXPECT_EQ(busy.GetDotStep(), 0);
    EXPECT_FALSE(::KillTimer(busy.GetSafeHwnd(), CDrawStateInfoStatic::kDotsTimer)); // already stopped
}

TEST_F(StaticsTest, WaitTextIsWhiteAndCentredOnItsBackgroundPiece) {
    CDrawStateInfoStatic busy;
    ASSERT_TRUE(busy.Create(L"正在修复，请稍等", WS_VISIBLE, RECT{0, 0, 184, 60}, m_host.GetSafeHwnd(), 1));
    ASSERT_TRUE(busy.SetFontFromParent());
    auto background = LoadPngResource(IDB_PNG_WAIT_CHILD);
    ASSERT_NE(background, nullptr);
    busy.SetBackground(background.get());
    busy.SetBackgroundRect(10, 22, 194, 82);
    busy.SetAlignment(5);
    busy.SetTextColor(kWhite);
    const CMemoryCanvas canvas = Paint(busy);
    const COLORREF dark = canvas.PixelAt(2, 2);
    EXPECT_LT(GetRValue(dark), 90); // the dark piece, not the white fill
    const RECT ink = InkBounds(canvas, dark);
    EXPECT_NEAR((ink.left + ink.right) / 2, 92, 4);
    EXPECT_NEAR((ink.top + ink.bottom) / 2, 30, 4);
    EXPECT_GT(Near(canvas, kWhite), 20);
    test::SaveCanvasPng(canvas, L"controls_wait_text");
}

} // namespace
} // namespace tsu
