// The list header under Wine: the select-all box geometry at 96 and 120 DPI, its look, the title
// shift, clicks that toggle and notify (and do nothing while the box is hidden), the layout answer,
// and a missing check-box image.

#include "controls/CHeaderCtrlEx.h"
#include "framework/Messages.h"
#include "framework/ResourceModule.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <vector>

namespace tsu {
namespace {

const bool kGdiplusStarted = test::EnsureGdiplus();

class HeaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kGdiplusStarted);
        ASSERT_TRUE(m_host.Create(420, 60));
        m_host.OnMessage = [this](UINT msg, WPARAM wp, LPARAM, LRESULT* result) {
            if (msg != WM_HEADER_CHECKALL)
                return false;
            m_notifications.push_back(wp);
            *result = 1;
            return true;
        };
    }
    void MakeHeader(float scale, int height = 30) {
        m_header.SetScale(scale);
        ASSERT_TRUE(m_header.Create(WS_VISIBLE | CCS_TOP, RECT{0, 0, 400, height}, m_host.GetSafeHwnd(), 101));
        AddItem(0, L"软件名称", 200);
        AddItem(1, L"大小", 150);
    }
    void AddItem(int index, const wchar_t* text, int width) {
        HDITEMW item{};
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
        item.cxy = width;
        item.pszText = const_cast<wchar_t*>(text);
        item.fmt = HDF_STRING | HDF_CENTER;
        ASSERT_EQ(m_header.InsertItem(index, item), index);
    }
    void Paint(CMemoryCanvas& canvas) {
        const RECT client = m_header.GetClientRect();
        ASSERT_TRUE(canvas.CreateDib32(client.right, client.bottom));
        m_header.PaintTo(canvas.Dc());
    }
    void ClickAt(POINT pt) {
        m_header.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        m_header.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    }
    static int BluePixels(const CMemoryCanvas& canvas, const RECT& rect) {
        return test::CountPixels(canvas, rect, [](COLORREF c) { return GetBValue(c) > 200 && GetRValue(c) < 120; });
    }

    test::TestHostWindow m_host;
    CHeaderCtrlEx m_header;
    std::vector<WPARAM> m_notifications;
};

TEST_F(HeaderTest, CheckBoxGeometryAt96Dpi) {
    MakeHeader(1.0f);
    m_header.ShowCheckBox(true);
    CMemoryCanvas canvas;
    Paint(canvas);
    const RECT box = m_header.GetCheckRect();
    EXPECT_EQ(box.left, 6);
    EXPECT_EQ(box.top, 30 / 2 - 8);
    EXPECT_EQ(box.right - box.left, 16);
    EXPECT_EQ(box.bottom - box.top, 16);
}

TEST_F(HeaderTest, CheckBoxGeometryAt120Dpi) {
    MakeHeader(1.2f, 36);
    m_header.ShowCheckBox(true);
    CMemoryCanvas canvas;
    Paint(canvas);
    const RECT box = m_header.GetCheckRect();
    EXPECT_EQ(box.left, 7);              // 6 x 1.2 = 7.2
    EXPECT_EQ(box.top, 36 / 2 - 9);      // 8 x 1.2 = 9.6
    EXPECT_EQ(box.right - box.left, 19); // 16 x 1.2 = 19.2
    EXPECT_EQ(box.bottom - box.top, 19);
    // "全选" sits from 26s = 31 to 31 + 36s = 31 + 43.
    EXPECT_GT(test::CountNonBackground(canvas, RECT{31, 0, 74, 36}, CHeaderCtrlEx::kDefaultBackground, 40), 15);
    EXPECT_EQ(test::CountNonBackground(canvas, RECT{27, 0, 30, 36}, CHeaderCtrlEx::kDefaultBackground, 40), 0);
}

TEST_F(HeaderTest, TickedBoxShowsTheCheckedStripState) {
    MakeHeader(1.0f);
    m_header.ShowCheckBox(true);
    CMemoryCanvas unchecked;
    Paint(unchecked);
    const RECT box = m_header.GetCheckRect();
    m_header.SetCheck(true);
    CMemoryCanvas checked;
    Paint(checked);
    EXPECT_LT(BluePixels(unchecked, box), 5);
    EXPECT_GT(BluePixels(checked, box), 80);
}

TEST_F(HeaderTest, FirstTitleIsShiftedEvenWithoutTheBox) {
    MakeHeader(1.0f);
    CMemoryCanvas canvas;
    Paint(canvas);
    // Nothing left of 52 pixels in the first column (no box, no "全选").
    EXPECT_EQ(test::CountNonBackground(canvas, RECT{0, 0, 52, 30}, CHeaderCtrlEx::kDefaultBackground, 40), 0);
    // The title is drawn, centred in (52, 0)-(200, 30).
    EXPECT_GT(test::CountNonBackground(canvas, RECT{52, 0, 200, 30}, CHeaderCtrlEx::kDefaultBackground, 40), 20);
    // The second title too, and the area right of the last item is the background.
    EXPECT_GT(test::CountNonBackground(canvas, RECT{203, 0, 350, 30}, CHeaderCtrlEx::kDefaultBackground, 40), 10);
    EXPECT_EQ(test::CountNonBackground(canvas, RECT{351, 0, 400, 30}, CHeaderCtrlEx::kDefaultBackground, 2), 0);
}

TEST_F(HeaderTest, ClickingTheBoxTogglesAndTellsTheParent) {
    MakeHeader(1.0f);
    m_header.ShowCheckBox(true);
    CMemoryCanvas canvas;
    Paint(canvas);
    const RECT box = m_header.GetCheckRect();
    const POINT centre{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    ClickAt(centre);
    EXPECT_TRUE(m_header.GetCheck());
    ClickAt(centre);
    EXPECT_FALSE(m_header.GetCheck());
    EXPECT_EQ(m_notifications, (std::vector<WPARAM>{1, 0}));
    // Outside the box: nothing.
    ClickAt(POINT{120, 15});
    EXPECT_EQ(m_notifications.size(), 2u);
}

TEST_F(HeaderTest, ClickingWhereTheBoxWouldBeDoesNothingWhileItIsHidden) {
    MakeHeader(1.0f);
    m_header.ShowCheckBox(true);
    CMemoryCanvas canvas;
    Paint(canvas);
    const RECT box = m_header.GetCheckRect();
    m_header.ShowCheckBox(false);
    ClickAt(POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2});
    EXPECT_FALSE(m_header.GetCheck());
    EXPECT_TRUE(m_notifications.empty());
}

TEST_F(HeaderTest, SetCheckDoesNotNotify) {
    MakeHeader(1.0f);
    m_header.SetCheck(true);
    EXPECT_TRUE(m_header.GetCheck());
    EXPECT_TRUE(m_notifications.empty());
}

TEST_F(HeaderTest, LayoutAnswerUsesTheHeightMember) {
    MakeHeader(1.0f);
    m_header.SetHeight(33);
    RECT area{0, 0, 400, 300};
    WINDOWPOS pos{};
    HDLAYOUT layout{&area, &pos};
    m_header.SendMessage(HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout));
    EXPECT_EQ(pos.cy, 33);
    EXPECT_EQ(area.top, 33);
}

TEST_F(HeaderTest, MissingCheckImageDrawsEverythingElseAndTheBoxStillWorks) {
    MakeHeader(1.0f);
    m_header.ShowCheckBox(true);
    // A module without the tool's resources: the strip cannot be found.
    SetResourceModule(::GetModuleHandleW(L"kernel32.dll"));
    CMemoryCanvas canvas;
    Paint(canvas);
    SetResourceModule(nullptr);
    const RECT box = m_header.GetCheckRect();
    EXPECT_EQ(test::CountNonBackground(canvas, box, CHeaderCtrlEx::kDefaultBackground, 2), 0);
    EXPECT_GT(test::CountNonBackground(canvas, RECT{52, 0, 200, 30}, CHeaderCtrlEx::kDefaultBackground, 40), 20);
    ClickAt(POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2});
    EXPECT_EQ(m_notifications, (std::vector<WPARAM>{1}));
}

TEST_F(HeaderTest, ZeroSizeAndHugeHeadersPaintSafely) {
    CHeaderCtrlEx empty;
    ASSERT_TRUE(empty.Create(WS_VISIBLE, RECT{0, 0, 0, 0}, m_host.GetSafeHwnd(), 102));
    CMemoryCanvas canvas;
    ASSERT_TRUE(canvas.CreateDib32(4, 4));
    empty.PaintTo(canvas.Dc());
    empty.Invalidate();
    test::PumpPending();
    CHeaderCtrlEx huge;
    ASSERT_TRUE(huge.Create(WS_VISIBLE, RECT{0, 0, 40000, 30}, m_host.GetSafeHwnd(), 103));
    HDITEMW item{};
    item.mask = HDI_WIDTH | HDI_TEXT;
    item.cxy = 39000;
    std::wstring longTitle(100000, L'长');
    item.pszText = longTitle.data();
    ASSERT_EQ(huge.InsertItem(0, item), 0);
    huge.Invalidate();
    test::PumpPending();
    EXPECT_EQ(huge.GetItemText(0, 256).size(), 256u); // read up to 256 characters
}

TEST_F(HeaderTest, ScreenshotOnScreen) {
    MakeHeader(1.0f);
    m_header.ShowCheckBox(true);
    m_header.SetCheck(true);
    m_header.Invalidate();
    CMemoryCanvas shot;
    ASSERT_TRUE(test::CaptureWindow(m_header.GetSafeHwnd(), shot));
    // What reached the screen is the painted header (the memory bitmap was copied).
    EXPECT_GT(BluePixels(shot, m_header.GetCheckRect()), 80);
    EXPECT_TRUE(test::SaveWindowPng(m_host.GetSafeHwnd(), L"controls_header_select_all"));
}

} // namespace
} // namespace tsu
