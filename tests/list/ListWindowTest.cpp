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
    void PaintNow() { ::RedrawWindow(m_list->GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
    void Send(UINT msg, WPARAM wp, LPARAM lp = 0) { ::SendMessageW(m_list->GetSafeHwnd(), msg, wp, lp); }
    void Click(int x, int y, HWND target = nullptr) {
        for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP})
            ::SendMessageW(target ? target : m_list->GetSafeHwnd(), msg, msg == WM_LBUTTONDOWN, MAKELPARAM(x, y));
    }
    RECT Content() const { return m_list->GetContentRect(); }
    int Top() const { return Content().top; }
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
    const CMemoryCanvas canvas = Render();
    const int right = Content().right - 3; // separators: the last pixel row of each row, across the content
    const std::tuple<int, int, COLORREF> points[] = {{530, 45, kSelectionColor}, {5, 45, kSelectionColor},
        {530, 85, ::GetSysColor(COLOR_WINDOW)}, {3, 39, kGridColor}, {right, 79, kGridColor}};
    for (auto [x, y, color] : points)
        EXPECT_EQ(canvas.PixelAt(x, Top() + y), color) << x << "," << y;
    (void)SaveWindowPng(m_list->GetSafeHwnd(), L"list_conventional_selected");
    // The button's left strip, where the white caption does not reach, shows the press state.
    const ListRect button = Cell(0, 3).buttonRect;
    const auto edge = [&] { return Render().PixelAt(button.left + 4, button.top + 12); };
    const COLORREF normal = edge();
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(button.left + 30, button.top + 10));
    const COLORREF hover = edge();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button.left + 30, button.top + 10));
    const COLORREF pressed = edge();
    EXPECT_TRUE(normal != hover && hover != pressed && pressed != normal) << normal << " " << hover << " " << pressed;
}

TEST_F(ListWindowTest, CheckBoxesAndTheHeaderSelectAllBoxFollowEachOther) {
    MakeConventional(2, kListRect, true);
    m_list->ShowCheckAll(TRUE);
    m_list->InsertRow(2, ProgramRow(L"no box")); // its clear column-0 cell does not count
    const int clearInk = Ink(Render(), Cell(1, 0).checkRect);
    const ListRect box = Cell(1, 0).checkRect;
    Click(Cell(0, 0).checkRect.left + 4, Cell(0, 0).checkRect.top + 4);
    Click(box.left + 8, box.top + 8);
    EXPECT_TRUE(m_list->GetCellCheck(1, 0) && Header()->GetCheck());
    EXPECT_GT(Ink(Render(), box), clearInk + 10); // the tick
    // A click on the header's box clears column 0 of every row.
    ::RedrawWindow(m_list->GetHeaderHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const RECT headerBox = Header()->GetCheckRect();
    Click(headerBox.left + 3, headerBox.top + 3, m_list->GetHeaderHwnd());
    EXPECT_FALSE(m_list->GetCellCheck(0, 0) || m_list->GetCellCheck(1, 0));
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
    EXPECT_TRUE(PumpUntil([&] { return m_commands == 1; }, 10000));
}

TEST_F(ListWindowTest, AnimationsFollowTheirRowAndPauseWhenDone) {
    MakeConventional(3);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(m_list->SetCellKind(i, 3, CELL_UNINSTALLING));
    PaintNow(); // the first paint creates the animations
    ASSERT_NE(Cell(2, 3).animation, nullptr);
    ImageEx* third = static_cast<WaitAnimation*>(Cell(2, 3).animation.get())->Image();
    const unsigned startFrame = third->CurrentFrame(); // the running animation asks for redraws
    ASSERT_TRUE(PumpUntil([&] { return third->CurrentFrame() != startFrame; }, 10000));
    ASSERT_TRUE(m_list->DeleteRow(1));
    PaintNow();
    ASSERT_TRUE(m_list->SetCellKind(1, 3, CELL_DONE));
    PaintNow();
    EXPECT_TRUE(third->IsPaused());
    EXPECT_FALSE(::GetUpdateRect(m_list->GetSafeHwnd(), nullptr, FALSE)); // no endless repaint of its own
    const CMemoryCanvas canvas = Render();                                // the done icon and its text
    EXPECT_TRUE(Ink(canvas, Cell(1, 3).animRect) > 50 && Ink(canvas, Cell(1, 3).stateTextRect) > 10);
    ASSERT_TRUE(m_list->SetCellKind(1, 3, CELL_UNINSTALLING)); // waiting again: it runs again
    PaintNow();
    EXPECT_FALSE(third->IsPaused());
}

TEST_F(ListWindowTest, IconsGoWithTheRowsBadIndexesShowNoneAndCellsScaleAt120Dpi) {
    MakeConventional(0);
    EXPECT_EQ(m_list->AddImage(LoadPngResource(IDB_PNG_INFO_ICON).release()), 0);
    m_list->InsertRow(0, ProgramRow(L"icon", 0));
    EXPECT_GT(Ink(Render(), ListRect{8, Top() + 4, 40, Top() + 36}), 50);
    m_list->DeleteAllRows();
    m_list->InsertRow(0, ProgramRow(L"Stale index", 0)); // an index from before the refill names nothing
    const CMemoryCanvas canvas = Render(); // no icon: the text starts at 8
    EXPECT_TRUE(!Ink(canvas, ListRect{0, Top() + 4, 7, Top() + 36}) &&
                Ink(canvas, ListRect{8, Top() + 4, 14, Top() + 36}));
    m_list->SetScale(1.2f);
    m_list->AdjustLayout(); // as the pages do after setting the factor
    (void)Render();
    EXPECT_EQ(Cell(0, 3).buttonRect, ListRect::FromSize(540 + 21, Top() + 20 - 14, 76, 28)); // [60 - 38.4], 12 s
}

// Icons are decoded when their rows are first painted, once; a large one is then kept at its shown size,
// drawn pixel for pixel as its sprite was.
TEST_F(ListWindowTest, IconsAreDecodedWhenFirstShownAndKeptAtTheirShownSize) {
    MakeConventional(0);
    int asked = 0;
    for (int i = 0; i < 100; ++i)
        m_list->InsertRow(i, ProgramRow(L"Row", m_list->AddImageSource([&asked, i] {
                              return ++asked, i == 1 ? nullptr : LoadPngResource(IDB_PNG_DEFAULT_PROGRAM_ICON);
                          })));
    EXPECT_EQ(asked, 0);
    const CMemoryCanvas canvas = Render();
    (void)Render();
    EXPECT_TRUE(asked > 3 && asked < 15) << asked;                      // the rows on screen, each once
    EXPECT_GT(Ink(canvas, ListRect{8, Top() + 4, 40, Top() + 36}), 50); // and the row without one paints
    const std::unique_ptr<Gdiplus::Image> original = LoadPngResource(IDB_PNG_DEFAULT_PROGRAM_ICON);
    const std::unique_ptr<Gdiplus::Bitmap> shrunk = ListSpriteCache::Shrunk(original.get(), 32, 32);
    ASSERT_TRUE(shrunk && original->GetWidth() == 64);
    CMemoryCanvas fromOriginal, fromShrunk;
    for (auto [target, image, side] :
         {std::tuple(&fromOriginal, original.get(), 64), {&fromShrunk, shrunk.get(), 32}}) {
        ASSERT_TRUE(target->CreateDib32(32, 32));
        ListSpriteCache().Draw(target->Dc(), image, ListRect{0, 0, side, side}, ListRect{0, 0, 32, 32});
    }
    int differing = 0; // pixel for pixel
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            differing += fromOriginal.PixelAt(x, y) != fromShrunk.PixelAt(x, y);
    EXPECT_EQ(differing, 0);
}

TEST_F(ListWindowTest, MissingResourcesLeaveAWorkingList) {
    // A module without the tool's images and GIF stands for an executable that lost them.
    SetResourceModule(::GetModuleHandleW(L"kernel32.dll"));
    MakeConventional(3);
    ASSERT_TRUE(m_list->SetCellKind(1, 3, CELL_UNINSTALLING) && m_list->SetCellKind(2, 3, CELL_DONE));
    PaintNow();
    const CMemoryCanvas canvas = Render();
    Click(Cell(0, 3).buttonRect.left + 10, Cell(0, 3).buttonRect.top + 10);
    EXPECT_EQ(m_buttonClicks, 1);
    EXPECT_TRUE(!Ink(canvas, Cell(1, 3).animRect) && Ink(canvas, Cell(1, 3).stateTextRect) > 0 &&
                Ink(canvas, Cell(2, 3).stateTextRect) > 0);
}

TEST_F(ListWindowTest, TheBarAndTheWheelScrollByRows) {
    MakeConventional(20, RECT{10, 10, 610, 312});
    HWND bar = m_list->GetVerticalBarHwnd();
    SCROLLINFO info{sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(::IsWindowVisible(bar) && ::IsWindowEnabled(bar) && ::GetScrollInfo(bar, SB_CTL, &info));
    EXPECT_EQ(std::tuple(info.nMax, int(info.nPage), Content().right + ::GetSystemMetrics(SM_CXVSCROLL)),
              std::tuple(800, int(Content().bottom - Content().top), m_list->GetClientRect().right));
    // One row per wheel message whatever its delta; the bar follows.
    for (auto [delta, to] : {std::pair{-1, 40}, {-4 * WHEEL_DELTA, 80}, {3 * WHEEL_DELTA, 40}}) {
        Send(WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(50, 50));
        EXPECT_EQ(std::pair(m_list->GetVerticalScrollPos(), ::GetScrollPos(bar, SB_CTL)), std::pair(to, to));
    }
    // Deleting rows while scrolled: all fits again, no bar, and the first row is back.
    while (m_list->GetRowCount() > 2)
        ASSERT_TRUE(m_list->DeleteRow(m_list->GetRowCount() - 1));
    EXPECT_EQ(std::tuple(::IsWindowVisible(bar), m_list->GetVerticalScrollPos()), std::tuple(FALSE, 0));
}

} // namespace
} // namespace tsu::test
