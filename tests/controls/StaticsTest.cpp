// The two text statics under Wine: alignment tables, colours and the hover look, the background
// piece, texts set after creation, empty and very long texts, and the busy text's dots.

#include "controls/CDrawStateInfoStatic.h"
#include "controls/CDrawTextStatic.h"
#include "controls/DrawingUtils.h"
#include "res/ResourceIds.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace tsu {
namespace {

const bool kGdiplusStarted = test::EnsureGdiplus();

struct AlignmentCase {
    int alignment;
    bool drawsText;
    UINT flags;
};

class TextStaticAlignment : public ::testing::TestWithParam<AlignmentCase> {};

TEST_P(TextStaticAlignment, MapsToDrawTextFlags) {
    UINT flags = 0;
    EXPECT_EQ(CDrawTextStatic::AlignmentFlags(GetParam().alignment, flags), GetParam().drawsText);
    if (GetParam().drawsText) {
        EXPECT_EQ(flags, GetParam().flags);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, TextStaticAlignment,
                         ::testing::Values(AlignmentCase{0, true, DT_WORDBREAK | DT_VCENTER},
                                           AlignmentCase{1, true, DT_SINGLELINE | DT_VCENTER},
                                           AlignmentCase{2, true, DT_SINGLELINE | DT_VCENTER | DT_CENTER},
                                           AlignmentCase{3, true, DT_WORDBREAK | DT_VCENTER | DT_RIGHT},
                                           AlignmentCase{4, true, DT_SINGLELINE | DT_VCENTER},
                                           AlignmentCase{5, false, 0}, AlignmentCase{-1, false, 0}));

struct StateAlignmentCase {
    int alignment;
    UINT flags;
};

class StateStaticAlignment : public ::testing::TestWithParam<StateAlignmentCase> {};

TEST_P(StateStaticAlignment, MapsToDrawTextFlags) {
    EXPECT_EQ(CDrawStateInfoStatic::AlignmentFlags(GetParam().alignment), GetParam().flags);
}

INSTANTIATE_TEST_SUITE_P(Table, StateStaticAlignment,
                         ::testing::Values(StateAlignmentCase{1, DT_SINGLELINE | DT_VCENTER},
                                           StateAlignmentCase{2, DT_SINGLELINE | DT_VCENTER | DT_CENTER},
                                           StateAlignmentCase{3, DT_SINGLELINE | DT_VCENTER | DT_RIGHT},
                                           StateAlignmentCase{4, DT_WORDBREAK | DT_VCENTER},
                                           StateAlignmentCase{5, DT_WORDBREAK | DT_VCENTER | DT_CENTER},
                                           StateAlignmentCase{6, DT_WORDBREAK | DT_VCENTER | DT_RIGHT},
                                           StateAlignmentCase{0, DT_SINGLELINE | DT_VCENTER},
                                           StateAlignmentCase{42, DT_SINGLELINE | DT_VCENTER}));

// Bounds of the pixels that are not the background.
RECT InkBounds(const CMemoryCanvas& canvas, COLORREF background) {
    RECT ink{canvas.Width(), canvas.Height(), -1, -1};
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            if (!test::ColorNear(canvas.PixelAt(x, y), background, 40)) {
                ink.left = std::min<LONG>(ink.left, x);
                ink.top = std::min<LONG>(ink.top, y);
                ink.right = std::max<LONG>(ink.right, x + 1);
                ink.bottom = std::max<LONG>(ink.bottom, y + 1);
            }
    return ink;
}

class StaticsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kGdiplusStarted);
        ASSERT_TRUE(m_host.Create(400, 160));
    }
    template <typename T> void Paint(T& control, CMemoryCanvas& canvas) {
        const RECT client = control.GetClientRect();
        ASSERT_TRUE(canvas.CreateDib32(client.right, client.bottom));
        control.PaintTo(canvas.Dc());
    }
    static int Near(const CMemoryCanvas& canvas, COLORREF colour) {
        return test::CountPixels(canvas, RECT{0, 0, canvas.Width(), canvas.Height()},
                                 [&](COLORREF c) { return test::ColorNear(c, colour, 30); });
    }
    test::TestHostWindow m_host;
};

TEST_F(StaticsTest, LabelUsesItsColoursAndTheHoverColour) {
    CDrawTextStatic label;
    ASSERT_TRUE(
        label.Create(L"《Veltor服务工具使用许可协议》", WS_VISIBLE, RECT{10, 10, 310, 30}, m_host.GetSafeHwnd(), 1015));
    ASSERT_TRUE(label.SetFontFromParent(2, 700));
    label.SetTextColors(RGB(92, 92, 255), RGB(0, 160, 0));
    label.SetAlignment(CDrawTextStatic::kSingleLineLeft);
    CMemoryCanvas normal;
    Paint(label, normal);
    EXPECT_GT(Near(normal, RGB(92, 92, 255)), 20);
    EXPECT_EQ(Near(normal, RGB(0, 160, 0)), 0);

    const RECT window = label.GetWindowRect();
    test::PumpPending();
    label.UpdateHot(POINT{window.left + 5, window.top + 5});
    EXPECT_TRUE(label.IsHot());
    EXPECT_TRUE(::GetUpdateRect(label.GetSafeHwnd(), nullptr, FALSE)); // repaint requested
    CMemoryCanvas hot;
    Paint(label, hot);
    EXPECT_GT(Near(hot, RGB(0, 160, 0)), 20);

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
    ASSERT_TRUE(label.Create(L"反馈问题", WS_VISIBLE, RECT{0, 0, 300, 40}, m_host.GetSafeHwnd(), 1016));
    ASSERT_TRUE(label.SetFontFromParent(0, 0));
    label.SetAlignment(CDrawTextStatic::kSingleLineLeft);
    CMemoryCanvas left;
    Paint(label, left);
    label.SetAlignment(CDrawTextStatic::kSingleLineCentre);
    CMemoryCanvas centre;
    Paint(label, centre);
    label.SetAlignment(CDrawTextStatic::kWrapRight);
    CMemoryCanvas right;
    Paint(label, right);
    label.SetAlignment(5);
    CMemoryCanvas none;
    Paint(label, none);

    const RECT l = InkBounds(left, RGB(255, 255, 255));
    const RECT c = InkBounds(centre, RGB(255, 255, 255));
    const RECT r = InkBounds(right, RGB(255, 255, 255));
    EXPECT_LT(l.left, 3);
    EXPECT_NEAR((c.left + c.right) / 2, 150, 3);
    EXPECT_GT(r.right, 296);
    EXPECT_NEAR((l.top + l.bottom) / 2, 20, 3); // vertically centred
    EXPECT_NEAR((r.top + r.bottom) / 2, 20, 3); // also when word-wrapped
    EXPECT_EQ(InkBounds(none, RGB(255, 255, 255)).right, -1);
}

TEST_F(StaticsTest, BackgroundColourAndPiece) {
    CDrawTextStatic label;
    ASSERT_TRUE(label.Create(L"", WS_VISIBLE, RECT{0, 0, 64, 32}, m_host.GetSafeHwnd(), 1));
    CMemoryCanvas white;
    Paint(label, white);
    EXPECT_EQ(white.PixelAt(30, 15), RGB(255, 255, 255));
    // A colour set after the first paint is used.
    label.SetBackgroundColour(RGB(10, 120, 30));
    CMemoryCanvas green;
    Paint(label, green);
    EXPECT_EQ(green.PixelAt(30, 15), RGB(10, 120, 30));
    // The piece of a background image: the checked box of the strip, stretched over the label.
    auto strip = LoadPngResource(IDB_PNG_CHECKBOX_STRIP);
    ASSERT_NE(strip, nullptr);
    label.SetBackground(strip.get());
    label.SetBackgroundRect(16, 0, 32, 16);
    CMemoryCanvas piece;
    Paint(label, piece);
    EXPECT_GT(GetBValue(piece.PixelAt(12, 26)), 200);
    label.SetBackground(nullptr);
}

TEST_F(StaticsTest, TextSetLaterIsPaintedInTheLabelsOwnLook) {
    CDrawTextStatic label;
    ASSERT_TRUE(label.Create(L"0", WS_VISIBLE, RECT{10, 60, 210, 90}, m_host.GetSafeHwnd(), 1023));
    ASSERT_TRUE(label.SetFontFromParent(4, 700));
    label.SetBackgroundColour(RGB(230, 240, 255));
    label.SetTextColors(RGB(0, 0, 255), RGB(0, 0, 255));
    label.SetAlignment(CDrawTextStatic::kSingleLineLeft);
    ASSERT_TRUE(label.SetWindowText(L"123 款"));
    EXPECT_EQ(label.GetWindowText(), L"123 款");
    CMemoryCanvas shot;
    ASSERT_TRUE(test::CaptureWindow(label.GetSafeHwnd(), shot));
    EXPECT_EQ(shot.PixelAt(190, 3), RGB(230, 240, 255)); // our background, not the system's
    EXPECT_GT(Near(shot, RGB(0, 0, 255)), 10);
    EXPECT_TRUE(test::SaveWindowPng(m_host.GetSafeHwnd(), L"controls_text_static"));
}

TEST_F(StaticsTest, EmptyAndVeryLongTextsPaint) {
    CDrawTextStatic label;
    ASSERT_TRUE(label.Create(L"", WS_VISIBLE, RECT{0, 0, 200, 60}, m_host.GetSafeHwnd(), 1));
    CMemoryCanvas empty;
    Paint(label, empty);
    EXPECT_EQ(InkBounds(empty, RGB(255, 255, 255)).right, -1);
    std::wstring text;
    for (int i = 0; i < 100000; ++i)
        text += (i % 7 == 6) ? L' ' : L'字';
    ASSERT_TRUE(label.SetWindowText(text));
    CMemoryCanvas full;
    Paint(label, full);
    EXPECT_NE(InkBounds(full, RGB(255, 255, 255)).right, -1);
    CDrawTextStatic zero;
    ASSERT_TRUE(zero.Create(L"x", WS_VISIBLE, RECT{0, 0, 0, 0}, m_host.GetSafeHwnd(), 2));
    zero.Invalidate();
    CDrawStateInfoStatic zeroBusy;
    ASSERT_TRUE(zeroBusy.Create(text.c_str(), WS_VISIBLE, RECT{0, 0, 0, 0}, m_host.GetSafeHwnd(), 3));
    zeroBusy.SendMessage(WM_TIMER, CDrawStateInfoStatic::kDotsTimer, 0);
    zeroBusy.Invalidate();
    test::PumpPending();
    EXPECT_EQ(zeroBusy.GetDisplayText().size(), text.size() + 1);
    zeroBusy.StopDots();
}

TEST_F(StaticsTest, BusyTextCyclesItsDots) {
    CDrawStateInfoStatic busy;
    ASSERT_TRUE(busy.Create(L"正在检测软件，请稍等", WS_VISIBLE, RECT{0, 0, 300, 40}, m_host.GetSafeHwnd(), 1000));
    EXPECT_EQ(busy.GetDisplayText(), L"正在检测软件，请稍等");
    const wchar_t* expected[] = {L".", L"..", L"...", L""};
    for (const wchar_t* dots : expected) {
        busy.SendMessage(WM_TIMER, CDrawStateInfoStatic::kDotsTimer, 0);
        EXPECT_EQ(busy.GetDisplayText(), std::wstring(L"正在检测软件，请稍等") + dots);
    }
    busy.SendMessage(WM_TIMER, 99, 0); // other timers leave the dots alone
    EXPECT_EQ(busy.GetDotStep(), 0);
}

TEST_F(StaticsTest, DotsAdvanceOncePerSecondAndStopResets) {
    CDrawStateInfoStatic busy;
    ASSERT_TRUE(busy.Create(L"请稍等", WS_VISIBLE, RECT{0, 0, 300, 40}, m_host.GetSafeHwnd(), 1000));
    const ULONGLONG start = ::GetTickCount64();
    busy.StartDots();
    ASSERT_TRUE(test::PumpUntil([&] { return busy.GetDotStep() == 1; }, 3000));
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    EXPECT_GE(elapsed, 900u);
    EXPECT_LT(elapsed, 2000u);
    busy.StopDots();
    EXPECT_EQ(busy.GetDotStep(), 0);
    EXPECT_FALSE(::KillTimer(busy.GetSafeHwnd(), CDrawStateInfoStatic::kDotsTimer)); // already stopped
}

TEST_F(StaticsTest, WaitTextIsWhiteAndCentredOnItsBackgroundPiece) {
    CDrawStateInfoStatic busy;
    ASSERT_TRUE(busy.Create(L"正在修复，请稍等", WS_VISIBLE, RECT{0, 0, 184, 60}, m_host.GetSafeHwnd(), 1000));
    ASSERT_TRUE(busy.SetFontFromParent());
    auto background = LoadPngResource(IDB_PNG_WAIT_CHILD);
    ASSERT_NE(background, nullptr);
    busy.SetBackground(background.get());
    busy.SetBackgroundRect(10, 22, 194, 82);
    busy.SetAlignment(5);
    busy.SetTextColor(RGB(255, 255, 255));
    CMemoryCanvas canvas;
    Paint(busy, canvas);
    const COLORREF dark = canvas.PixelAt(2, 2);
    EXPECT_LT(GetRValue(dark), 90); // the dark piece, not the white fill
    const RECT ink = InkBounds(canvas, dark);
    ASSERT_NE(ink.right, -1);
    EXPECT_NEAR((ink.left + ink.right) / 2, 92, 4);
    EXPECT_NEAR((ink.top + ink.bottom) / 2, 30, 4);
    EXPECT_GT(Near(canvas, RGB(255, 255, 255)), 20);
    test::SaveCanvasPng(canvas, L"controls_wait_text");
}

} // namespace
} // namespace tsu
