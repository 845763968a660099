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
constexpr UINT kHeaderId = 101;
constexpr COLORREF kBack = CHeaderCtrlEx::kDefaultBackground;

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
    // Two columns (200 and 150 wide) with the box shown; painted once so the box has its place.
    void MakeHeader(float scale = 1.0f, int height = 30, bool box = true) {
        m_header.SetScale(scale);
        ASSERT_TRUE(m_header.Create(WS_VISIBLE | CCS_TOP, RECT{0, 0, 400, height}, m_host.GetSafeHwnd(), kHeaderId));
        const std::pair<const wchar_t*, int> columns[] = {{L"软件名称", 200}, {L"大小", 150}};
        for (int i = 0; i < 2; ++i) {
            HDITEMW item{};
            item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
            item.cxy = columns[i].second;
            item.pszText = const_cast<wchar_t*>(columns[i].first);
            item.fmt = HDF_STRING | HDF_CENTER;
            ASSERT_EQ(m_header.InsertItem(i, item), i);
        }
        m_header.ShowCheckBox(box);
        Paint();
    }
    void Paint() {
        const RECT client = m_header.GetClientRect();
        ASSERT_TRUE(m_canvas.CreateDib32(client.right, client.bottom));
        m_header.PaintTo(m_canvas.Dc());
    }
    void ClickBox() {
        const RECT box = m_header.GetCheckRect();
        const LPARAM at = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
        m_header.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        m_header.SendMessage(WM_LBUTTONUP, 0, at);
    }
    int Ink(const RECT& rect, int tolerance = 40) { return test::CountNonBackground(m_canvas, rect, kBack, tolerance); }
    int BlueInBox() {
        return test::CountPixels(m_canvas, m_header.GetCheckRect(),
                                 [](COLORREF c) { return GetBValue(c) > 200 && GetRValue(c) < 120; });
    }

    test::TestHostWindow m_host;
    CHeaderCtrlEx m_header;
    CMemoryCanvas m_canvas;
    std::vector<WPARAM> m_notifications;
};

TEST_F(HeaderTest, CheckBoxGeometryAt120Dpi) {
    MakeHeader(1.2f, 36);
    const RECT box = m_header.GetCheckRect();
    EXPECT_EQ(box.left, 7);              // 6 x 1.2 = 7.2
    EXPECT_EQ(box.top, 36 / 2 - 9);      // 8 x 1.2 = 9.6
    EXPECT_EQ(box.right - box.left, 19); // 16 x 1.2 = 19.2
    EXPECT_EQ(box.bottom - box.top, 19);
    // "全选" sits from 26s = 31 to 31 + 36s = 31 + 43.
    EXPECT_GT(Ink(RECT{31, 0, 74, 36}), 15);
    EXPECT_EQ(Ink(RECT{27, 0, 30, 36}), 0);
}

TEST_F(HeaderTest, ClicksOnTheBoxToggleItsLookAndTellTheParent) {
    MakeHeader();
    EXPECT_LT(BlueInBox(), 5);
    ClickBox();
    EXPECT_TRUE(m_header.GetCheck());
    Paint();
    EXPECT_GT(BlueInBox(), 80); // the checked state of the strip
    ClickBox();
    EXPECT_FALSE(m_header.GetCheck());
    m_header.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(120, 15)); // outside the box
    m_header.SetCheck(true);                                   // by the program: no notification
    m_header.ShowCheckBox(false);
    ClickBox(); // where the hidden box would be
    EXPECT_EQ(m_notifications, (std::vector<WPARAM>{1, 0}));
}

TEST_F(HeaderTest, TitlesAreShiftedEvenWithoutTheBox) {
    MakeHeader(1.0f, 30, false);
    EXPECT_EQ(Ink(RECT{0, 0, 52, 30}), 0);      // no box, no "全选"
    EXPECT_GT(Ink(RECT{52, 0, 200, 30}), 20);   // the first title in (52, 0)-(200, 30)
    EXPECT_GT(Ink(RECT{203, 0, 350, 30}), 10);  // the second
    EXPECT_EQ(Ink(RECT{351, 0, 400, 30}, 2), 0); // right of the last item: background
}

TEST_F(HeaderTest, LayoutAnswerUsesTheHeightMember) {
    MakeHeader();
    m_header.SetHeight(33);
    RECT area{0, 0, 400, 300};
    WINDOWPOS pos{};
    HDLAYOUT layout{&area, &pos};
    m_header.SendMessage(HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout));
    EXPECT_EQ(pos.cy, 33);
    EXPECT_EQ(area.top, 33);
}

TEST_F(HeaderTest, MissingCheckImageDrawsEverythingElseAndTheBoxStillWorks) {
    SetResourceModule(::GetModuleHandleW(L"kernel32.dll")); // a module without the tool's artwork
    MakeHeader();
    SetResourceModule(nullptr);
    EXPECT_EQ(Ink(m_header.GetCheckRect(), 2), 0);
    EXPECT_GT(Ink(RECT{52, 0, 200, 30}), 20);
    ClickBox();
    EXPECT_EQ(m_notifications, (std::vector<WPARAM>{1}));
}

TEST_F(HeaderTest, ScreenShowsThePaintedHeader) {
    MakeHeader();
    m_header.SetCheck(true);
    m_header.Invalidate();
    ASSERT_TRUE(test::CaptureWindow(m_header.GetSafeHwnd(), m_canvas));
    EXPECT_GT(BlueInBox(), 80); // the memory bitmap reached the screen
    EXPECT_TRUE(test::SaveWindowPng(m_host.GetSafeHwnd(), L"controls_header_select_all"));
}

} // namespace
} // namespace tsu
