#include "controls/CTabCtrlEx.h"
#include "framework/ResourceModule.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

class TabTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_host.Create(520, 60));
        ASSERT_TRUE(m_tabs.Create(WS_VISIBLE | WS_TABSTOP | TCS_FIXEDWIDTH, RECT{10, 10, 510, 52},
                                  m_host.GetSafeHwnd(), 1020));
        ASSERT_TRUE(m_tabs.SetFontFromParent(0, 0));
    }
    // Two tabs, the given one selected, painted; their rectangles in m_tab.
    void PaintTabs(int selected) {
        ASSERT_EQ(m_tabs.InsertItem(0, L"常规卸载"), 0);
        ASSERT_EQ(m_tabs.InsertItem(1, L"智能卸载"), 1);
        m_tabs.SetItemSize(100, 30);
        m_tabs.SetMinTabWidth(80);
        m_tabs.SetCurSel(selected);
        ASSERT_TRUE(m_tabs.GetItemRect(0, m_tab[0]));
        ASSERT_TRUE(m_tabs.GetItemRect(1, m_tab[1]));
        const RECT client = m_tabs.GetClientRect();
        ASSERT_TRUE(m_canvas.CreateDib32(client.right, client.bottom));
        m_tabs.PaintTo(m_canvas.Dc());
    }
    int BlueText(const RECT& rect) {
        return test::CountPixels(m_canvas, rect, [](COLORREF c) {
            return GetBValue(c) > 180 && GetRValue(c) < 100 && GetGValue(c) < 100;
        });
    }
    int DarkText(const RECT& rect) {
        return test::CountPixels(
            m_canvas, rect, [](COLORREF c) { return GetRValue(c) < 90 && GetGValue(c) < 90 && GetBValue(c) < 90; });
    }
    COLORREF BottomOf(int tab) { return m_canvas.PixelAt(m_tab[tab].left + 4, m_tab[tab].bottom - 3); }

    test::TestHostWindow m_host;
    CTabCtrlEx m_tabs;
    CMemoryCanvas m_canvas;
    RECT m_tab[2]{};
};

TEST_F(TabTest, SelectedTabComesFromTheSelectedSkinWithBlueText) {
    for (int selected : {0, 1}) {
        SCOPED_TRACE(selected);
        m_tabs.SendMessage(TCM_DELETEALLITEMS, 0, 0);
        PaintTabs(selected);
        const int other = 1 - selected;
        EXPECT_GT(BlueText(m_tab[selected]), 15);
        EXPECT_EQ(DarkText(m_tab[selected]), 0);
        EXPECT_GT(DarkText(m_tab[other]), 15);
        EXPECT_LT(BlueText(m_tab[other]), 3);
        // The selected body is white near its bottom, with the skin's accent along its top.
        EXPECT_EQ(BottomOf(selected), RGB(255, 255, 255));
        EXPECT_NE(BottomOf(other), RGB(255, 255, 255));
        const COLORREF accent = m_canvas.PixelAt((m_tab[selected].left + m_tab[selected].right) / 2, m_tab[selected].top + 1);
        EXPECT_GT(GetBValue(accent), 200);
        EXPECT_LT(GetRValue(accent), 100);
        // No accent along the bottom of the unselected one (the skin row both halves share).
        const RECT bottomRow{m_tab[other].left, m_tab[other].bottom - 1, m_tab[other].right, m_tab[other].bottom};
        EXPECT_EQ(test::CountPixels(m_canvas, bottomRow, [](COLORREF c) { return GetBValue(c) > GetRValue(c) + 60; }),
                  0);
    }
    // The grey line under the tabs, the background above it.
    const int y = m_tab[1].bottom + 2;
    const int x = m_tabs.GetClientRect().right - 20;
    EXPECT_TRUE(test::ColorNear(m_canvas.PixelAt(x, y), CTabCtrlEx::kLineColor, 3));
    EXPECT_TRUE(test::ColorNear(m_canvas.PixelAt(x, y - 4), CTabCtrlEx::kBackground, 3));
}

TEST_F(TabTest, StripWithoutTabsIsJustBackground) {
    CMemoryCanvas canvas;
    const RECT client = m_tabs.GetClientRect();
    ASSERT_TRUE(canvas.CreateDib32(client.right, client.bottom));
    m_tabs.PaintTo(canvas.Dc());
    EXPECT_EQ(test::CountNonBackground(canvas, client, CTabCtrlEx::kBackground, 1), 0);
}

TEST_F(TabTest, MissingSkinStillDrawsTheTexts) {
    SetResourceModule(::GetModuleHandleW(L"kernel32.dll"));
    PaintTabs(0);
    SetResourceModule(nullptr);
    EXPECT_GT(BlueText(m_tab[0]), 15);
    EXPECT_NE(BottomOf(0), RGB(255, 255, 255)); // no skin body
}

TEST_F(TabTest, EraseIsSuppressedAndTheScreenShowsThePaint) {
    PaintTabs(0);
    EXPECT_EQ(m_tabs.SendMessage(WM_ERASEBKGND, 0, 0), TRUE);
    ASSERT_TRUE(test::CaptureWindow(m_tabs.GetSafeHwnd(), m_canvas));
    EXPECT_GT(BlueText(m_tab[0]), 15);
    EXPECT_TRUE(test::SaveWindowPng(m_host.GetSafeHwnd(), L"controls_tab_strip"));
}

} // namespace
} // namespace tsu
