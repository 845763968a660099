#include "controls/list/core/ListGeometry.h"
#include "controls/list/core/ListModel.h"
#include "controls/list/core/ListScroll.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace tsu {
namespace {

// Records the rows the model tells an animation, and its destruction.
struct RecordingAnimation : CellAnimation {
    RecordingAnimation(std::vector<int>& rows, int& destroyed) : rows(rows), destroyed(destroyed) {}
    ~RecordingAnimation() override { ++destroyed; }
    void SetRow(int row) override { rows.push_back(row); }
    void SetPause(bool) override {}
    std::vector<int>& rows;
    int& destroyed;
};

// Appends rows of these heights, with a text in column 0 and a button in column 3.
void Fill(ListModel& model, const std::vector<int>& heights) {
    for (int height : heights) {
        ListRow row;
        row.height = height;
        row.cells[0] = MakeCell(CELL_TEXT, L"row " + std::to_wstring(model.GetRowCount()), kAlignLeft);
        row.cells[3] = MakeCell(CELL_BUTTON, L"", kAlignLeft);
        EXPECT_TRUE(model.InsertRow(model.GetRowCount(), row));
    }
}

TEST(ListModelTest, RowsAreShownInIndexOrderAndAnExistingIndexIsKept) {
    ListModel model;
    ListRow row, low;
    std::tie(row.height, low.height) = std::tuple(40, 10);
    ASSERT_TRUE(model.InsertRow(9, row) && model.InsertRow(0, row) && model.InsertRow(1, low));
    EXPECT_FALSE(model.InsertRow(1, ListRow{}));
    EXPECT_EQ(std::tuple(model.KeyOfPosition(2), model.KeyOfPosition(3), model.KeyOfPosition(-1)),
              std::tuple(9, -1, -1));
    EXPECT_EQ(std::tuple(model.PositionOfKey(9), model.PositionOfKey(5)), std::tuple(2, -1));
    EXPECT_EQ(std::tuple(model.TopOfPosition(2), model.TopOfPosition(7)), std::tuple(50, 90));
    EXPECT_TRUE(model.RowOfPosition(0) == model.FindRow(0) && model.RowOfPosition(2) == model.FindRow(9) &&
                !model.RowOfPosition(3) && !model.RowOfPosition(-1));
    ASSERT_TRUE(model.DeleteRow(0)); // renumbers the rows behind 0, 1, ... and closes the gap
    EXPECT_TRUE(model.FindRow(1) && !model.FindRow(9) && model.TotalHeight() == 50);
    EXPECT_TRUE(model.InsertColumn(0, ListColumn{120, L"名称", 60}) && !model.InsertColumn(0, ListColumn{10, L"x", 0}));
    EXPECT_EQ(model.TotalWidth(), 120);
}

TEST(ListModelTest, BadSizesAreClampedAndMissingRowsCellsOrDataRefused) {
    ListModel model;
    Fill(model, {-50, 1 << 30});
    EXPECT_EQ(std::tuple(model.HeightOfPosition(0), model.HeightOfPosition(1), model.HeightOfPosition(2),
                         model.HeightOfPosition(-1)),
              std::tuple(0, ListModel::kMaxRowHeight, 0, 0));
    ASSERT_TRUE(model.InsertColumn(0, ListColumn{-5, L"", -1}) &&
                model.InsertColumn(1, ListColumn{1 << 30, L"", 1 << 30}));
    EXPECT_EQ(std::tuple(model.FindColumn(0)->minWidth, model.FindColumn(1)->minWidth, model.TotalWidth()),
              std::tuple(0, ListModel::kMaxColumnWidth, ListModel::kMaxColumnWidth));
    EXPECT_TRUE(model.SetColumnWidth(0, 1 << 30) && !model.SetColumnWidth(5, 10));
    EXPECT_EQ(model.TotalWidth(), 2 * ListModel::kMaxColumnWidth);
    int record = 0;
    EXPECT_TRUE(model.SetItemData(1, &record) && !model.SetItemData(1, nullptr) && !model.SetItemData(2, &record));
    EXPECT_TRUE(model.GetItemData(1) == &record && !model.GetItemData(-1));
    EXPECT_TRUE(model.SetCellKind(1, 3, CELL_WAITING) && !model.SetCellKind(1, 2, CELL_WAITING) && // no cell there
                !model.SetCellKind(2, 3, CELL_WAITING));
    EXPECT_FALSE(model.GetCellCheck(5, 0) || model.GetCellCheck(0, 9) || model.DeleteRow(2) || model.DeleteRow(-1));
}

TEST(ListModelTest, DeleteRowMovesDataKindsAndAnimationsOfTheRowsBehind) {
    std::vector<int> rows[3];
    int destroyed[3] = {};
    ListModel model;
    Fill(model, {40, 40, 40});
    for (int i = 0; i < 3; ++i)
        model.FindCell(i, 3)->animation = std::make_shared<RecordingAnimation>(rows[i], destroyed[i]);
    int third = 3;
    ASSERT_TRUE(model.SetItemData(2, &third));
    ASSERT_TRUE(model.SetCellKind(1, 3, CELL_DONE)); // a kind change keeps the animation
    ASSERT_TRUE(model.DeleteRow(0));
    EXPECT_EQ(std::tuple(destroyed[0], destroyed[1]), std::tuple(1, 0));
    EXPECT_EQ(std::tuple(rows[1], rows[2]), std::tuple(std::vector<int>{0}, std::vector<int>{1}));
    EXPECT_EQ(std::tuple(model.GetItemData(1), model.FindCell(1, 0)->text, model.FindCell(0, 3)->kind),
              (std::tuple<void*, std::wstring, int>(&third, L"row 2", CELL_DONE)));
    model.DeleteAllRows();
    EXPECT_EQ(std::tuple(destroyed[1] + destroyed[2], model.GetRowCount(), model.TotalHeight()), std::tuple(2, 0, 0));
}

TEST(ListModelTest, SelectAllFollowsTheColumnZeroBoxesAndSetsEveryColumnZeroCell) {
    // Column 0 per row (X ticked box, o clear box, + ticked cell without a box, - clear one), and
    // whether the select-all box is ticked: when every box is.
    const std::pair<std::string, bool> cases[] = {{"", true},    {"XX", true}, {"Xo", false},
                                                  {"oX", false}, {"X-", true}, {"+", true}};
    for (const auto& [boxes, ticked] : cases) {
        ListModel model;
        Fill(model, std::vector<int>(boxes.size(), 40));
        for (int i = 0; i < model.GetRowCount(); ++i)
            std::tie(model.FindCell(i, 0)->hasCheck, model.FindCell(i, 0)->checked) =
                std::pair(boxes[i] == 'X' || boxes[i] == 'o', boxes[i] == 'X' || boxes[i] == '+');
        if (ListCell* other = model.FindCell(0, 3))
            other->checked = true; // other columns are not touched
        EXPECT_EQ(model.AreColumnZeroBoxesTicked(), ticked) << boxes;
        model.SetColumnZeroChecks(!ticked);
        for (int i = 0; i < model.GetRowCount(); ++i)
            EXPECT_EQ(model.GetCellCheck(i, 0), !ticked) << boxes;
        EXPECT_EQ(model.GetCellCheck(0, 3), !boxes.empty());
    }
}

TEST(ListModelTest, OffsetsMapToRowsAndHundredThousandRowsStayConsistentThroughDeletes) {
    ListModel model;
    Fill(model, {40, 0, 40, 0}); // 0-40, -, 40-80, -: edges go to the lower row, empty rows are never hit
    for (auto [offset, position] : {std::pair{-1, -1}, {0, 0}, {39, 0}, {40, 2}, {79, 2}, {80, -1}})
        EXPECT_EQ(model.PositionAtOffset(offset), position) << offset;
    EXPECT_EQ(ListModel().PositionAtOffset(0), -1);
    constexpr int kRows = 100000;
    ListModel large;
    Fill(large, std::vector<int>(kRows, 40));
    EXPECT_EQ(large.PositionAtOffset(int64_t(kRows) * 40 - 1), kRows - 1);
    ASSERT_TRUE(large.DeleteRow(50000));
    EXPECT_EQ(std::tuple(large.GetRowCount(), large.KeyOfPosition(kRows - 2)), std::tuple(kRows - 1, kRows - 2));
    EXPECT_EQ(std::tuple(large.TopOfPosition(kRows - 2), large.TotalHeight()),
              std::tuple(int64_t(kRows - 2) * 40, int64_t(kRows - 1) * 40));
}

TEST(ListGeometryTest, CellPartsAtUnitAndFractionalScales) {
    const ListRect cell{100, 40, 250, 80}, scaled{600, 48, 744, 96}; // the operation column at 1.2
    enum { C = 1, I = 2, X = 4 };                                     // check box, icon, and the icon's image exists
    using L = CellLayout;
    const std::tuple<const char*, int, int, float, ListRect, ListRect L::*, ListRect> cases[] = {
        {"CheckBeforeIcon", CELL_TEXT, C | I | X, 1.0f, cell, &L::checkRect, {108, 52, 124, 68}},
        {"IconAfterCheck", CELL_TEXT, C | I | X, 1.0f, cell, &L::iconRect, {129, 44, 161, 76}},
        {"TextAfterIcon", CELL_TEXT, C | I | X, 1.0f, cell, &L::textRect, {166, 40, 250, 80}},
        {"IconWithoutCheck", CELL_TEXT, I | X, 1.0f, cell, &L::iconRect, {108, 44, 140, 76}},
        {"MissingIconDrawsNothing", CELL_TEXT, I, 1.0f, cell, &L::iconRect, {}},
        {"MissingIconKeepsItsMargin", CELL_TEXT, I, 1.0f, cell, &L::textRect, {108, 40, 250, 80}},
        // Scrolled so far left that the icon starts at x 6 or less: another margin after it.
        {"IconNearTheLeftEdge", CELL_TEXT, I | X, 1.0f, {-2, 0, 148, 40}, &L::textRect, {51, 0, 148, 40}},
        {"ButtonCentred", CELL_BUTTON, 0, 1.0f, cell, &L::buttonRect, {143, 48, 207, 72}},
        {"ButtonAt120Dpi", CELL_BUTTON, 0, 1.2f, scaled, &L::buttonRect, {633, 58, 709, 86}},
        // [24 - 10 s] is 12 whatever the floating-point unit keeps of 1.2f.
        {"AnimationAt120Dpi", CELL_WAITING, 0, 1.2f, scaled, &L::animRect, {612, 60, 636, 84}},
        {"StateTextAt120Dpi", CELL_UNINSTALLING, 0, 1.2f, scaled, &L::stateTextRect, {643, 63, 732, 81}},
        {"UnknownKindHasNoState", 42, C, 1.0f, cell, &L::stateTextRect, {}},
        // A zero-size cell keeps the button's size around it, never inverted.
        {"ZeroSizeCell", CELL_BUTTON, 0, 1.0f, {}, &L::buttonRect, {-32, -12, 32, 12}},
    };
    for (const auto& [name, kind, has, scale, cellRect, part, expected] : cases) {
        ListCell in = MakeCell(kind, L"", kAlignLeft);
        std::tie(in.hasCheck, in.hasIcon) = std::tuple((has & C) != 0, (has & I) != 0);
        const ListRect got = LayoutCell(in, cellRect, CellLayoutInput{scale, (has & X) != 0, 15}).*part;
        EXPECT_EQ(got, expected) << name << ": " << got.left << "," << got.top << "," << got.right << "," << got.bottom;
    }
    // Bold font + 20 s + 6.
    EXPECT_EQ(std::tuple(HeaderHeight(16, 20, 1.0f), HeaderHeight(19, 20, 1.2f)), std::tuple(42, 19 + 24 + 6));
}

TEST(ListScrollTest, VerticalAndHorizontalSteps) {
    // Code, position, tracking position, expected, rows of 40 pixels, view height; the last row
    // steps by rows in a view of no height. Horizontally: columns 700 wide in a view 300 wide.
    using SC = ScrollCode;
    const std::tuple<SC, int, int, int, int, int> cases[] = {
        {SC::ThumbTrack, 0, 137, 137, 10, 150},    {SC::ThumbTrack, 80, -5, 0, 10, 150},
        {SC::ThumbPosition, 40, 137, 40, 10, 150}, {SC::PageUp, 200, 0, 50, 10, 150},
        {SC::PageDown, 0, 0, 150, 10, 150},        {SC::PageDown, 200, 0, 250, 10, 150},
        {SC::LineDown, 20, 0, 60, 10, 150},        {SC::LineDown, 240, 0, 280, 10, 150},
        {SC::LineDown, 240, 0, 240, 10, 160},      {SC::LineUp, 60, 0, 20, 10, 150},
        {SC::LineUp, 20, 0, 0, 10, 150},           {SC::LineUp, 1000, 0, 960, 10, 150},
        {SC::EndScroll, 80, 0, 80, 10, 150},       {SC::LineDown, 0, 0, 0, 0, 150},
        {SC::LineDown, 0, 0, 40, 10, 0}};
    for (auto [code, position, trackPos, expected, rows, view] : cases) {
        ListModel model;
        Fill(model, std::vector<int>(rows, 40));
        EXPECT_EQ(VerticalScroll(model, static_cast<int>(code), position, trackPos, view), expected)
            << static_cast<int>(code) << " from " << position;
    }
    const std::tuple<SC, int, int, int> sideways[] = {
        {SC::ThumbTrack, 0, 77, 77}, {SC::PageUp, 350, 0, 50}, {SC::PageUp, 100, 0, 0},   {SC::PageDown, 0, 0, 300},
        {SC::PageDown, 300, 0, 400}, {SC::LineUp, 30, 0, 5},   {SC::LineDown, 0, 0, 25}, {SC::LineDown, 400, 0, 400},
        {SC::EndScroll, 42, 0, 42}};
    for (auto [code, position, thumb, expected] : sideways)
        EXPECT_EQ(HorizontalScroll(static_cast<int>(code), position, thumb, 300, 700), expected)
            << static_cast<int>(code) << " from " << position;
}

TEST(ListScrollTest, EnsureVisibleFirstVisibleRowAndTheFurthestPosition) {
    // Row, scroll position, row height, and the new position (-1: none) in a view 150 high: rows
    // cut at the bottom or below align their bottom, rows above or taller than the view their top.
    const std::tuple<int, int, int, int> cases[] = {
        {2, 0, 40, -1}, {3, 0, 40, 10},  {2, 90, 40, 80}, {2, 0, 200, 400},
        {0, 0, 200, 0}, {10, 0, 40, -1}, {-1, 0, 40, -1}};
    for (auto [row, position, height, expected] : cases) {
        ListModel model;
        Fill(model, std::vector<int>(10, height));
        EXPECT_EQ(EnsureVisiblePosition(model, row, position, 150).value_or(-1), expected) << row << " at " << position;
    }
    ListModel model;
    Fill(model, std::vector<int>(10, 40));
    const FirstVisibleRow half = FindFirstVisibleRow(model, 60); // starts above the content
    EXPECT_EQ(std::tuple(half.position, half.top), std::tuple(1, -20));
    EXPECT_EQ(std::tuple(FindFirstVisibleRow(model, -30).position, FindFirstVisibleRow(model, 400).position),
              std::tuple(0, -1));
    EXPECT_EQ(std::tuple(MaxScrollPosition(400, 150), MaxScrollPosition(100, 150), MaxScrollPosition(100, -5)),
              std::tuple(250, 0, 100));
    EXPECT_EQ(MaxScrollPosition(int64_t(1) << 40, 0), INT_MAX);
}

} // namespace
} // namespace tsu
