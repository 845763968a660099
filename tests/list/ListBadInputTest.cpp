// The list under input the pages never mean to give it.

#include "framework/ResourceModule.h"
#include "tests/list/ListTestSupport.h"

#include <chrono>

namespace tsu::test {
namespace {

class ListBadInputTest : public ListWindowTest {
protected:
    void TearDown() override {
        SetResourceModule(nullptr);
        ListWindowTest::TearDown();
    }
};

TEST_F(ListBadInputTest, RowsOutOfOrderAndUnderAnExistingIndex) {
    MakeList();
    m_list->InsertColumn(0, ListColumn{300, L"名称", 0});
    m_list->InsertRow(2, ProgramRow(2, L"third"));
    m_list->InsertRow(0, ProgramRow(0, L"first"));
    m_list->InsertRow(0, ProgramRow(0, L"duplicate"));
    m_list->InsertRow(1, ProgramRow(1, L"second"));
    EXPECT_EQ(m_list->GetRowCount(), 3);
    EXPECT_EQ(m_list->Model().FindCell(0, 0)->text, L"first");
    // Shown in index order: a press in the second row selects index 1.
    Click(POINT{100, Content().top + 50});
    EXPECT_EQ(m_list->GetSelectedRow(), 1);

    // A row behind a gap is still shown and hit.
    m_list->InsertRow(10, ProgramRow(10, L"far"));
    Click(POINT{100, Content().top + 130});
    EXPECT_EQ(m_list->GetSelectedRow(), 10);
}

TEST_F(ListBadInputTest, CellsOfMissingColumnsAndIconsOutOfRange) {
    MakeList();
    m_list->InsertColumn(0, ListColumn{200, L"名称", 0});
    m_list->InsertColumn(2, ListColumn{200, L"版本", 0}); // no column 1
    ListRow row = ProgramRow(0, L"icon 5 of none", 5);
    row.cells[7].text = L"nowhere";
    row.cells[0].iconIndex = 1 << 30;
    m_list->InsertRow(0, row);
    ListRow negative = ProgramRow(1, L"icon -7", -7);
    m_list->InsertRow(1, negative);
    const CMemoryCanvas canvas = Render();
    // Column 2 is the second column on screen: its version text is drawn at 200..400.
    const RECT content = Content();
    EXPECT_GT(
        CountNonBackground(canvas, RECT{200, content.top + 2, 400, content.top + 38}, ::GetSysColor(COLOR_WINDOW)), 0);
    // Cells of columns that do not exist were never painted and cannot be hit.
    EXPECT_TRUE(m_list->Model().FindCell(0, 7)->buttonRect.IsEmpty());
    EXPECT_TRUE(m_list->Model().FindCell(0, 3)->buttonRect.IsEmpty());
    Click(POINT{300, content.top + 20});
    EXPECT_EQ(m_buttonClicks, 0);
}

TEST_F(ListBadInputTest, EmptyAndHugeTexts) {
    MakeList();
    m_list->InsertColumn(0, ListColumn{260, L"名称", 0});
    ListRow empty = ProgramRow(0, L"");
    m_list->InsertRow(0, empty);
    ListRow huge = ProgramRow(1, std::wstring(100000, L'W'));
    m_list->InsertRow(1, huge);
    const auto start = std::chrono::steady_clock::now();
    const CMemoryCanvas canvas = Render();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 2000);
    const RECT content = Content();
    EXPECT_EQ(CountNonBackground(canvas, RECT{0, content.top + 2, 260, content.top + 37}, ::GetSysColor(COLOR_WINDOW)),
              0);
    // The huge text is cut to its cell, not drawn past it into the next column.
    EXPECT_GT(
        CountNonBackground(canvas, RECT{200, content.top + 42, 260, content.top + 77}, ::GetSysColor(COLOR_WINDOW)), 0);
    EXPECT_EQ(
        CountNonBackground(canvas, RECT{262, content.top + 42, 400, content.top + 77}, ::GetSysColor(COLOR_WINDOW)), 0);
}

TEST_F(ListBadInputTest, ZeroSizeAndHugeWindows) {
    MakeList(RECT{10, 10, 10, 10});
    AddConventionalColumns();
    FillPrograms(3);
    ::RedrawWindow(m_list->GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Click(POINT{0, 0});
    MouseMove(POINT{5, 5});
    ::SendMessageW(m_list->GetSafeHwnd(), WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(m_list->GetVerticalScrollPos(), 0);
    EXPECT_EQ(m_list->GetSelectedRow(), -1);

    // Far larger than any screen: it paints what can be seen, without a giant bitmap.
    MakeList(RECT{0, 0, 40000, 30000});
    AddConventionalColumns();
    FillPrograms(5);
    ::RedrawWindow(m_list->GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpPending();
    const RECT content = Content();
    CMemoryCanvas part;
    ASSERT_TRUE(part.CreateDib32(700, 300));
    m_list->PaintContentTo(part.Dc());
    ::GdiFlush();
    EXPECT_EQ(PixelAt(part, 100, content.top + 39), kGridColor);
    Click(POINT{100, content.top + 90});
    EXPECT_EQ(m_list->GetSelectedRow(), 2);
}

TEST_F(ListBadInputTest, HundredThousandRows) {
    MakeList();
    AddConventionalColumns();
    const auto start = std::chrono::steady_clock::now();
    FillPrograms(100000);
    const auto filled = std::chrono::steady_clock::now();
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(filled - start).count(), 10000);
    EXPECT_EQ(m_list->GetRowCount(), 100000);
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE;
    ASSERT_TRUE(::GetScrollInfo(m_list->GetVerticalBarHwnd(), SB_CTL, &info));
    EXPECT_EQ(info.nMax, 4000000);
    ASSERT_TRUE(m_list->DeleteRow(50000));
    const RECT content = Content();
    const int view = content.bottom - content.top;
    // Drag the thumb to the bottom (the bar reports its position as the tracking position), then
    // page down once more: the view ends with the last row.
    ::SetScrollPos(m_list->GetVerticalBarHwnd(), SB_CTL, 4000000, FALSE);
    ::SendMessageW(m_list->GetSafeHwnd(), WM_VSCROLL, SB_THUMBTRACK,
                   reinterpret_cast<LPARAM>(m_list->GetVerticalBarHwnd()));
    ::SendMessageW(m_list->GetSafeHwnd(), WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(m_list->GetVerticalScrollPos(), 99999 * 40 - view);
    Click(POINT{100, content.bottom - 5});
    EXPECT_EQ(m_list->GetSelectedRow(), 99998);
    const CMemoryCanvas canvas = Render();
    EXPECT_EQ(PixelAt(canvas, 100, content.bottom - 1), kGridColor);
    m_list->DeleteAllRows();
    EXPECT_EQ(m_list->GetRowCount(), 0);
}

TEST_F(ListBadInputTest, MissingResourcesLeaveAWorkingList) {
    // A module without the tool's images and GIF stands for an executable that lost them.
    SetResourceModule(::GetModuleHandleW(L"kernel32.dll"));
    MakeList();
    AddConventionalColumns();
    FillPrograms(3);
    ListRow checked = ProgramRow(3, L"with box");
    checked.cells[0].hasCheck = true;
    m_list->InsertRow(3, checked);
    ASSERT_TRUE(m_list->SetCellKind(1, 3, CELL_UNINSTALLING));
    ASSERT_TRUE(m_list->SetCellKind(2, 3, CELL_DONE));
    ::RedrawWindow(m_list->GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const CMemoryCanvas canvas = Render();
    // The button keeps its place and caption and still answers.
    const ListRect button = m_list->Model().FindCell(0, 3)->buttonRect;
    ASSERT_FALSE(button.IsEmpty());
    Click(POINT{button.left + 10, button.top + 10});
    EXPECT_EQ(m_buttonClicks, 1);
    // The box is not drawn but can be ticked.
    const ListRect box = m_list->Model().FindCell(3, 0)->checkRect;
    EXPECT_EQ(CountNonBackground(canvas, RECT{box.left, box.top, box.right, box.bottom}, ::GetSysColor(COLOR_WINDOW)),
              0);
    Click(POINT{box.left + 4, box.top + 4});
    EXPECT_TRUE(m_list->GetCellCheck(3, 0));
    // The animation could not load: it draws nothing; the state texts still show.
    const ListCell* running = m_list->Model().FindCell(1, 3);
    const RECT anim{running->animRect.left, running->animRect.top, running->animRect.right, running->animRect.bottom};
    EXPECT_EQ(CountNonBackground(canvas, anim, ::GetSysColor(COLOR_WINDOW)), 0);
    const RECT text{running->stateTextRect.left, running->stateTextRect.top, running->stateTextRect.right,
                    running->stateTextRect.bottom};
    EXPECT_GT(CountNonBackground(canvas, text, ::GetSysColor(COLOR_WINDOW)), 0);
    (void)SaveWindowPng(m_list->GetSafeHwnd(), L"list_missing_resources");
}

} // namespace
} // namespace tsu::test
