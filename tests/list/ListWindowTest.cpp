#include "controls/CHeaderCtrlEx.h"
#include "controls/DrawingUtils.h"
#include "controls/ImageEx.h"
#include "controls/list/CMultilineList.h"
#include "controls/list/WaitAnimation.h"
#include "framework/Messages.h"
#include "framework/ResourceModule.h"
#include "res/ResourceIds.h"
#include "tests/common/TestSupport.h"

#include <commctrl.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <tuple>

namespace tsu::test {
namespace {

constexpr UINT kListId = 1026;
constexpr COLORREF kSelectionColor = RGB(234, 234, 255);
constexpr COLORREF kGridColor = RGB(218, 218, 218);
const RECT kListRect{10, 10, 650, 410};

int Ink(const CMemoryCanvas& canvas, const ListRect& r) {
    return CountNonBackground(canvas, RECT{r.left, r.top, r.right, r.bottom}, ::GetSysColor(COLOR_WINDOW));
}

// Whether region of the rendering shows part source of an image strip drawn over background.
bool Shows(const CMemoryCanvas& rendering, const ListRect& region, UINT imageId, const ListRect& source,
           COLORREF background = ::GetSysColor(COLOR_WINDOW)) {
    CMemoryCanvas expected;
    std::unique_ptr<Gdiplus::Image> image = LoadPngResource(imageId);
    const RECT r{region.left, region.top, region.right, region.bottom};
    if (!image || !expected.CreateDib32(rendering.Width(), rendering.Height()))
        return false;
    ::FillRect(expected.Dc(), &r, UniqueHbrush(::CreateSolidBrush(background)).Get());
    Gdiplus::Graphics(expected.Dc())
        .DrawImage(image.get(), Gdiplus::Rect(r.left, r.top, region.Width(), region.Height()), source.left, source.top,
                   source.Width(), source.Height(), Gdiplus::UnitPixel);
    int same = 0, total = 0;
    for (int y = r.top + 1; y < r.bottom - 1; ++y)
        for (int x = r.left + 1; x < r.right - 1; ++x, ++total)
            same += ColorNear(rendering.PixelAt(x, y), expected.PixelAt(x, y), 12);
    return total && same * 10 > total * 9;
}

// A program row: name with icon, size, version, and the button.
ListRow ProgramRow(const std::wstring& name, int icon = -1, bool check = false) {
    ListRow row;
    row.height = 40;
    row.cells[0] = MakeCell(CELL_TEXT, name, kAlignLeft);
    std::tie(row.cells[0].hasIcon, row.cells[0].iconIndex, row.cells[0].hasCheck) = std::tuple(true, icon, check);
    row.cells[1] = MakeCell(CELL_TEXT, L"12.50 MB", kAlignCenter);
    row.cells[2] = MakeCell(CELL_TEXT, L"1.0.20", kAlignCenter);
    row.cells[3] = MakeCell(CELL_BUTTON, L"", kAlignLeft);
    return row;
}

class ListWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureGdiplus());
        // One host for the program: under Wine a top-level window takes seconds to destroy.
        static TestHostWindow* host = new TestHostWindow();
        static const bool created = host->Create(700, 460);
        m_host = host;
        ASSERT_TRUE(created);
        m_host->OnMessage = [this](UINT msg, WPARAM wp, LPARAM, LRESULT* result) {
            m_commands += msg == WM_COMMAND && wp == MAKEWPARAM(kListId, 1);
            if (msg != WM_LIST_BUTTONCLICK)
                return false;
            if (++m_buttonClicks, m_onButtonClick && wp)
                m_onButtonClick(*reinterpret_cast<const ListButtonClick*>(wp));
            return *result = 0, true;
        };
    }
    void TearDown() override {
        SetResourceModule(nullptr);
        m_list.reset();
        m_host->OnMessage = nullptr;
        PumpPending();
    }

    void MakeList(const RECT& rect = kListRect) {
        m_list = std::make_unique<CMultilineList>();
        EXPECT_TRUE(m_list->Create(rect, m_host->GetSafeHwnd(), kListId));
        m_list->SetHeaderExtraHeight(20);
    }
    void MakeConventional(int rows, const RECT& rect = kListRect, bool checks = false) {
        MakeList(rect);
        const ListColumn columns[] = {
            {260, L"软件名称", 260}, {130, L"大小", 60}, {150, L"版本", 80}, {120, L"操作", 120}};
        for (int i = 0; i < 4; ++i)
            m_list->InsertColumn(i, columns[i]);
        for (int i = 0; i < rows; ++i)
            m_list->InsertRow(i, ProgramRow(L"Program " + std::to_wstring(i), -1, checks));
        m_list->AdjustLayout(); // as the pages do after filling
    }

    CMemoryCanvas Render() {
        CMemoryCanvas canvas;
        const RECT client = m_list->GetClientRect();
        EXPECT_TRUE(canvas.CreateDib32(client.right, client.bottom));
        m_list->PaintContentTo(canvas.Dc());
        return canvas;
    }
    void Shot(const wchar_t* name) { (void)SaveWindowPng(m_list->GetSafeHwnd(), name); }
    void PaintNow() { ::RedrawWindow(m_list->GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
    void Send(UINT msg, WPARAM wp, LPARAM lp = 0) { ::SendMessageW(m_list->GetSafeHwnd(), msg, wp, lp); }
    void Click(int x, int y, HWND target = nullptr) {
        for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP})
            ::SendMessageW(target ? target : m_list->GetSafeHwnd(), msg, msg == WM_LBUTTONDOWN, MAKELPARAM(x, y));
    }
    RECT Content() const { return m_list->GetContentRect(); }
    int Top() const { return Content().top; }
    int ViewHeight() const { return Content().bottom - Content().top; }
    const ListCell& Cell(int row, int column) const { return *m_list->Model().FindCell(row, column); }
    CHeaderCtrlEx* Header() { return static_cast<CHeaderCtrlEx*>(CWnd::FromHandlePermanent(m_list->GetHeaderHwnd())); }

    TestHostWindow* m_host = nullptr;
    std::unique_ptr<CMultilineList> m_list;
    std::function<void(const ListButtonClick&)> m_onButtonClick;
    int m_buttonClicks = 0;
    int m_commands = 0;
};

TEST_F(ListWindowTest, SelectionSeparatorsAndButtonStates) {
    MakeConventional(3);
    Click(530, Top() + 45); // row 1, between the version text and the button
    EXPECT_EQ(m_list->GetSelectedRow(), 1);
    CMemoryCanvas canvas = Render();
    const COLORREF window = ::GetSysColor(COLOR_WINDOW);
    const int right = Content().right - 3; // separators: the last pixel row of each row, across the content
    const std::tuple<int, int, COLORREF> points[] = {
        {530, 45, kSelectionColor}, {5, 45, kSelectionColor}, {530, 5, window},        {530, 85, window},
        {300, 200, window},         {3, 39, kGridColor},      {right, 79, kGridColor}, {right, 119, kGridColor}};
    for (auto [x, y, color] : points)
        EXPECT_EQ(canvas.PixelAt(x, Top() + y), color) << x << "," << y;
    Shot(L"list_conventional_selected");
    // The button's left strip, where the white caption does not reach, shows the press state.
    const ListRect button = Cell(0, 3).buttonRect, other = Cell(1, 3).buttonRect;
    const ListRect edge = ListRect::FromSize(button.left, button.top, 10, 24);
    auto state = [](int n) { return ListRect::FromSize(64 * n, 0, 10, 24); };
    EXPECT_TRUE(Shows(canvas, edge, IDB_PNG_ROW_BUTTON_STRIP, state(0)));
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(button.left + 30, button.top + 10));
    EXPECT_EQ(m_list->GetPressState(), CMultilineList::kPressHover);
    EXPECT_TRUE(Shows(Render(), edge, IDB_PNG_ROW_BUTTON_STRIP, state(1)));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button.left + 30, button.top + 10));
    canvas = Render();
    EXPECT_TRUE(Shows(canvas, edge, IDB_PNG_ROW_BUTTON_STRIP, state(2), kSelectionColor));
    EXPECT_TRUE(Shows(canvas, ListRect::FromSize(other.left, other.top, 10, 24), IDB_PNG_ROW_BUTTON_STRIP, state(0)));
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(300, Top() + 200)); // empty space below the rows: the state stays
    EXPECT_EQ(std::tuple(m_list->GetPressState(), m_buttonClicks), std::tuple(CMultilineList::kPressPressed, 1));
}

TEST_F(ListWindowTest, CheckBoxesAndTheHeaderSelectAllBoxFollowEachOther) {
    MakeConventional(2, kListRect, true);
    m_list->ShowCheckAll(TRUE);
    m_list->InsertRow(2, ProgramRow(L"no box")); // its clear column-0 cell does not count
    EXPECT_TRUE(Shows(Render(), Cell(1, 0).checkRect, IDB_PNG_CHECKBOX_STRIP, {0, 0, 16, 16}));
    const ListRect box = Cell(1, 0).checkRect;
    Click(Cell(0, 0).checkRect.left + 4, Cell(0, 0).checkRect.top + 4);
    Click(box.left + 8, box.top + 8);
    EXPECT_TRUE(m_list->GetCellCheck(1, 0) && Header()->GetCheck());
    EXPECT_TRUE(Shows(Render(), box, IDB_PNG_CHECKBOX_STRIP, {16, 0, 32, 16}, kSelectionColor));
    Shot(L"list_check_boxes");
    // A click on the header's box clears column 0 of every row, with or without a visible box.
    ::RedrawWindow(m_list->GetHeaderHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const RECT headerBox = Header()->GetCheckRect();
    ASSERT_LT(headerBox.left, headerBox.right);
    Click(headerBox.left + 3, headerBox.top + 3, m_list->GetHeaderHwnd());
    EXPECT_FALSE(m_list->GetCellCheck(0, 0) || m_list->GetCellCheck(1, 0));
    Send(WM_HEADER_CHECKALL, 1);
    m_list->SetCheckAll(FALSE);
    EXPECT_TRUE(!Header()->GetCheck() && m_list->GetCellCheck(2, 0)); // setting the box notifies nobody
}

TEST_F(ListWindowTest, ButtonClickIsSentAfterThePressIsComplete) {
    MakeList();
    // A narrow first column puts its button over the check box of the next cell, so one press
    // reaches both; the parent must see the whole press done when it hears of the button.
    m_list->InsertColumn(0, ListColumn{20, L"", 0});
    m_list->InsertColumn(1, ListColumn{300, L"", 0});
    for (int i = 0; i < 3; ++i) {
        ListRow row = ProgramRow(L"row " + std::to_wstring(i), -1, true);
        std::swap(row.cells[0], row.cells[1]);
        row.cells[0] = row.cells[3];
        m_list->InsertRow(i, row);
    }
    PaintNow();
    const ListRect button = Cell(1, 0).buttonRect, check = Cell(1, 1).checkRect;
    const POINT pt{std::max(button.left, check.left) + 2, check.top + 4};
    ASSERT_TRUE(button.Contains(pt.x, pt.y) && check.Contains(pt.x, pt.y));
    ListButtonClick heard;
    bool checkedWhenHeard = false;
    m_onButtonClick = [&](const ListButtonClick& click) {
        heard = click;
        checkedWhenHeard = m_list->GetCellCheck(click.row, 1) != FALSE;
        // A handler that removes the row (the uninstall finished at once) and renumbers the rest.
        EXPECT_TRUE(m_list->DeleteRow(click.row));
    };
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    EXPECT_EQ(std::tie(m_buttonClicks, heard.row, heard.kind, heard.action, checkedWhenHeard),
              std::tuple(1, 1, CELL_BUTTON, 1, true));
    EXPECT_EQ(Cell(1, 1).text, L"row 2");
    EXPECT_TRUE(PumpUntil([&] { return m_commands == 1; }, 10000));
}

TEST_F(ListWindowTest, AnimationsFollowTheirRowAndPauseWhenDone) {
    MakeConventional(3);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(m_list->SetCellKind(i, 3, CELL_UNINSTALLING));
    PaintNow(); // the first paint creates the animations
    auto* animation = static_cast<WaitAnimation*>(Cell(2, 3).animation.get());
    ASSERT_NE(animation, nullptr);
    ImageEx* third = animation->Image();
    const unsigned startFrame = third->CurrentFrame(); // the running animation asks for redraws
    ASSERT_TRUE(PumpUntil([&] { return third->CurrentFrame() != startFrame; }, 10000));
    Shot(L"list_uninstalling");
    ASSERT_TRUE(m_list->DeleteRow(1));
    // Redraw requests for rows or cells that are gone change nothing; for the renumbered row
    // they invalidate its animation's place.
    PaintNow();
    ::ValidateRect(m_list->GetSafeHwnd(), nullptr);
    for (auto [row, column] : {std::pair{2, 3}, {0, 7}})
        Send(WM_LIST_REDRAWCELL, row, column);
    EXPECT_FALSE(::GetUpdateRect(m_list->GetSafeHwnd(), nullptr, FALSE));
    Send(WM_LIST_REDRAWCELL, 1, 3);
    RECT pending{};
    ::GetUpdateRect(m_list->GetSafeHwnd(), &pending, FALSE);
    EXPECT_EQ((ListRect{pending.left, pending.top, pending.right, pending.bottom}), Cell(1, 3).animRect);
    ASSERT_TRUE(m_list->SetCellKind(1, 3, CELL_DONE));
    PaintNow();
    EXPECT_TRUE(third->IsPaused());
    EXPECT_FALSE(::GetUpdateRect(m_list->GetSafeHwnd(), nullptr, FALSE)); // no endless repaint of its own
    const CMemoryCanvas canvas = Render();                                // the done icon and its text
    EXPECT_TRUE(Ink(canvas, Cell(1, 3).animRect) > 50 && Ink(canvas, Cell(1, 3).stateTextRect) > 10);
}

TEST_F(ListWindowTest, IconsGoWithTheRowsBadIndexesShowNoneAndCellsScaleAt120Dpi) {
    MakeConventional(0);
    EXPECT_EQ((std::tuple<int, int, int>{m_list->AddImage(LoadPngResource(IDB_PNG_DEFAULT_PROGRAM_ICON).release()),
                                         m_list->AddImage(LoadPngResource(IDB_PNG_INFO_ICON).release()),
                                         m_list->AddImage(nullptr)}),
              std::tuple(0, 1, -1));
    for (int icon : {1, -7, 1 << 30})
        m_list->InsertRow(m_list->GetRowCount(), ProgramRow(L"icon " + std::to_wstring(icon), icon));
    CMemoryCanvas canvas = Render();
    EXPECT_GT(Ink(canvas, ListRect{8, Top() + 4, 40, Top() + 36}), 50);
    for (int top : {Top() + 44, Top() + 84}) // no icon: the text starts at 8
        EXPECT_EQ(Ink(canvas, ListRect{0, top, 7, top + 32}), 0);
    m_list->DeleteAllRows();
    EXPECT_EQ(m_list->GetIconCount(), 0);
    m_list->InsertRow(0, ProgramRow(L"Stale index", 1)); // an index from before the refill names nothing
    canvas = Render();
    EXPECT_TRUE(!Ink(canvas, ListRect{0, Top() + 4, 7, Top() + 36}) &&
                Ink(canvas, ListRect{8, Top() + 4, 14, Top() + 36}));
    m_list->SetScale(1.2f);
    m_list->AdjustLayout(); // as the pages do after setting the factor
    (void)Render();
    EXPECT_EQ(Cell(0, 3).buttonRect, ListRect::FromSize(540 + 21, Top() + 20 - 14, 76, 28)); // [60 - 38.4], 12 s
    Shot(L"list_scaled_120dpi");
    EXPECT_EQ(m_list->AddImage(LoadPngResource(IDB_PNG_INFO_ICON).release()), 0);
    m_list->ReleaseImages();
    EXPECT_EQ(m_list->GetIconCount(), 0);
}

TEST_F(ListWindowTest, TextsKeepToTheirCellsBehindGapsAndMissingColumns) {
    MakeList();
    m_list->InsertColumn(0, ListColumn{200, L"名称", 0});
    m_list->InsertColumn(2, ListColumn{200, L"版本", 0}); // no column 1: column 2 is second on screen
    const int aligns[] = {kAlignCenter, kAlignRight, 99};
    for (int i = 0; i < 3; ++i) {
        ListRow row = ProgramRow(i ? L"IIII" : std::wstring(100000, L'W'));
        row.cells[2] = MakeCell(CELL_TEXT, L"IIII", aligns[i]);
        row.cells[7].text = L"nowhere";
        m_list->InsertRow(10 * i, row); // gaps between the indexes
    }
    const CMemoryCanvas canvas = Render();
    // Row, where there must be ink and where none: the huge name is cut to its cell, and column 2
    // is aligned centre, right, and left for an unknown alignment.
    const std::tuple<int, int, int, int, int> cases[] = {
        {0, 150, 200, 202, 250}, {0, 250, 350, 350, 400}, {1, 350, 400, 202, 350}, {2, 200, 250, 250, 400}};
    for (auto [row, inkFrom, inkTo, clearFrom, clearTo] : cases) {
        const int top = Top() + 40 * row;
        EXPECT_GT(Ink(canvas, ListRect{inkFrom, top + 2, inkTo, top + 38}), 0) << row;
        EXPECT_EQ(Ink(canvas, ListRect{clearFrom, top + 2, clearTo, top + 38}), 0) << row;
    }
    EXPECT_TRUE(Cell(0, 7).buttonRect.IsEmpty() && Cell(0, 3).buttonRect.IsEmpty());
    Click(300, Top() + 20);
    Click(100, Top() + 50);
    EXPECT_EQ(std::tuple(m_buttonClicks, m_list->GetSelectedRow()), std::tuple(0, 10));
}

TEST_F(ListWindowTest, ZeroSizeAndHugeWindowsAndMissingResourcesLeaveAWorkingList) {
    MakeConventional(3, RECT{10, 10, 10, 10});
    PaintNow();
    Click(0, 0);
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    Send(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(std::tuple(m_list->GetVerticalScrollPos(), m_list->GetSelectedRow()), std::tuple(0, -1));
    // Far larger than any screen: it paints what can be seen, without a giant bitmap.
    MakeConventional(5, RECT{0, 0, 40000, 30000});
    PaintNow();
    CMemoryCanvas part;
    ASSERT_TRUE(part.CreateDib32(700, 300));
    m_list->PaintContentTo(part.Dc());
    Click(100, Top() + 90);
    EXPECT_EQ(std::tuple(part.PixelAt(100, Top() + 39), m_list->GetSelectedRow()), std::tuple(kGridColor, 2));
    // A module without the tool's images and GIF stands for an executable that lost them.
    SetResourceModule(::GetModuleHandleW(L"kernel32.dll"));
    MakeConventional(3);
    m_list->InsertRow(3, ProgramRow(L"with box", -1, true));
    ASSERT_TRUE(m_list->SetCellKind(1, 3, CELL_UNINSTALLING) && m_list->SetCellKind(2, 3, CELL_DONE));
    PaintNow();
    const CMemoryCanvas canvas = Render();
    const ListRect button = Cell(0, 3).buttonRect, box = Cell(3, 0).checkRect;
    ASSERT_FALSE(button.IsEmpty());
    Click(button.left + 10, button.top + 10);
    Click(box.left + 4, box.top + 4);
    EXPECT_EQ(std::tuple(m_buttonClicks, Ink(canvas, box), m_list->GetCellCheck(3, 0)), std::tuple(1, 0, TRUE));
    EXPECT_TRUE(!Ink(canvas, Cell(1, 3).animRect) && Ink(canvas, Cell(1, 3).stateTextRect) > 0 &&
                Ink(canvas, Cell(2, 3).stateTextRect) > 0);
    Shot(L"list_missing_resources");
}

TEST_F(ListWindowTest, BarsPartlyScrolledRowsAndTheWheel) {
    MakeConventional(20, RECT{10, 10, 610, 312}); // a view that is no multiple of 40 high
    HWND bar = m_list->GetVerticalBarHwnd();
    SCROLLINFO info{sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(::IsWindowVisible(bar) && ::IsWindowEnabled(bar) && ::GetScrollInfo(bar, SB_CTL, &info));
    EXPECT_EQ(std::tuple(info.nMax, info.nPage, Content().right),
              std::tuple(800, UINT(ViewHeight()), m_list->GetClientRect().right - ::GetSystemMetrics(SM_CXVSCROLL)));
    // Selecting the row cut at the bottom aligns its bottom with the view's, so the first row is
    // partly scrolled away.
    const int cutRow = ViewHeight() / 40, position = (cutRow + 1) * 40 - ViewHeight();
    ASSERT_NE(position, 0);
    Click(100, Content().bottom - 2);
    EXPECT_EQ(std::tuple(m_list->GetSelectedRow(), m_list->GetVerticalScrollPos()), std::tuple(cutRow, position));
    const CMemoryCanvas canvas = Render();
    for (int y : {Top() + 40 - position - 1, Top() + 80 - position - 1, int(Content().bottom) - 1})
        EXPECT_EQ(canvas.PixelAt(450, y), kGridColor) << y;
    EXPECT_EQ(canvas.PixelAt(450, Content().bottom - 10), kSelectionColor);
    // One row per wheel message whatever its delta; the bar follows.
    for (auto [delta, expected] : {std::pair{-1, 40}, {-4 * WHEEL_DELTA, 80}, {3 * WHEEL_DELTA, 40}}) {
        Send(WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(50, 50));
        EXPECT_EQ(std::tuple(m_list->GetVerticalScrollPos(), ::GetScrollPos(bar, SB_CTL)),
                  std::tuple(position + expected, position + expected));
    }
    // Deleting rows while scrolled to the end: all fits again, no bar, and the first row is back.
    for (int i = 0; i < 20; ++i)
        Send(WM_VSCROLL, SB_PAGEDOWN);
    while (m_list->GetRowCount() > 2)
        ASSERT_TRUE(m_list->DeleteRow(m_list->GetRowCount() - 1));
    EXPECT_EQ(std::tuple(::IsWindowVisible(bar), m_list->GetVerticalScrollPos(), Render().PixelAt(250, Top() + 39)),
              std::tuple(FALSE, 0, kGridColor));
}

} // namespace
} // namespace tsu::test
