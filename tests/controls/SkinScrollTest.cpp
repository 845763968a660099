#include "controls/CSkinScrollWnd.h"
#include "res/ResourceIds.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

namespace tsu {
namespace {

constexpr UINT kTargetId = 1009;

RECT WindowRectOf(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return r;
}
SCROLLINFO InfoOf(HWND hwnd, int bar) {
    SCROLLINFO info{sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
    ::GetScrollInfo(hwnd, bar, &info);
    return info;
}

class SkinScrollTest : public ::testing::Test {
protected:
    static LPARAM At(POINT pt) { return MAKELPARAM(pt.x, pt.y); }
    static POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    static COLORREF PixelOnScreen(CWnd& window, POINT pt) {
        ::UpdateWindow(window.GetSafeHwnd());
        return ::GetPixel(UniqueWindowDc(window.GetSafeHwnd()).Get(), pt.x, pt.y);
    }
    static std::pair<LONG, LONG> SizeOf(const RECT& r) { return {r.right - r.left, r.bottom - r.top}; }
    void SetUp() override {
        ASSERT_TRUE(test::EnsureGdiplus());
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
    // A target of lines text lines (a read-only rich edit box unless className says otherwise), skinned.
    CSkinScrollWnd* Skinned(int lines, DWORD style = WS_VSCROLL, const wchar_t* className = L"RichEdit20W",
                            DWORD exStyle = 0, float scale = 1.0f) {
        if (m_target)
            ::DestroyWindow(m_target);
        std::wstring text;
        for (int i = 0; i < lines; ++i)
            text += L"    第 " + std::to_wstring(i + 1) + L" 条：本工具的使用许可协议条款示例文字。\r\n";
        m_target =
            ::CreateWindowExW(exStyle, className, L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | style, 20,
                              10, 380, 300, m_host.GetSafeHwnd(), reinterpret_cast<HMENU>(kTargetId), nullptr, nullptr);
        ::SendMessageW(m_target, WM_SETFONT, reinterpret_cast<WPARAM>(m_host.GetHostFont()), TRUE);
        ::SetWindowTextW(m_target, text.c_str());
        m_before = WindowRectOf(m_target);
        CSkinScrollWnd* frame = SkinWndScroll(m_target, m_skin.Get(), scale, 0);
        EXPECT_NE(frame, nullptr);
        return frame;
    }
    int FirstVisibleLine() const { return static_cast<int>(::SendMessageW(m_target, EM_GETFIRSTVISIBLELINE, 0, 0)); }
    bool BarInStep(CSkinScrollBar& bar) {
        return test::PumpUntil(
            [&] {
                const SCROLLINFO t = InfoOf(m_target, SB_VERT), &b = bar.GetInfo();
                return t.nMax == b.nMax && t.nPage == b.nPage && t.nPos == b.nPos && t.nMax > 0;
            },
            10000);
    }
    CSkinScrollBar* SkinnedBar(float scale = 1.0f, int lines = 200, const wchar_t* className = L"RichEdit20W") {
        CSkinScrollWnd* frame = Skinned(lines, WS_VSCROLL, className, 0, scale);
        return frame && BarInStep(frame->VerticalBar()) ? &frame->VerticalBar() : nullptr;
    }
    bool Scrolls(DWORD ms) {
        const int line = FirstVisibleLine();
        return test::PumpUntil([&] { return FirstVisibleLine() != line; }, ms);
    }

    UniqueHbitmap m_skin;
    test::TestHostWindow m_host;
    HWND m_target = nullptr;
    RECT m_before{};
};

TEST_F(SkinScrollTest, FrameTakesTheTargetInAndPlacesItsBars) {
    CSkinScrollWnd* frame = Skinned(200);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetDlgCtrlID(), kTargetId);
    const RECT frameRect = frame->GetWindowRect();
    EXPECT_EQ(SizeOf(frameRect), SizeOf(m_before));
    test::PumpPending();
    CSkinScrollBar& bar = frame->VerticalBar();
    EXPECT_TRUE(bar.IsWindowVisible());
    EXPECT_FALSE(frame->HorizontalBar().IsWindowVisible());
    const RECT barRect = bar.GetWindowRect();
    EXPECT_EQ(std::tuple(barRect.right - barRect.left, barRect.right), std::tuple(13, frameRect.right));
    // "LIMIT" ends where the bar starts, so the target's own bar is clipped away.
    EXPECT_EQ(WindowRectOf(frame->GetLimitWindow()).right, barRect.left);
    EXPECT_TRUE(BarInStep(bar));
    EXPECT_TRUE(bar.IsWindowEnabled());
    EXPECT_TRUE(test::SaveWindowPng(m_host.GetSafeHwnd(), L"controls_skin_scroll_richedit"));
    SCOPED_TRACE("both bars"); // an edit box keeps both of its bars
    ASSERT_NE(frame = Skinned(50, ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL, L"EDIT"), nullptr);
    test::PumpPending();
    EXPECT_TRUE(frame->VerticalBar().IsWindowVisible() && frame->HorizontalBar().IsWindowVisible());
    const RECT h = frame->HorizontalBar().GetWindowRect();
    EXPECT_EQ(h.bottom - h.top, 13);
    EXPECT_EQ(h.right, frame->VerticalBar().GetWindowRect().left); // the corner square is left to the frame
    ::SetWindowTextW(m_target, std::wstring(200, L'W').c_str());
    ASSERT_TRUE(test::PumpUntil([&] { return frame->HorizontalBar().GetInfo().nMax > 0; }, 10000));
    const POINT right = Centre(frame->HorizontalBar().GetPartRect(kSkinPartLineDown));
    frame->HorizontalBar().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(right));
    frame->HorizontalBar().SendMessage(WM_LBUTTONUP, 0, At(right));
    const int horizontal = InfoOf(m_target, SB_HORZ).nPos; // read back at once, not at the next timer tick
    EXPECT_TRUE(horizontal > 0 && frame->HorizontalBar().GetInfo().nPos == horizontal) << horizontal;
    SCOPED_TRACE("page covering everything");                      // two lines: range 0-2, page 3
    ASSERT_NE(frame = Skinned(1, WS_VSCROLL, L"EDIT"), nullptr);
    ASSERT_TRUE(test::PumpUntil([&] { return frame->VerticalBar().GetInfo().nPage > 0; }, 10000));
    EXPECT_FALSE(frame->VerticalBar().IsWindowEnabled());
    SCOPED_TRACE("border and client edge");
    ASSERT_NE(frame = Skinned(50, WS_VSCROLL | WS_BORDER), nullptr);
    EXPECT_TRUE(frame->GetStyle() & WS_BORDER);
    EXPECT_FALSE(::GetWindowLongPtrW(m_target, GWL_STYLE) & WS_BORDER);
    EXPECT_EQ(SizeOf(frame->GetWindowRect()), SizeOf(m_before));
    EXPECT_EQ(SizeOf(WindowRectOf(m_target)), SizeOf(frame->GetClientRect())); // fills the frame inside its border
    ASSERT_TRUE(UnskinWndScroll(m_target));
    EXPECT_TRUE(::GetWindowLongPtrW(m_target, GWL_STYLE) & WS_BORDER); // given back
    ASSERT_NE(frame = Skinned(1, WS_VSCROLL, L"RichEdit20W", WS_EX_CLIENTEDGE), nullptr);
    EXPECT_FALSE((::GetWindowLongPtrW(m_target, GWL_EXSTYLE) | frame->GetExStyle()) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(SizeOf(frame->GetWindowRect()), SizeOf(m_before));
}

TEST_F(SkinScrollTest, ArrowScrollsOnceRepeatsPausesAwayFromItEndsWithTheCaptureAndStopsAtTheLastPosition) {
    CSkinScrollBar* bar = SkinnedBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(FirstVisibleLine(), 0);
    const POINT arrow = Centre(bar->GetPartRect(kSkinPartLineDown));
    const ULONGLONG pressed = ::GetTickCount64();
    bar->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(arrow));
    EXPECT_EQ(FirstVisibleLine(), 1); // one line at once
    ASSERT_TRUE(test::PumpUntil([&] { return FirstVisibleLine() >= 4; }, 10000));
    EXPECT_GE(::GetTickCount64() - pressed, 700u); // timers never fire early: 500 ms, then three of 100 ms
    bar->SendMessage(WM_LBUTTONUP, 0, At(arrow));
    EXPECT_FALSE(::KillTimer(bar->GetSafeHwnd(), CSkinScrollBar::kRepeatTimer)); // nothing left ticking
    EXPECT_FALSE(Scrolls(300));
    EXPECT_TRUE(BarInStep(*bar)); // the bar follows where the box went
    bar->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(arrow));
    bar->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(POINT{arrow.x, 5})); // onto the up arrow
    EXPECT_FALSE(Scrolls(800));
    bar->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(arrow));
    ASSERT_EQ(::GetCapture(), bar->GetSafeHwnd());
    ::SetCapture(m_host.GetSafeHwnd()); // another window takes the mouse (a menu, a drag elsewhere)
    ::ReleaseCapture();
    EXPECT_FALSE(Scrolls(700));
    SCOPED_TRACE("last position");
    // An edit box's last position is nMax - nPage + 1, below nMax: waiting for nMax would repeat forever.
    ASSERT_NE(bar = SkinnedBar(1.0f, 30, L"EDIT"), nullptr);
    const SCROLLINFO info = InfoOf(m_target, SB_VERT);
    const int last = info.nMax - static_cast<int>(info.nPage) + 1;
    ASSERT_TRUE(last > 0 && last < info.nMax) << last;
    const POINT down = Centre(bar->GetPartRect(kSkinPartLineDown));
    bar->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(down));
    ASSERT_TRUE(test::PumpUntil([&] { return bar->GetInfo().nPos >= last && bar->IsRepeating(); }, 20000));
    EXPECT_TRUE( // one more tick finds the end and stops the repeat timer
        test::PumpUntil([&] { return !::KillTimer(bar->GetSafeHwnd(), CSkinScrollBar::kRepeatTimer); }, 10000));
    bar->SendMessage(WM_LBUTTONUP, 0, At(down));
    EXPECT_EQ(InfoOf(m_target, SB_VERT).nPos, last);
}

TEST_F(SkinScrollTest, PageAreaPagesToThePointerAndTheDraggedThumbScrollsLive) {
    CSkinScrollBar* bar = SkinnedBar();
    ASSERT_NE(bar, nullptr);
    const RECT page = bar->GetPartRect(kSkinPartPageDown);
    const POINT pointer{(page.left + page.right) / 2, page.top + (page.bottom - page.top) / 3};
    bar->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(pointer));
    EXPECT_GT(FirstVisibleLine(), 1); // a whole page at once
    ASSERT_TRUE(test::PumpUntil([&] { return bar->GetLayout().ThumbEnd() > pointer.y; }, 10000));
    EXPECT_FALSE(Scrolls(400)); // the thumb is under the pointer: paging stops
    EXPECT_LE(bar->GetLayout().thumbStart, pointer.y + 1);
    bar->SendMessage(WM_LBUTTONUP, 0, At(pointer));
    const POINT thumb = Centre(bar->GetPartRect(kSkinPartThumb));
    const COLORREF unlit = PixelOnScreen(*bar, thumb);
    bar->SendMessage(WM_MOUSEMOVE, 0, At(thumb));
    EXPECT_EQ(bar->GetHotPart(), kSkinPartThumb);
    EXPECT_NE(PixelOnScreen(*bar, thumb), unlit); // lit at once, not at the next paint
    bar->SendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(bar->GetHotPart(), kSkinPartNone);
    bar->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(thumb));
    const int paged = FirstVisibleLine();
    bar->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(POINT{thumb.x, thumb.y + 60}));
    EXPECT_GT(bar->GetInfo().nTrackPos, 0);
    EXPECT_GT(FirstVisibleLine(), paged); // the box moved while dragging
    bar->SendMessage(WM_LBUTTONUP, 0, At(POINT{thumb.x, thumb.y + 60}));
    EXPECT_EQ(bar->GetInfo().nTrackPos, -1);
    EXPECT_EQ(bar->GetInfo().nPos, InfoOf(m_target, SB_VERT).nPos); // where the box really went
}

TEST_F(SkinScrollTest, BarPaintsItsPartsFromTheSkinCellsAt120Dpi) {
    CSkinScrollBar* bar = SkinnedBar(1.2f);
    ASSERT_NE(bar, nullptr);
    const RECT client = bar->GetClientRect();
    CMemoryCanvas canvas;
    ASSERT_TRUE(canvas.CreateDib32(client.right, client.bottom));
    bar->PaintTo(canvas.Dc());
    UniqueMemoryDc skinDc(::CreateCompatibleDC(nullptr));
    ScopedSelectObject select(skinDc.Get(), m_skin.Get());
    const COLORREF trackColour = ::GetPixel(skinDc.Get(), 3 * 13 + 6, 6);
    const SkinBarLayout layout = bar->GetLayout();
    EXPECT_EQ(client.right, 15); // 13 x 1.2 truncated, as the arrows
    const int x = client.right / 2;
    EXPECT_TRUE(test::ColorNear(canvas.PixelAt(x, layout.thumbStart + layout.thumbLength / 2),
                                ::GetPixel(skinDc.Get(), 2 * 13 + 6, 6), 12));
    EXPECT_TRUE(test::ColorNear(canvas.PixelAt(x, layout.ThumbEnd() + 20), trackColour, 6));
    // The up arrow's glyph is there: its cell is not a flat colour.
    EXPECT_GT(test::CountNonBackground(canvas, RECT{0, 0, client.right, layout.arrowLength}, trackColour, 30), 5);
    test::SaveCanvasPng(canvas, L"controls_skin_scroll_bar_120dpi");
    CSkinScrollBar bare;
    ASSERT_TRUE(bare.Create(SBS_VERT | WS_VISIBLE, RECT{0, 0, 13, 100}, m_host.GetSafeHwnd(), 5));
    SCROLLINFO info{sizeof(info), SIF_ALL, 0, 10, 3, 4, 0};
    bare.SetScrollInfo(info);
    // The system API reaches the skinned bar's own information through SBM_GETSCROLLINFO.
    const SCROLLINFO read = InfoOf(bare.GetSafeHwnd(), SB_CTL);
    EXPECT_EQ(std::tuple(read.nMax, read.nPage, read.nPos, read.nTrackPos), std::tuple(10, 3u, 4, -1));
}

TEST_F(SkinScrollTest, UnskinningOrDestroyingTakesTheFrameAway) {
    EXPECT_EQ(SkinWndScroll(nullptr, m_skin.Get(), 1.0f, 0), nullptr);
    constexpr LONG_PTR kOwnersData = 0x5EED;
    for (int end : {0, 1, 2}) { // unskin, destroy the target, destroy its parent
        SCOPED_TRACE(end);
        test::TestHostWindow dialog;
        ASSERT_TRUE(dialog.Create(200, 150));
        HWND target = ::CreateWindowExW(0, L"RichEdit20W", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 5, 5,
                                        180, 120, dialog.GetSafeHwnd(), nullptr, nullptr, nullptr);
        ASSERT_NE(target, nullptr);
        ::SetWindowLongPtrW(target, GWLP_USERDATA, kOwnersData); // the owner's, not the frame's
        const RECT before = WindowRectOf(target);
        CSkinScrollWnd* frame = SkinWndScroll(target, m_skin.Get(), 1.0f, 0);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(SkinWndScroll(target, m_skin.Get(), 1.0f, 0), nullptr); // not twice
        EXPECT_EQ(::GetWindowLongPtrW(target, GWLP_USERDATA), kOwnersData);
        const HWND frameHwnd = frame->GetSafeHwnd();
        if (end == 0) {
            EXPECT_TRUE(UnskinWndScroll(target));
            EXPECT_EQ(::GetParent(target), dialog.GetSafeHwnd());
            EXPECT_EQ(CSkinScrollWnd::FromTarget(target), nullptr);
            EXPECT_EQ(::GetWindowLongPtrW(target, GWLP_USERDATA), kOwnersData);
            const RECT after = WindowRectOf(target);
            EXPECT_TRUE(::EqualRect(&after, &before));
            EXPECT_NE(SkinWndScroll(target, m_skin.Get(), 1.0f, 0), nullptr); // and it can be skinned again
        } else {
            ASSERT_TRUE(end == 1 ? ::DestroyWindow(target) : dialog.DestroyWindow());
            EXPECT_FALSE(::IsWindow(target));
        }
        EXPECT_TRUE(test::PumpUntil([&] { return !::IsWindow(frameHwnd); }, 10000));
    }
}

} // namespace
} // namespace tsu
