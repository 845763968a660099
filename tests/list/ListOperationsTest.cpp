// The operations the pages call and the messages the list exchanges with its parent and header.

#include "controls/CHeaderCtrlEx.h"
#include "controls/DrawingUtils.h"
#include "controls/ImageEx.h"
#include "controls/list/WaitAnimation.h"
#include "framework/Messages.h"
#include "res/ResourceIds.h"
#include "tests/list/ListTestSupport.h"

namespace tsu::test {
namespace {

class ListOperationsTest : public ListWindowTest {
protected:
    CHeaderCtrlEx* Header() { return static_cast<CHeaderCtrlEx*>(CWnd::FromHandlePermanent(m_list->GetHeaderHwnd())); }
    // Paints the list on the screen now, as the pages' message loop would.
    void PaintNow() { ::RedrawWindow(m_list->GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
};

TEST_F(ListOperationsTest, EmptyListShowsTitlesAndAPressTicksSelectAll) {
    MakeList();
    m_list->ShowCheckAll(TRUE);
    AddConventionalColumns();
    EXPECT_EQ(m_list->GetRowCount(), 0);
    EXPECT_FALSE(::IsWindowVisible(m_list->GetVerticalBarHwnd()));
    ASSERT_NE(Header(), nullptr);
    EXPECT_EQ(Header()->GetItemText(0), L"软件名称");
    EXPECT_EQ(Header()->GetItemText(3), L"操作");
    EXPECT_FALSE(Header()->GetCheck());
    Click(POINT{100, Content().top + 50});
    EXPECT_EQ(m_list->GetSelectedRow(), -1);
    EXPECT_TRUE(Header()->GetCheck());
    ASSERT_TRUE(PumpUntil([&] { return m_commands == 1; }, 2000));
    (void)SaveWindowPng(m_list->GetSafeHwnd(), L"list_empty");
}

TEST_F(ListOperationsTest, ItemDataAndCellKindsOfMissingRows) {
    MakeList();
    AddConventionalColumns();
    FillPrograms(2);
    int record = 7;
    int other = 8;
    EXPECT_TRUE(m_list->SetItemData(1, &record));
    EXPECT_FALSE(m_list->SetItemData(1, nullptr));
    EXPECT_EQ(m_list->GetItemData(1), &record);
    EXPECT_FALSE(m_list->SetItemData(2, &other));
    EXPECT_EQ(m_list->GetItemData(5), nullptr);
    EXPECT_FALSE(m_list->SetCellKind(5, 3, CELL_WAITING));
    EXPECT_FALSE(m_list->SetCellKind(0, 9, CELL_WAITING));
    EXPECT_FALSE(m_list->GetCellCheck(0, 9));
    EXPECT_FALSE(m_list->DeleteRow(2));
}

TEST_F(ListOperationsTest, HeaderSelectAllFollowsTheColumnZeroBoxes) {
    MakeList();
    m_list->ShowCheckAll(TRUE);
    m_list->InsertColumn(0, ListColumn{400, L"路径", 0});
    for (int i = 0; i < 3; ++i) {
        ListRow row;
        row.height = 40;
        ListCell path;
        path.hasCheck = i < 2; // the third row has no box
        path.checked = true;
        path.text = L"item";
        row.cells[0] = path;
        m_list->InsertRow(i, row);
    }
    PaintNow();
    const ListRect box = m_list->Model().FindCell(1, 0)->checkRect;
    Click(POINT{box.left + 4, box.top + 4});
    EXPECT_FALSE(m_list->GetCellCheck(1, 0));
    EXPECT_FALSE(Header()->GetCheck());
    PaintNow();
    Click(POINT{box.left + 4, box.top + 4});
    EXPECT_TRUE(Header()->GetCheck());

    // The header's box clears column 0 of every row, with or without a visible box.
    EXPECT_EQ(::SendMessageW(m_list->GetSafeHwnd(), WM_HEADER_CHECKALL, 0, 0), 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(m_list->GetCellCheck(i, 0)) << i;
    EXPECT_EQ(::SendMessageW(m_list->GetSafeHwnd(), WM_HEADER_CHECKALL, 1, 0), 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(m_list->GetCellCheck(i, 0)) << i;

    // Through the header itself: a click on its box.
    PaintNow();
    ::RedrawWindow(m_list->GetHeaderHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const RECT headerBox = Header()->GetCheckRect();
    ASSERT_LT(headerBox.left, headerBox.right);
    ::SendMessageW(m_list->GetHeaderHwnd(), WM_LBUTTONDOWN, MK_LBUTTON,
                   MAKELPARAM(headerBox.left + 3, headerBox.top + 3));
    ::SendMessageW(m_list->GetHeaderHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(headerBox.left + 3, headerBox.top + 3));
    EXPECT_FALSE(m_list->GetCellCheck(0, 0));
    EXPECT_FALSE(m_list->GetCellCheck(2, 0));
    m_list->SetCheckAll(TRUE);
    EXPECT_TRUE(Header()->GetCheck());
    EXPECT_FALSE(m_list->GetCellCheck(0, 0)); // setting the box notifies nobody
}

TEST_F(ListOperationsTest, ButtonClickIsSentAfterThePressIsComplete) {
    MakeList();
    // A narrow first column puts its button over the check box of the next cell, so one press
    // reaches both; the parent must see the whole press done when it hears of the button.
    m_list->InsertColumn(0, ListColumn{20, L"", 0});
    m_list->InsertColumn(1, ListColumn{300, L"", 0});
    for (int i = 0; i < 3; ++i) {
        ListRow row;
        row.height = 40;
        ListCell button;
        button.kind = CELL_BUTTON;
        row.cells[0] = button;
        ListCell check;
        check.hasCheck = true;
        check.text = L"row " + std::to_wstring(i);
        row.cells[1] = check;
        m_list->InsertRow(i, row);
    }
    PaintNow();
    const ListRect button = m_list->Model().FindCell(1, 0)->buttonRect;
    const ListRect check = m_list->Model().FindCell(1, 1)->checkRect;
    const POINT pt{std::max(button.left, check.left) + 2, check.top + 4};
    ASSERT_TRUE(button.Contains(pt.x, pt.y));
    ASSERT_TRUE(check.Contains(pt.x, pt.y));

    bool checkedWhenHeard = false;
    int clickedRow = -1;
    m_onButtonClick = [&](const ListButtonClick& click) {
        clickedRow = click.row;
        EXPECT_EQ(click.kind, CELL_BUTTON);
        EXPECT_EQ(click.action, 1);
        checkedWhenHeard = m_list->GetCellCheck(click.row, 1) != FALSE;
        // A handler that removes the row (the uninstall finished at once) and renumbers the rest.
        EXPECT_TRUE(m_list->DeleteRow(click.row));
    };
    ::SendMessageW(m_list->GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    EXPECT_EQ(m_buttonClicks, 1);
    EXPECT_EQ(clickedRow, 1);
    EXPECT_TRUE(checkedWhenHeard);
    EXPECT_EQ(m_list->GetRowCount(), 2);
    EXPECT_EQ(m_list->Model().FindCell(1, 1)->text, L"row 2");
    ASSERT_TRUE(PumpUntil([&] { return m_commands == 1; }, 2000));
}

TEST_F(ListOperationsTest, DeleteRowRenumbersKindsAndAnimations) {
    MakeList();
    AddConventionalColumns();
    FillPrograms(3);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(m_list->SetCellKind(i, 3, CELL_WAITING));
    PaintNow(); // the first paint creates the animations
    auto animationOf = [&](int row) {
        return static_cast<WaitAnimation*>(m_list->Model().FindCell(row, 3)->animation.get());
    };
    ASSERT_NE(animationOf(2), nullptr);
    ImageEx* third = animationOf(2)->Image();
    EXPECT_TRUE(third->IsLoaded());
    EXPECT_TRUE(third->IsAnimated());
    EXPECT_EQ(third->GetRow(), 2);

    ASSERT_TRUE(m_list->DeleteRow(1));
    EXPECT_EQ(m_list->GetRowCount(), 2);
    EXPECT_EQ(animationOf(1)->Image(), third);
    EXPECT_EQ(third->GetRow(), 1);
    EXPECT_EQ(m_list->Model().FindCell(1, 0)->text, L"Program 2");

    // A later state change reaches the row that was third.
    ASSERT_TRUE(m_list->SetCellKind(1, 3, CELL_DONE));
    EXPECT_EQ(m_list->Model().FindCell(1, 3)->kind, CELL_DONE);
    EXPECT_EQ(m_list->Model().FindCell(0, 3)->kind, CELL_WAITING);

    // A redraw request for the renumbered row invalidates that row's animation place.
    PaintNow();
    ::ValidateRect(m_list->GetSafeHwnd(), nullptr);
    ASSERT_TRUE(m_list->SetCellKind(1, 3, CELL_WAITING));
    PaintNow();
    const ListRect anim = m_list->Model().FindCell(1, 3)->animRect;
    ::ValidateRect(m_list->GetSafeHwnd(), nullptr);
    EXPECT_EQ(::SendMessageW(m_list->GetSafeHwnd(), WM_LIST_REDRAWCELL, 1, 3), 1);
    RECT pending{};
    ASSERT_TRUE(::GetUpdateRect(m_list->GetSafeHwnd(), &pending, FALSE));
    EXPECT_EQ(pending.left, anim.left);
    EXPECT_EQ(pending.top, anim.top);
    EXPECT_EQ(pending.right, anim.right);
    EXPECT_EQ(pending.bottom, anim.bottom);
    // Requests for rows or cells that are gone are answered and change nothing.
    ::ValidateRect(m_list->GetSafeHwnd(), nullptr);
    EXPECT_EQ(::SendMessageW(m_list->GetSafeHwnd(), WM_LIST_REDRAWCELL, 2, 3), 1);
    EXPECT_EQ(::SendMessageW(m_list->GetSafeHwnd(), WM_LIST_REDRAWCELL, 0, 7), 1);
    EXPECT_FALSE(::GetUpdateRect(m_list->GetSafeHwnd(), nullptr, FALSE));
}

TEST_F(ListOperationsTest, DoneRowPausesItsAnimationAndShowsTheDoneIcon) {
    MakeList();
    AddConventionalColumns();
    FillPrograms(1);
    ASSERT_TRUE(m_list->SetCellKind(0, 3, CELL_UNINSTALLING));
    PaintNow();
    auto* animation = static_cast<WaitAnimation*>(m_list->Model().FindCell(0, 3)->animation.get());
    ASSERT_NE(animation, nullptr);
    // The running animation asks for redraws of its cell.
    const unsigned startFrame = animation->Image()->CurrentFrame();
    ASSERT_TRUE(PumpUntil([&] { return animation->Image()->CurrentFrame() != startFrame; }, 3000));
    (void)SaveWindowPng(m_list->GetSafeHwnd(), L"list_uninstalling");

    ASSERT_TRUE(m_list->SetCellKind(0, 3, CELL_DONE));
    PaintNow();
    EXPECT_TRUE(animation->IsPaused());
    EXPECT_TRUE(animation->Image()->IsPaused());
    // Painting the done cell leaves nothing to repaint (no endless repaint of its own).
    EXPECT_FALSE(::GetUpdateRect(m_list->GetSafeHwnd(), nullptr, FALSE));
    const ListCell* cell = m_list->Model().FindCell(0, 3);
    EXPECT_EQ(cell->doneIconRect, cell->animRect);
    const CMemoryCanvas canvas = Render();
    const RECT icon{cell->doneIconRect.left, cell->doneIconRect.top, cell->doneIconRect.right,
                    cell->doneIconRect.bottom};
    EXPECT_GT(CountNonBackground(canvas, icon, ::GetSysColor(COLOR_WINDOW)), 50);
    // The state text stands right of the icon.
    const RECT text{cell->stateTextRect.left, cell->stateTextRect.top, cell->stateTextRect.right,
                    cell->stateTextRect.bottom};
    EXPECT_GT(CountNonBackground(canvas, text, ::GetSysColor(COLOR_WINDOW)), 10);
    (void)SaveWindowPng(m_list->GetSafeHwnd(), L"list_done");
}

TEST_F(ListOperationsTest, DeleteAllRowsForgetsTheIcons) {
    MakeList();
    AddConventionalColumns();
    EXPECT_EQ(m_list->AddImage(LoadPngResource(IDB_PNG_DEFAULT_PROGRAM_ICON).release()), 0);
    EXPECT_EQ(m_list->AddImage(LoadPngResource(IDB_PNG_INFO_ICON).release()), 1);
    EXPECT_EQ(m_list->AddImage(nullptr), -1);
    m_list->InsertRow(0, ProgramRow(0, L"With icon", 1));
    CMemoryCanvas canvas = Render();
    const RECT content = Content();
    const RECT iconArea{8, content.top + 4, 40, content.top + 36};
    EXPECT_GT(CountNonBackground(canvas, iconArea, ::GetSysColor(COLOR_WINDOW)), 50);

    m_list->DeleteAllRows();
    EXPECT_EQ(m_list->GetIconCount(), 0);
    EXPECT_EQ(m_list->GetRowCount(), 0);
    // An index from before the refill names nothing now: no icon, and the text moves left.
    m_list->InsertRow(0, ProgramRow(0, L"Stale index", 1));
    canvas = Render();
    EXPECT_EQ(CountNonBackground(canvas, RECT{0, content.top + 4, 7, content.top + 36}, ::GetSysColor(COLOR_WINDOW)),
              0);
    EXPECT_GT(CountNonBackground(canvas, RECT{8, content.top + 4, 40, content.top + 36}, ::GetSysColor(COLOR_WINDOW)),
              0); // text, not an icon: it starts at 8
    EXPECT_EQ(m_list->AddImage(LoadPngResource(IDB_PNG_DEFAULT_PROGRAM_ICON).release()), 0);
    m_list->ReleaseImages();
    EXPECT_EQ(m_list->GetIconCount(), 0);
    (void)Render(); // painting without any image is fine
}

} // namespace
} // namespace tsu::test
