// The skinned tab strip under Wine: the selected tab from the selected half of the skin with blue
// text, the others from the unselected half in black, the grey line under the tabs, an empty
// strip, and a missing skin.

#include "controls/CTabCtrlEx.h"
#include "framework/ResourceModule.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

const bool kGdiplusStarted = test::EnsureGdiplus();

class TabTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_host.Create(520, 60));
        ASSERT_TRUE(m_tabs.Create(WS_VISIBLE | WS_TABSTOP | TCS_FIXEDWIDTH, RECT{10, 10, 510, 52},
                                  m_host.GetSafeHwnd(), 1020));
        ASSERT_TRUE(m_tabs.SetFontFromParent(0, 0));
    }
    void AddTabs() {
        ASSERT_EQ(m_tabs.InsertItem(0, L"常规卸载"), 0);
        ASSERT_EQ(m_tabs.InsertItem(1, L"智能卸载"), 1);
        m_tabs.SetItemSize(100, 30);
        m_tabs.SetMinTabWidth(80);
        m_tabs.SetCurSel(0);
    }
    void Paint(CMemoryCanvas& canvas) {
        const RECT client = m_tabs.GetClientRect();
        ASSERT_TRUE(canvas.CreateDib32(client.right, client.bottom));
        m_tabs.PaintTo(canvas.Dc());
    }
    static int PureBlueText(const CMemoryCanvas& canvas, const RECT& rect) {
        return test::CountPixels(
            canvas, rect, [](COLORREF c) { return GetBValue(c) > 180 && GetRValue(c) < 100 && GetGValue(c) < 100; });
    }
    static int DarkText(const CMemoryCanvas& canvas, const RECT& rect) {
        return test::CountPixels(
            canvas, rect, [](COLORREF c) { return GetRValue(c) < 90 && GetGValue(c) < 90 && GetBValue(c) < 90; });
    }

    test::TestHostWindow m_host;
    CTabCtrlEx m_tabs;
};

TEST_F(TabTest, SelectedTabIsDrawnFromTheSelectedSkinWithBlueText) {
    AddTabs();
    CMemoryCanvas canvas;
    Paint(canvas);
    RECT first{};
    RECT second{};
    ASSERT_TRUE(m_tabs.GetItemRect(0, first));
    ASSERT_TRUE(m_tabs.GetItemRect(1, second));
    EXPECT_GT(PureBlueText(canvas, first), 15);
    EXPECT_EQ(DarkText(canvas, first), 0);
    EXPECT_GT(DarkText(canvas, second), 15);
    EXPECT_LT(PureBlueText(canvas, second), 3);
    // Bodies: the selected tab is white near its bottom, the unselected one is not.
    EXPECT_EQ(canvas.PixelAt(first.left + 4, first.bottom - 3), RGB(255, 255, 255));
    EXPECT_NE(canvas.PixelAt(second.left + 4, second.bottom - 3), RGB(255, 255, 255));
    // The accent along the top of the selected tab comes from the skin.
    const COLORREF accent = canvas.PixelAt((first.left + first.right) / 2, first.top + 1);
    EXPECT_GT(GetBValue(accent), 200);
    EXPECT_LT(GetRValue(accent), 100);
    // ...and not along the bottom of the unselected one (the skin row both halves share).
    const RECT bottomRow{second.left, second.bottom - 1, second.right, second.bottom};
    EXPECT_EQ(test::CountPixels(canvas, bottomRow, [](COLORREF c) { return GetBValue(c) > GetRValue(c) + 60; }), 0);
}

TEST_F(TabTest, GreyLineRunsUnderTheTabs) {
    AddTabs();
    CMemoryCanvas canvas;
    Paint(canvas);
    RECT last{};
    ASSERT_TRUE(m_tabs.GetItemRect(1, last));
    const RECT client = m_tabs.GetClientRect();
    const int y = last.bottom + 2;
    ASSERT_LT(y, client.bottom);
    EXPECT_TRUE(test::ColorNear(canvas.PixelAt(client.right - 20, y), CTabCtrlEx::kLineColor, 3));
    EXPECT_TRUE(test::ColorNear(canvas.PixelAt(client.right - 20, y - 4), CTabCtrlEx::kBackground, 3));
}

TEST_F(TabTest, SelectionChangeMovesTheLook) {
    AddTabs();
    m_tabs.SetCurSel(1);
    CMemoryCanvas canvas;
    Paint(canvas);
    RECT first{};
    RECT second{};
    ASSERT_TRUE(m_tabs.GetItemRect(0, first));
    ASSERT_TRUE(m_tabs.GetItemRect(1, second));
    EXPECT_GT(PureBlueText(canvas, second), 15);
    EXPECT_GT(DarkText(canvas, first), 15);
}

TEST_F(TabTest, StripWithoutTabsIsJustBackground) {
    CMemoryCanvas canvas;
    Paint(canvas);
    const RECT client = m_tabs.GetClientRect();
    EXPECT_EQ(test::CountNonBackground(canvas, client, CTabCtrlEx::kBackground, 1), 0);
}

TEST_F(TabTest, MissingSkinStillDrawsTheTexts) {
    SetResourceModule(::GetModuleHandleW(L"kernel32.dll"));
    AddTabs();
    CMemoryCanvas canvas;
    Paint(canvas);
    SetResourceModule(nullptr);
    RECT first{};
    ASSERT_TRUE(m_tabs.GetItemRect(0, first));
    EXPECT_GT(PureBlueText(canvas, first), 15);
    EXPECT_NE(canvas.PixelAt(first.left + 4, first.bottom - 3), RGB(255, 255, 255)); // no skin body
}

TEST_F(TabTest, ZeroSizeHugeAndVeryLongTitlesPaintSafely) {
    std::wstring title(100000, L'卸');
    ASSERT_EQ(m_tabs.InsertItem(0, title), 0);
    ASSERT_EQ(m_tabs.InsertItem(1, L""), 1);
    CMemoryCanvas canvas;
    Paint(canvas);
    EXPECT_EQ(m_tabs.GetItemText(0).size(), 1023u); // read up to 1,023 characters
    CTabCtrlEx empty;
    ASSERT_TRUE(empty.Create(WS_VISIBLE, RECT{0, 0, 0, 0}, m_host.GetSafeHwnd(), 2));
    ASSERT_EQ(empty.InsertItem(0, L"常规卸载"), 0);
    empty.Invalidate();
    test::PumpPending();
    CMemoryCanvas none;
    ASSERT_TRUE(none.CreateDib32(1, 1));
    empty.PaintTo(none.Dc()); // nothing to paint into: no crash
    CTabCtrlEx huge;
    // Too big for a memory bitmap (3.6 GB): the paint gives up quietly.
    ASSERT_TRUE(huge.Create(WS_VISIBLE, RECT{0, 0, 30000, 30000}, m_host.GetSafeHwnd(), 3));
    ASSERT_EQ(huge.InsertItem(0, L"智能卸载"), 0);
    huge.Invalidate();
    test::PumpPending();
}

TEST_F(TabTest, EraseIsSuppressedAndTheScreenShowsThePaint) {
    AddTabs();
    EXPECT_EQ(m_tabs.SendMessage(WM_ERASEBKGND, 0, 0), TRUE);
    CMemoryCanvas shot;
    ASSERT_TRUE(test::CaptureWindow(m_tabs.GetSafeHwnd(), shot));
    RECT first{};
    ASSERT_TRUE(m_tabs.GetItemRect(0, first));
    EXPECT_GT(PureBlueText(shot, first), 15);
    EXPECT_TRUE(test::SaveWindowPng(m_host.GetSafeHwnd(), L"controls_tab_strip"));
}

} // namespace
} // namespace tsu
