// Skinned scroll bars on a real rich-edit box under Wine: the frame takes the box in and places the
// bars, the bars follow the box, arrows repeat after 500 ms every 100 ms while held, page areas page
// until the thumb reaches the pointer, the thumb drags live, borders are kept, and unskinning or
// destroying puts everything back.

#include "controls/CSkinScrollWnd.h"
#include "res/ResourceIds.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <string>

namespace tsu {
namespace {

const bool kGdiplusStarted = test::EnsureGdiplus();

std::wstring ManyLines(int count) {
    std::wstring text;
    for (int i = 0; i < count; ++i)
        text += L"    第 " + std::to_wstring(i + 1) + L" 条：本工具的使用许可协议条款示例文字。\r\n";
    return text;
}

LPARAM At(POINT pt) {
    return MAKELPARAM(pt.x, pt.y);
}

POINT Centre(const RECT& r) {
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class SkinScrollTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kGdiplusStarted);
        ASSERT_NE(::LoadLibraryW(L"riched20.dll"), nullptr);
        m_skin.Reset(
            static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_SCROLLBAR_SKIN),
                                              IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        ASSERT_TRUE(m_skin);
        ASSERT_TRUE(m_host.Create(420, 320));
    }
    void TearDown() override {
        if (m_target && ::IsWindow(m_target))
            ::DestroyWindow(m_target);
        test::PumpPending();
    }
    HWND MakeTarget(DWORD extraStyle, DWORD exStyle, int lines) {
        m_target =
            ::CreateWindowExW(exStyle, L"RichEdit20W", L"",
                              WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | extraStyle, 20, 10,
                              380, 300, m_host.GetSafeHwnd(), reinterpret_cast<HMENU>(1009), nullptr, nullptr);
        if (m_target) {
            ::SendMessageW(m_target, WM_SETFONT, reinterpret_cast<WPARAM>(m_host.GetHostFont()), TRUE);
            ::SetWindowTextW(m_target, ManyLines(lines).c_str());
        }
        return m_target;
    }
    int FirstVisibleLine() const { return static_cast<int>(::SendMessageW(m_target, EM_GETFIRSTVISIBLELINE, 0, 0)); }
    SCROLLINFO TargetInfo() const {
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_ALL;
        ::GetScrollInfo(m_target, SB_VERT, &info);
        return info;
    }
    // Waits until the skin bar shows the target's range, page and position.
    bool BarInStep(CSkinScrollBar& bar) {
        return test::PumpUntil(
            [&] {
                const SCROLLINFO t = TargetInfo();
                const SCROLLINFO& b = bar.GetInfo();
                return t.nMax == b.nMax && t.nPage == b.nPage && t.nPos == b.nPos && t.nMax > 0;
            },
            3000);
    }

    // A 200-line target taken in by a skin frame at scale, and the frame's vertical bar once it
    // shows the target's range, page and position; null when any of that fails.
    CSkinScrollBar* SkinnedBar(float scale = 1.0f) {
        if (!MakeTarget(WS_VSCROLL, 0, 200))
            return nullptr;
        CSkinScrollWnd* frame = SkinWndScroll(m_target, m_skin.Get(), scale, 0);
        if (!frame || !BarInStep(frame->VerticalBar()))
            return nullptr;
        return &frame->VerticalBar();
    }

    UniqueHbitmap m_skin;
    test::TestHostWindow m_host;
    HWND m_target = nullptr;
};

TEST_F(SkinScrollTest, FrameTakesTheTargetInAndPlacesTheVerticalBar) {
    ASSERT_NE(MakeTarget(WS_VSCROLL, 0, 200), nullptr);
    RECT before{};
    ::GetWindowRect(m_target, &before);
    CSkinScrollWnd* frame = SkinWndScroll(m_target, m_skin.Get(), 1.0f, 0);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(CSkinScrollWnd::FromTarget(m_target), frame);
    EXPECT_EQ(::GetParent(m_target), frame->GetLimitWindow());
    EXPECT_EQ(::GetParent(frame->GetLimitWindow()), frame->GetSafeHwnd());
    EXPECT_EQ(frame->GetParent(), m_host.GetSafeHwnd());
    EXPECT_EQ(frame->GetDlgCtrlID(), 1009u);
    const RECT frameRect = frame->GetWindowRect();
    EXPECT_EQ(frameRect.right - frameRect.left, before.right - before.left);
    EXPECT_EQ(frameRect.bottom - frameRect.top, before.bottom - before.top);

    test::PumpPending();
    CSkinScrollBar& bar = frame->VerticalBar();
    EXPECT_TRUE(bar.IsWindowVisible());
    EXPECT_FALSE(frame->HorizontalBar().IsWindowVisible());
    EXPECT_EQ(frame->GetBarWidth(), 13);
    const RECT barRect = bar.GetWindowRect();
    EXPECT_EQ(barRect.right - barRect.left, 13);
    EXPECT_EQ(barRect.right, frameRect.right);
    // "LIMIT" ends where the bar starts, so the target's own bar is clipped away.
    RECT limit{};
    ::GetWindowRect(frame->GetLimitWindow(), &limit);
    EXPECT_EQ(limit.right, barRect.left);
    EXPECT_TRUE(BarInStep(bar));
    EXPECT_TRUE(bar.IsWindowEnabled());
    EXPECT_GT(bar.GetLayout().thumbLength, 0);
    EXPECT_TRUE(test::SaveWindowPng(m_host.GetSafeHwnd(), L"controls_skin_scroll_richedit"));
}

TEST_F(SkinScrollTest, BarIsScaledAt120Dpi) {
    ASSERT_NE(MakeTarget(WS_VSCROLL, 0, 200), nullptr);
    CSkinScrollWnd* frame = SkinWndScroll(m_target, m_skin.Get(), 1.2f, 0);
    ASSERT_NE(frame, nullptr);
    test::PumpPending();
    EXPECT_EQ(frame->GetBarWidth(), 15); // 13 x 1.2 truncated
    const RECT barRect = frame->VerticalBar().GetWindowRect();
    EXPECT_EQ(barRect.right - barRect.left, 15);
    const SkinBarLayout layout = frame->VerticalBar().GetLayout();
    EXPECT_EQ(layout.arrowLength, 15);
    EXPECT_EQ(layout.trackLength, (barRect.bottom - barRect.top) - 31);
}

TEST_F(SkinScrollTest, PageCoveringEverythingDisablesTheBarAndHidesTheThumb) {
    // A multi-line edit box with two lines: range 0-2, page 3.
    m_target = ::CreateWindowExW(0, L"EDIT", L"one\r\ntwo", WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 20, 10,
                                 380, 300, m_host.GetSafeHwnd(), nullptr, nullptr, nullptr);
    ASSERT_NE(m_target, nullptr);
    CSkinScrollWnd* frame = SkinWndScroll(m_target, m_skin.Get(), 1.0f, 0);
    ASSERT_NE(frame, nullptr);
    CSkinScrollBar& bar = frame->VerticalBar();
    ASSERT_TRUE(test::PumpUntil([&] { return bar.GetInfo().nPage > 0; }, 3000));
    EXPECT_GE(static_cast<int>(bar.GetInfo().nPage), bar.GetInfo().nMax - bar.GetInfo().nMin + 1);
    EXPECT_EQ(bar.GetLayout().thumbLength, 0);
    EXPECT_FALSE(bar.IsWindowEnabled());
}

TEST_F(SkinScrollTest, HeldDownArrowScrollsOnceThenRepeatsAfterHalfASecond) {
    CSkinScrollBar* skinned = SkinnedBar();
    ASSERT_NE(skinned, nullptr);
    CSkinScrollBar& bar = *skinned;
    ASSERT_EQ(FirstVisibleLine(), 0);
    const POINT arrow = Centre(bar.GetPartRect(kSkinPartLineDown));

    const ULONGLONG pressed = ::GetTickCount64();
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(arrow));
    EXPECT_EQ(FirstVisibleLine(), 1); // one line at once
    EXPECT_EQ(bar.GetClickedPart(), kSkinPartLineDown);
    // Nothing more before the 500 ms delay.
    EXPECT_FALSE(test::PumpUntil([&] { return FirstVisibleLine() > 1; }, 400));
    // Then it repeats every 100 ms.
    ASSERT_TRUE(test::PumpUntil([&] { return FirstVisibleLine() >= 4; }, 2000));
    const ULONGLONG elapsed = ::GetTickCount64() - pressed;
    EXPECT_GE(elapsed, 700u); // 500 ms delay + three 100 ms steps
    EXPECT_TRUE(bar.IsRepeating());
    bar.SendMessage(WM_LBUTTONUP, 0, At(arrow));
    const int released = FirstVisibleLine();
    EXPECT_FALSE(test::PumpUntil([&] { return FirstVisibleLine() != released; }, 300));
    EXPECT_EQ(bar.GetClickedPart(), kSkinPartNone);
    // The bar follows where the box went.
    EXPECT_TRUE(BarInStep(bar));
}

TEST_F(SkinScrollTest, HeldDownArrowStopsRepeatingAtTheLastPosition) {
    // An edit box with 30 lines: the last position is nMax - nPage + 1, below nMax, so waiting for
    // nMax would repeat forever.
    m_target = ::CreateWindowExW(0, L"EDIT", ManyLines(30).c_str(), WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL,
                                 20, 10, 380, 300, m_host.GetSafeHwnd(), nullptr, nullptr, nullptr);
    ASSERT_NE(m_target, nullptr);
    CSkinScrollWnd* frame = SkinWndScroll(m_target, m_skin.Get(), 1.0f, 0);
    ASSERT_NE(frame, nullptr);
    CSkinScrollBar& bar = frame->VerticalBar();
    ASSERT_TRUE(BarInStep(bar));
    const SCROLLINFO start = TargetInfo();
    const int last = start.nMax - static_cast<int>(start.nPage) + 1;
    ASSERT_GT(last, 0);
    ASSERT_LT(last, start.nMax);
    const POINT arrow = Centre(bar.GetPartRect(kSkinPartLineDown));
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(arrow));
    ASSERT_TRUE(test::PumpUntil([&] { return bar.GetInfo().nPos >= last && bar.IsRepeating(); }, 6000));
    // One more tick finds the end and stops the repeat timer.
    EXPECT_TRUE(test::PumpUntil([&] { return !::KillTimer(bar.GetSafeHwnd(), CSkinScrollBar::kRepeatTimer); }, 1000));
    bar.SendMessage(WM_LBUTTONUP, 0, At(arrow));
    EXPECT_EQ(TargetInfo().nPos, last);
}

TEST_F(SkinScrollTest, LosingTheCaptureEndsThePress) {
    CSkinScrollBar* skinned = SkinnedBar();
    ASSERT_NE(skinned, nullptr);
    CSkinScrollBar& bar = *skinned;
    const POINT arrow = Centre(bar.GetPartRect(kSkinPartLineDown));
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(arrow));
    ASSERT_EQ(::GetCapture(), bar.GetSafeHwnd());
    ::SetCapture(m_host.GetSafeHwnd()); // another window takes the mouse (a menu, a drag elsewhere)
    ::ReleaseCapture();
    EXPECT_EQ(bar.GetClickedPart(), kSkinPartNone);
    const int line = FirstVisibleLine();
    EXPECT_FALSE(test::PumpUntil([&] { return FirstVisibleLine() != line; }, 700));
}

TEST_F(SkinScrollTest, TargetUserDataIsLeftToItsOwner) {
    ASSERT_NE(MakeTarget(WS_VSCROLL, 0, 20), nullptr);
    ::SetWindowLongPtrW(m_target, GWLP_USERDATA, 0x5EED);
    CSkinScrollWnd* frame = SkinWndScroll(m_target, m_skin.Get(), 1.0f, 0);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(::GetWindowLongPtrW(m_target, GWLP_USERDATA), 0x5EED);
    ASSERT_TRUE(UnskinWndScroll(m_target));
    EXPECT_EQ(::GetWindowLongPtrW(m_target, GWLP_USERDATA), 0x5EED);
}

TEST_F(SkinScrollTest, ZeroSizeAndHugeBarsPaintSafely) {
    CSkinScrollBar empty;
    ASSERT_TRUE(empty.Create(SBS_VERT | WS_VISIBLE, RECT{0, 0, 0, 0}, m_host.GetSafeHwnd(), 6));
    empty.SetBitmap(m_skin.Get());
    empty.Invalidate();
    test::PumpPending();
    EXPECT_EQ(HitTestSkinBar(empty.GetLayout(), 0), kSkinPartNone);
    CSkinScrollBar huge;
    ASSERT_TRUE(huge.Create(0 | WS_VISIBLE, RECT{0, 0, 30000, 13}, m_host.GetSafeHwnd(), 7));
    huge.SetBitmap(m_skin.Get());
    SCROLLINFO info{};
    info.fMask = SIF_ALL;
    info.nMax = 2000000000;
    info.nPage = 1000;
    info.nPos = 1999999001; // the last position: nMax - nPage + 1
    huge.SetScrollInfo(info);
    CMemoryCanvas canvas;
    ASSERT_TRUE(canvas.CreateDib32(30000, 13));
    huge.PaintTo(canvas.Dc());
    const SkinBarLayout layout = huge.GetLayout();
    EXPECT_EQ(layout.ThumbEnd(), layout.PartBegin(kSkinPartLineDown));
}

TEST_F(SkinScrollTest, HeldArrowStopsWhileThePointerIsAway) {
    CSkinScrollBar* skinned = SkinnedBar();
    ASSERT_NE(skinned, nullptr);
    CSkinScrollBar& bar = *skinned;
    const POINT arrow = Centre(bar.GetPartRect(kSkinPartLineDown));
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(arrow));
    bar.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(POINT{arrow.x, 5})); // onto the up arrow
    const int away = FirstVisibleLine();
    EXPECT_FALSE(test::PumpUntil([&] { return FirstVisibleLine() != away; }, 800));
    bar.SendMessage(WM_LBUTTONUP, 0, At(POINT{arrow.x, 5}));
}

TEST_F(SkinScrollTest, PageAreaPagesUntilTheThumbReachesThePointer) {
    CSkinScrollBar* skinned = SkinnedBar();
    ASSERT_NE(skinned, nullptr);
    CSkinScrollBar& bar = *skinned;
    const RECT page = bar.GetPartRect(kSkinPartPageDown);
    // The button goes down a third of the way down the bar and the pointer stays there.
    POINT pointer{(page.left + page.right) / 2, page.top + (page.bottom - page.top) / 3};
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(pointer));
    const int afterFirst = FirstVisibleLine();
    EXPECT_GT(afterFirst, 1); // a whole page at once
    ASSERT_TRUE(test::PumpUntil([&] { return bar.GetLayout().ThumbEnd() > pointer.y; }, 4000));
    // Once the thumb is under the pointer the paging stops.
    const int reached = FirstVisibleLine();
    EXPECT_FALSE(test::PumpUntil([&] { return FirstVisibleLine() != reached; }, 400));
    EXPECT_LE(bar.GetLayout().thumbStart, pointer.y + 1);
    bar.SendMessage(WM_LBUTTONUP, 0, At(pointer));
}

TEST_F(SkinScrollTest, DraggingTheThumbScrollsLive) {
    CSkinScrollBar* skinned = SkinnedBar();
    ASSERT_NE(skinned, nullptr);
    CSkinScrollBar& bar = *skinned;
    const POINT thumb = Centre(bar.GetPartRect(kSkinPartThumb));
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(thumb));
    EXPECT_TRUE(bar.IsDragging());
    bar.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(POINT{thumb.x, thumb.y + 60}));
    EXPECT_GT(bar.GetInfo().nTrackPos, 0);
    EXPECT_GT(FirstVisibleLine(), 0); // the box moved while dragging
    const int during = FirstVisibleLine();
    bar.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(POINT{thumb.x, thumb.y + 5000})); // far below: clamped
    EXPECT_GT(FirstVisibleLine(), during);
    bar.SendMessage(WM_LBUTTONUP, 0, At(POINT{thumb.x, thumb.y + 5000}));
    EXPECT_FALSE(bar.IsDragging());
    EXPECT_EQ(bar.GetInfo().nTrackPos, -1);
    // At the end, where the box really went (Wine's rich edit stops one position short of
    // nMax - nPage + 1, so the thumb may stop a pixel short).
    EXPECT_EQ(bar.GetInfo().nPos, TargetInfo().nPos);
    EXPECT_NEAR(bar.GetLayout().ThumbEnd(), bar.GetLayout().PartBegin(kSkinPartLineDown), 2);
}

TEST_F(SkinScrollTest, DoubleClickDoesNothingMoreThanTheFirstClick) {
    CSkinScrollBar* skinned = SkinnedBar();
    ASSERT_NE(skinned, nullptr);
    CSkinScrollBar& bar = *skinned;
    const POINT arrow = Centre(bar.GetPartRect(kSkinPartLineDown));
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(arrow));
    bar.SendMessage(WM_LBUTTONUP, 0, At(arrow));
    EXPECT_EQ(bar.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, At(arrow)), 1);
    bar.SendMessage(WM_LBUTTONUP, 0, At(arrow));
    EXPECT_EQ(FirstVisibleLine(), 1);
}

TEST_F(SkinScrollTest, HotPartFollowsThePointerAndLeaves) {
    CSkinScrollBar* skinned = SkinnedBar();
    ASSERT_NE(skinned, nullptr);
    CSkinScrollBar& bar = *skinned;
    bar.SendMessage(WM_MOUSEMOVE, 0, At(Centre(bar.GetPartRect(kSkinPartLineDown))));
    EXPECT_EQ(bar.GetHotPart(), kSkinPartLineDown);
    bar.SendMessage(WM_MOUSEMOVE, 0, At(Centre(bar.GetPartRect(kSkinPartThumb))));
    EXPECT_EQ(bar.GetHotPart(), kSkinPartThumb);
    bar.SendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(bar.GetHotPart(), kSkinPartNone);
}

TEST_F(SkinScrollTest, BarPaintsItsPartsFromTheSkinCells) {
    CSkinScrollBar* skinned = SkinnedBar(1.2f);
    ASSERT_NE(skinned, nullptr);
    CSkinScrollBar& bar = *skinned;
    const RECT client = bar.GetClientRect();
    CMemoryCanvas canvas;
    ASSERT_TRUE(canvas.CreateDib32(client.right, client.bottom));
    bar.PaintTo(canvas.Dc());
    UniqueMemoryDc skinDc(::CreateCompatibleDC(nullptr));
    ScopedSelectObject select(skinDc.Get(), m_skin.Get());
    const COLORREF thumbColour = ::GetPixel(skinDc.Get(), 2 * 13 + 6, 6);
    const COLORREF trackColour = ::GetPixel(skinDc.Get(), 3 * 13 + 6, 6);
    const SkinBarLayout layout = bar.GetLayout();
    const int x = client.right / 2;
    EXPECT_TRUE(test::ColorNear(canvas.PixelAt(x, layout.thumbStart + layout.thumbLength / 2), thumbColour, 12));
    EXPECT_TRUE(test::ColorNear(canvas.PixelAt(x, layout.ThumbEnd() + 20), trackColour, 6));
    // The up arrow's glyph is there: its cell is not a flat colour.
    EXPECT_GT(test::CountNonBackground(canvas, RECT{0, 0, client.right, layout.arrowLength}, trackColour, 30), 5);
    test::SaveCanvasPng(canvas, L"controls_skin_scroll_bar_120dpi");

    CSkinScrollBar bare; // no bitmap: paints nothing, breaks nothing
    ASSERT_TRUE(bare.Create(SBS_VERT | WS_VISIBLE, RECT{0, 0, 13, 100}, m_host.GetSafeHwnd(), 5));
    bare.Invalidate();
    test::PumpPending();
    SCROLLINFO info{};
    info.fMask = SIF_ALL;
    info.nMax = 10;
    info.nPage = 3;
    info.nPos = 4;
    bare.SetScrollInfo(info);
    // The system API reaches the skinned bar's own information through SBM_GETSCROLLINFO.
    SCROLLINFO read{};
    read.cbSize = sizeof(read);
    read.fMask = SIF_ALL;
    ASSERT_TRUE(::GetScrollInfo(bare.GetSafeHwnd(), SB_CTL, &read));
    EXPECT_EQ(read.nMax, 10);
    EXPECT_EQ(read.nPage, 3u);
    EXPECT_EQ(read.nPos, 4);
    EXPECT_EQ(read.nTrackPos, -1);
}

TEST_F(SkinScrollTest, BorderMovesToTheFrameAndClientEdgeGoes) {
    ASSERT_NE(MakeTarget(WS_VSCROLL | WS_BORDER, 0, 50), nullptr);
    RECT before{};
    ::GetWindowRect(m_target, &before);
    CSkinScrollWnd* frame = SkinWndScroll(m_target, m_skin.Get(), 1.0f, 0);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->GetStyle() & WS_BORDER);
    EXPECT_FALSE(::GetWindowLongPtrW(m_target, GWL_STYLE) & WS_BORDER);
    const RECT outer = frame->GetWindowRect();
    EXPECT_EQ(outer.right - outer.left, before.right - before.left);
    EXPECT_EQ(outer.bottom - outer.top, before.bottom - before.top);
    // The target fills the frame inside its border.
    RECT targetRect{};
    ::GetWindowRect(m_target, &targetRect);
    const RECT frameClient = frame->GetClientRect();
    EXPECT_EQ(targetRect.right - targetRect.left, frameClient.right);
    EXPECT_EQ(targetRect.bottom - targetRect.top, frameClient.bottom);
    ASSERT_TRUE(UnskinWndScroll(m_target));
    EXPECT_TRUE(::GetWindowLongPtrW(m_target, GWL_STYLE) & WS_BORDER); // given back

    HWND edged =
        ::CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", L"x", WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 10,
                          10, 200, 100, m_host.GetSafeHwnd(), nullptr, nullptr, nullptr);
    ASSERT_NE(edged, nullptr);
    ::GetWindowRect(edged, &before);
    CSkinScrollWnd* edgedFrame = SkinWndScroll(edged, m_skin.Get(), 1.0f, 0);
    ASSERT_NE(edgedFrame, nullptr);
    EXPECT_FALSE(::GetWindowLongPtrW(edged, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_FALSE(edgedFrame->GetExStyle() & WS_EX_CLIENTEDGE);
    const RECT edgedOuter = edgedFrame->GetWindowRect();
    EXPECT_EQ(edgedOuter.right - edgedOuter.left, before.right - before.left);
    ::DestroyWindow(edged);
    test::PumpPending();
}

TEST_F(SkinScrollTest, UnskinPutsTheTargetBackAndTheFrameGoes) {
    ASSERT_NE(MakeTarget(WS_VSCROLL, 0, 50), nullptr);
    RECT before{};
    ::GetWindowRect(m_target, &before);
    CSkinScrollWnd* frame = SkinWndScroll(m_target, m_skin.Get(), 1.0f, 0);
    ASSERT_NE(frame, nullptr);
    HWND frameHwnd = frame->GetSafeHwnd();
    EXPECT_TRUE(UnskinWndScroll(m_target));
    EXPECT_FALSE(::IsWindow(frameHwnd));
    EXPECT_EQ(::GetParent(m_target), m_host.GetSafeHwnd());
    EXPECT_EQ(CSkinScrollWnd::FromTarget(m_target), nullptr);
    RECT after{};
    ::GetWindowRect(m_target, &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    // Harmless on a window that is not skinned (any more), or on nothing.
    EXPECT_TRUE(UnskinWndScroll(m_target));
    EXPECT_TRUE(UnskinWndScroll(nullptr));
    // And it can be skinned again.
    EXPECT_NE(SkinWndScroll(m_target, m_skin.Get(), 1.0f, 0), nullptr);
    EXPECT_EQ(SkinWndScroll(m_target, m_skin.Get(), 1.0f, 0), nullptr); // but not twice
}

TEST_F(SkinScrollTest, DestroyingTheTargetTakesTheFrameAlong) {
    ASSERT_NE(MakeTarget(WS_VSCROLL, 0, 50), nullptr);
    CSkinScrollWnd* frame = SkinWndScroll(m_target, m_skin.Get(), 1.0f, 0);
    ASSERT_NE(frame, nullptr);
    HWND frameHwnd = frame->GetSafeHwnd();
    ASSERT_TRUE(::DestroyWindow(m_target));
    m_target = nullptr;
    EXPECT_TRUE(test::PumpUntil([&] { return !::IsWindow(frameHwnd); }, 2000));
}

TEST_F(SkinScrollTest, DestroyingTheParentTakesEverythingAlong) {
    test::TestHostWindow dialog;
    ASSERT_TRUE(dialog.Create(200, 150));
    HWND target = ::CreateWindowExW(0, L"RichEdit20W", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 0, 0,
                                    180, 120, dialog.GetSafeHwnd(), nullptr, nullptr, nullptr);
    ASSERT_NE(target, nullptr);
    CSkinScrollWnd* frame = SkinWndScroll(target, m_skin.Get(), 1.0f, 0);
    ASSERT_NE(frame, nullptr);
    HWND frameHwnd = frame->GetSafeHwnd();
    ASSERT_TRUE(dialog.DestroyWindow());
    test::PumpPending();
    EXPECT_FALSE(::IsWindow(frameHwnd));
    EXPECT_FALSE(::IsWindow(target));
}

TEST_F(SkinScrollTest, WindowWithoutParentOrHandleIsRefused) {
    EXPECT_EQ(SkinWndScroll(nullptr, m_skin.Get(), 1.0f, 0), nullptr);
    HWND popup =
        ::CreateWindowExW(0, L"EDIT", L"", WS_POPUP | WS_VSCROLL, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(SkinWndScroll(popup, m_skin.Get(), 1.0f, 0), nullptr);
    ::DestroyWindow(popup);
}

TEST_F(SkinScrollTest, BothBarsGetTheCorner) {
    // A multi-line edit box keeps both of its bars.
    m_target = ::CreateWindowExW(0, L"EDIT", ManyLines(50).c_str(),
                                 WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL, 20,
                                 10, 380, 300, m_host.GetSafeHwnd(), nullptr, nullptr, nullptr);
    ASSERT_NE(m_target, nullptr);
    CSkinScrollWnd* frame = SkinWndScroll(m_target, m_skin.Get(), 1.0f, 0);
    ASSERT_NE(frame, nullptr);
    test::PumpPending();
    EXPECT_TRUE(frame->VerticalBar().IsWindowVisible());
    EXPECT_TRUE(frame->HorizontalBar().IsWindowVisible());
    EXPECT_EQ(frame->GetCorner(), 2);
    const RECT h = frame->HorizontalBar().GetWindowRect();
    const RECT v = frame->VerticalBar().GetWindowRect();
    EXPECT_EQ(h.bottom - h.top, 13);
    EXPECT_EQ(h.right, v.left); // the corner square is left to the frame
}

} // namespace
} // namespace tsu
