// Scrolling the list: bars, wheel, page and line steps, partial rows, and column drags.

#include "tests/list/ListTestSupport.h"

#include <commctrl.h>

namespace tsu::test {
namespace {

class ListScrollWindowTest : public ListWindowTest {
protected:
    // Twenty 40-pixel rows in a list whose content is not a multiple of 40 high (about 260).
    void MakeTallList() {
        MakeList(RECT{10, 10, 610, 312});
        m_list->InsertColumn(0, ListColumn{300, L"名称", 0});
        m_list->InsertColumn(1, ListColumn{200, L"说明", 0});
        FillPrograms(20);
    }
    int ViewHeight() const {
        const RECT content = Content();
        return content.bottom - content.top;
    }
    void Scroll(int code) { ::SendMessageW(m_list->GetSafeHwnd(), WM_VSCROLL, MAKEWPARAM(code, 0), 0); }
    void Wheel(short delta) {
        ::SendMessageW(m_list->GetSafeHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)),
                       MAKELPARAM(50, 50));
    }
};

TEST_F(ListScrollWindowTest, BarsAppearOnlyWhenTheRowsDoNotFit) {
    MakeList(RECT{10, 10, 610, 330});
    m_list->InsertColumn(0, ListColumn{300, L"名称", 0});
    EXPECT_FALSE(::IsWindowVisible(m_list->GetVerticalBarHwnd()));
    EXPECT_FALSE(::IsWindowVisible(m_list->GetHorizontalBarHwnd()));
    FillPrograms(20);
    EXPECT_TRUE(::IsWindowVisible(m_list->GetVerticalBarHwnd()));
    EXPECT_TRUE(::IsWindowEnabled(m_list->GetVerticalBarHwnd()));
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ASSERT_TRUE(::GetScrollInfo(m_list->GetVerticalBarHwnd(), SB_CTL, &info));
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, 800);
    EXPECT_EQ(static_cast<int>(info.nPage), ViewHeight());
    EXPECT_FALSE(::IsWindowVisible(m_list->GetHorizontalBarHwnd()));
    // Content narrows by the bar's width.
    EXPECT_EQ(Content().right, static_cast<LONG>(m_list->GetClientRect().right - ::GetSystemMetrics(SM_CXVSCROLL)));
}

TEST_F(ListScrollWindowTest, HalfScrolledFirstRowIsPaintedFromItsOffset) {
    MakeTallList();
    // Selecting the row cut at the bottom aligns its bottom with the view's: the first row is
    // then partly scrolled away, since the view is no multiple of 40.
    const int view = ViewHeight();
    ASSERT_NE(view % 40, 0);
    const int cutRow = view / 40;
    Click(POINT{100, Content().top + view - 2});
    EXPECT_EQ(m_list->GetSelectedRow(), cutRow);
    const int position = (cutRow + 1) * 40 - view;
    EXPECT_EQ(m_list->GetVerticalScrollPos(), position);

    const CMemoryCanvas canvas = Render();
    const RECT content = Content();
    // The first separator lies where the partly hidden row 0 ends.
    EXPECT_EQ(PixelAt(canvas, 450, content.top + 40 - position - 1), kGridColor);
    EXPECT_EQ(PixelAt(canvas, 450, content.top + 80 - position - 1), kGridColor);
    // The selected row is the last one, ending at the content's bottom.
    EXPECT_EQ(PixelAt(canvas, 450, content.bottom - 1), kGridColor);
    EXPECT_EQ(PixelAt(canvas, 450, content.bottom - 10), kSelectionColor);
    (void)SaveWindowPng(m_list->GetSafeHwnd(), L"list_half_scrolled");
}

TEST_F(ListScrollWindowTest, PageDownNeverPassesTheLastRow) {
    MakeTallList();
    const int view = ViewHeight();
    Scroll(SB_PAGEDOWN);
    EXPECT_EQ(m_list->GetVerticalScrollPos(), view);
    for (int i = 0; i < 10; ++i)
        Scroll(SB_PAGEDOWN);
    EXPECT_EQ(m_list->GetVerticalScrollPos(), 800 - view);
    const CMemoryCanvas canvas = Render();
    EXPECT_EQ(PixelAt(canvas, 450, Content().bottom - 1), kGridColor);
    Scroll(SB_PAGEUP);
    EXPECT_EQ(m_list->GetVerticalScrollPos(), 800 - 2 * view);
    // Line steps stop once the rest fits.
    for (int i = 0; i < 30; ++i)
        Scroll(SB_LINEDOWN);
    EXPECT_LE(m_list->GetVerticalScrollPos(), 800 - view);
}

TEST_F(ListScrollWindowTest, ThumbTrackScrollsLive) {
    MakeTallList();
    HWND bar = m_list->GetVerticalBarHwnd();
    ::SetScrollPos(bar, SB_CTL, 123, FALSE);
    ::SendMessageW(m_list->GetSafeHwnd(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 123), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(m_list->GetVerticalScrollPos(), 123);
    EXPECT_EQ(::GetScrollPos(bar, SB_CTL), 123);
    const CMemoryCanvas canvas = Render();
    // Row 3 ends at 160: 37 pixels below the content top.
    EXPECT_EQ(PixelAt(canvas, 450, Content().top + 160 - 123 - 1), kGridColor);
    // Beyond the end the view stops at the last row.
    ::SetScrollPos(bar, SB_CTL, 5000, FALSE);
    ::SendMessageW(m_list->GetSafeHwnd(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(m_list->GetVerticalScrollPos(), 800 - ViewHeight());
}

TEST_F(ListScrollWindowTest, OneRowPerWheelMessageWhateverTheDelta) {
    MakeTallList();
    Wheel(-WHEEL_DELTA);
    EXPECT_EQ(m_list->GetVerticalScrollPos(), 40);
    Wheel(-4 * WHEEL_DELTA);
    EXPECT_EQ(m_list->GetVerticalScrollPos(), 80);
    Wheel(-1);
    EXPECT_EQ(m_list->GetVerticalScrollPos(), 120);
    Wheel(10 * WHEEL_DELTA);
    EXPECT_EQ(m_list->GetVerticalScrollPos(), 80);
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    ASSERT_TRUE(::GetScrollInfo(m_list->GetVerticalBarHwnd(), SB_CTL, &info));
    EXPECT_EQ(info.nPos, 80);
}

TEST_F(ListScrollWindowTest, DeletingRowsWhileScrolledKeepsTheFirstRowsReachable) {
    MakeTallList();
    for (int i = 0; i < 20; ++i)
        Scroll(SB_PAGEDOWN);
    ASSERT_GT(m_list->GetVerticalScrollPos(), 0);
    while (m_list->GetRowCount() > 2)
        ASSERT_TRUE(m_list->DeleteRow(m_list->GetRowCount() - 1));
    // Everything fits again: no bar, and the view is back at the first row.
    EXPECT_FALSE(::IsWindowVisible(m_list->GetVerticalBarHwnd()));
    EXPECT_EQ(m_list->GetVerticalScrollPos(), 0);
    const CMemoryCanvas canvas = Render();
    EXPECT_EQ(PixelAt(canvas, 450, Content().top + 39), kGridColor);
}

TEST_F(ListScrollWindowTest, HorizontalScrollMovesCellsAndHeader) {
    MakeList(RECT{10, 10, 410, 330});
    m_list->InsertColumn(0, ListColumn{300, L"名称", 0});
    m_list->InsertColumn(1, ListColumn{300, L"说明", 0});
    FillPrograms(2);
    ASSERT_TRUE(::IsWindowVisible(m_list->GetHorizontalBarHwnd()));
    ::SendMessageW(m_list->GetSafeHwnd(), WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), 0);
    EXPECT_EQ(m_list->GetHorizontalScrollPos(), 25);
    RECT header{};
    ::GetWindowRect(m_list->GetHeaderHwnd(), &header);
    ::MapWindowPoints(nullptr, m_list->GetSafeHwnd(), reinterpret_cast<POINT*>(&header), 2);
    EXPECT_EQ(header.left, -25);
    for (int i = 0; i < 10; ++i)
        ::SendMessageW(m_list->GetSafeHwnd(), WM_HSCROLL, MAKEWPARAM(SB_PAGERIGHT, 0), 0);
    const RECT content = Content();
    EXPECT_EQ(m_list->GetHorizontalScrollPos(), 600 - (content.right - content.left));
}

class ListColumnDragTest : public ListWindowTest {
protected:
    void SetUp() override {
        ListWindowTest::SetUp();
        MakeList();
        AddConventionalColumns();
        FillPrograms(2);
    }
    int HeaderItemWidth(int index) {
        HDITEMW item{};
        item.mask = HDI_WIDTH;
        EXPECT_TRUE(::SendMessageW(m_list->GetHeaderHwnd(), HDM_GETITEMW, index, reinterpret_cast<LPARAM>(&item)));
        return item.cxy;
    }
    // Drags the divider at the right of header item index by dx with real mouse messages.
    void DragDivider(int index, int dx) {
        RECT item{};
        ASSERT_TRUE(::SendMessageW(m_list->GetHeaderHwnd(), HDM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)));
        const int y = (item.top + item.bottom) / 2;
        HWND header = m_list->GetHeaderHwnd();
        ::SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.right - 1, y));
        ::SendMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(item.right - 1 + dx / 2, y));
        ::SendMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(item.right - 1 + dx, y));
        ::SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(item.right - 1 + dx, y));
        PumpPending();
    }
};

TEST_F(ListColumnDragTest, HeaderShowsTheColumns) {
    EXPECT_EQ(::SendMessageW(m_list->GetHeaderHwnd(), HDM_GETITEMCOUNT, 0, 0), 4);
    EXPECT_EQ(HeaderItemWidth(0), 260);
    EXPECT_EQ(HeaderItemWidth(3), 120);
}

TEST_F(ListColumnDragTest, DraggedNarrowerThan200EndsAt200) {
    DragDivider(1, -40); // the 130-pixel size column
    EXPECT_EQ(m_list->Model().FindColumn(1)->width, 200);
    EXPECT_EQ(HeaderItemWidth(1), 200);
}

TEST_F(ListColumnDragTest, DraggedWiderKeepsTheDraggedWidth) {
    DragDivider(0, 60);
    EXPECT_EQ(m_list->Model().FindColumn(0)->width, 320);
    EXPECT_EQ(HeaderItemWidth(0), 320);
    // The cells follow the column.
    (void)Render();
    EXPECT_EQ(m_list->Model().FindCell(0, 3)->buttonRect.left, 320 + 130 + 150 + 60 - 32);
}

TEST_F(ListColumnDragTest, TrackBelowTheMinimumIsRefused) {
    // The name column's minimum is 260: a track notification to 200 answers "stop".
    NMHEADERW notify{};
    notify.hdr.hwndFrom = m_list->GetHeaderHwnd();
    notify.hdr.idFrom = CMultilineList::kHeaderId;
    notify.hdr.code = HDN_TRACKW;
    notify.iItem = 0;
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = 200;
    notify.pitem = &item;
    EXPECT_EQ(
        ::SendMessageW(m_list->GetSafeHwnd(), WM_NOTIFY, CMultilineList::kHeaderId, reinterpret_cast<LPARAM>(&notify)),
        1);
    item.cxy = 280;
    EXPECT_EQ(
        ::SendMessageW(m_list->GetSafeHwnd(), WM_NOTIFY, CMultilineList::kHeaderId, reinterpret_cast<LPARAM>(&notify)),
        0);
    EXPECT_EQ(m_list->Model().FindColumn(0)->width, 280);
}

} // namespace
} // namespace tsu::test
