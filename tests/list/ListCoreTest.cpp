// The portable rules of the multi-line list: rows and columns, cell layout, scroll arithmetic.

#include "controls/list/core/ListGeometry.h"
#include "controls/list/core/ListModel.h"
#include "controls/list/core/ListScroll.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace tsu {
namespace {

// Records the rows the model tells an animation, and its destruction.
struct AnimationLog {
    std::vector<int> rows;
    int destroyed = 0;
};
struct RecordingAnimation : CellAnimation {
    explicit RecordingAnimation(AnimationLog& log) : log(log) {}
    ~RecordingAnimation() override { ++log.destroyed; }
    void SetRow(int row) override { log.rows.push_back(row); }
    void SetPause(bool) override {}
    AnimationLog& log;
};

// Appends rows of these heights, with a text in column 0 and a button in column 3.
ListModel& Fill(ListModel& model, const std::vector<int>& heights) {
    for (int height : heights) {
        ListRow row;
        row.height = height;
        row.cells[0] = MakeCell(CELL_TEXT, L"row " + std::to_wstring(model.GetRowCount()), kAlignLeft);
        row.cells[3] = MakeCell(CELL_BUTTON, L"", kAlignLeft);
        EXPECT_TRUE(model.InsertRow(model.GetRowCount(), row));
    }
    return model;
}

TEST(ListModelTest, RowsAreShownInIndexOrderAndAnExistingIndexIsKept) {
    ListModel model;
    ListRow row;
    row.height = 40;
    ASSERT_TRUE(model.InsertRow(9, row) && model.InsertRow(0, row));
    row.height = 10;
    ASSERT_TRUE(model.InsertRow(1, row));
    EXPECT_FALSE(model.InsertRow(1, ListRow{}));
    EXPECT_EQ(model.KeyOfPosition(2), 9);
    EXPECT_EQ(model.KeyOfPosition(3) + model.KeyOfPosition(-1), -2);
    EXPECT_EQ(model.PositionOfKey(9), 2);
    EXPECT_EQ(model.PositionOfKey(5), -1);
    EXPECT_EQ(model.TopOfPosition(2), 50);
    EXPECT_EQ(model.TopOfPosition(7), 90);
    EXPECT_EQ(model.PositionAtOffset(45), 1);
    ASSERT_TRUE(model.DeleteRow(0)); // renumbers the rows behind 0, 1, ... and closes the gap
    EXPECT_TRUE(model.FindRow(1) && !model.FindRow(9));
    EXPECT_EQ(model.TotalHeight(), 50);
    ASSERT_TRUE(model.InsertColumn(0, ListColumn{120, L"名称", 60}));
    EXPECT_FALSE(model.InsertColumn(0, ListColumn{10, L"x", 0}));
    EXPECT_EQ(model.TotalWidth(), 120);
}

TEST(ListModelTest, BadSizesAreClampedAndMissingRowsCellsOrDataRefused) {
    ListModel model;
    Fill(model, {-50, 1 << 30});
    EXPECT_EQ(model.HeightOfPosition(0), 0);
    EXPECT_EQ(model.HeightOfPosition(1), ListModel::kMaxRowHeight);
    EXPECT_EQ(model.HeightOfPosition(2) + model.HeightOfPosition(-1), 0);
    ASSERT_TRUE(model.InsertColumn(0, ListColumn{-5, L"", -1}));
    ASSERT_TRUE(model.InsertColumn(1, ListColumn{1 << 30, L"", 1 << 30}));
    EXPECT_EQ(model.FindColumn(0)->minWidth, 0);
    EXPECT_EQ(model.FindColumn(1)->minWidth, ListModel::kMaxColumnWidth);
    EXPECT_EQ(model.TotalWidth(), ListModel::kMaxColumnWidth);
    EXPECT_TRUE(model.SetColumnWidth(0, 1 << 30));
    EXPECT_EQ(model.TotalWidth(), 2 * ListModel::kMaxColumnWidth);
    EXPECT_FALSE(model.SetColumnWidth(5, 10));
    int record = 0;
    EXPECT_TRUE(model.SetItemData(1, &record));
    EXPECT_FALSE(model.SetItemData(1, nullptr)); // keeps the old data
    EXPECT_FALSE(model.SetItemData(2, &record));
    EXPECT_EQ(model.GetItemData(1), &record);
    EXPECT_EQ(model.GetItemData(-1), nullptr);
    EXPECT_FALSE(model.SetCellKind(1, 2, CELL_WAITING)); // the row has no cell in column 2
    EXPECT_TRUE(model.SetCellKind(1, 3, CELL_WAITING));
    EXPECT_FALSE(model.SetCellKind(2, 3, CELL_WAITING));
    EXPECT_FALSE(model.GetCellCheck(5, 0) || model.GetCellCheck(0, 9));
    EXPECT_FALSE(model.DeleteRow(2) || model.DeleteRow(-1));
}

TEST(ListModelTest, DeleteRowMovesDataKindsAndAnimationsOfTheRowsBehind) {
    AnimationLog logs[3];
    ListModel model;
    Fill(model, {40, 40, 40});
    for (int i = 0; i < 3; ++i)
        model.FindCell(i, 3)->animation = std::make_shared<RecordingAnimation>(logs[i]);
    int third = 3;
    ASSERT_TRUE(model.SetItemData(2, &third));
    ASSERT_TRUE(model.SetCellKind(1, 3, CELL_DONE)); // a kind change keeps the animation
    ASSERT_TRUE(model.DeleteRow(0));
    EXPECT_EQ(logs[0].destroyed, 1);
    EXPECT_EQ(logs[1].destroyed, 0);
    EXPECT_EQ(logs[1].rows, std::vector<int>{0});
    EXPECT_EQ(logs[2].rows, std::vector<int>{1});
    EXPECT_EQ(model.GetItemData(1), &third);
    EXPECT_EQ(model.FindCell(1, 0)->text, L"row 2");
    EXPECT_EQ(model.FindCell(0, 3)->kind, CELL_DONE);
    model.DeleteAllRows();
    EXPECT_EQ(logs[1].destroyed + logs[2].destroyed, 2);
    EXPECT_EQ(model.GetRowCount() + model.TotalHeight(), 0);
}

TEST(ListModelTest, SelectAllFollowsTheColumnZeroBoxesAndSetsEveryColumnZeroCell) {
    // Column 0 per row (X ticked box, o clear box, + ticked cell without a box, - clear one), and
    // whether the select-all box is ticked: when every box is.
    const std::pair<std::string, bool> cases[] = {{"", true},    {"XX", true}, {"Xo", false},
                                                  {"oX", false}, {"X-", true}, {"+", true}};
    for (const auto& [boxes, ticked] : cases) {
        ListModel model;
        Fill(model, std::vector<int>(boxes.size(), 40));
        for (int i = 0; i < model.GetRowCount(); ++i) {
            model.FindCell(i, 0)->hasCheck = boxes[i] == 'X' || boxes[i] == 'o';
            model.FindCell(i, 0)->checked = boxes[i] == 'X' || boxes[i] == '+';
        }
        if (ListCell* other = model.FindCell(0, 3))
            other->checked = true; // other columns are not touched
        EXPECT_EQ(model.AreColumnZeroBoxesTicked(), ticked) << boxes;
        model.SetColumnZeroChecks(!ticked);
        for (int i = 0; i < model.GetRowCount(); ++i)
            EXPECT_EQ(model.GetCellCheck(i, 0), !ticked) << boxes;
        EXPECT_EQ(model.GetCellCheck(0, 3), !boxes.empty());
    }
}

TEST(ListModelTest, OffsetsMapToRowsEdgesToTheLowerRowAndEmptyRowsAreNeverHit) {
    ListModel model;
    Fill(model, {40, 0, 40, 0}); // 0-40, -, 40-80, -
    for (auto [offset, position] : {std::pair{-1, -1}, {0, 0}, {39, 0}, {40, 2}, {79, 2}, {80, -1}})
        EXPECT_EQ(model.PositionAtOffset(offset), position) << offset;
    EXPECT_EQ(ListModel().PositionAtOffset(0), -1);
}

TEST(ListModelTest, HundredThousandRowsStayConsistentThroughDeletes) {
    constexpr int kRows = 100000;
    ListModel model;
    Fill(model, std::vector<int>(kRows, 40));
    EXPECT_EQ(model.PositionAtOffset(int64_t(kRows) * 40 - 1), kRows - 1);
    ASSERT_TRUE(model.DeleteRow(50000));
    EXPECT_EQ(model.GetRowCount(), kRows - 1);
    EXPECT_EQ(model.KeyOfPosition(kRows - 2), kRows - 2);
    EXPECT_EQ(model.TopOfPosition(kRows - 2), int64_t(kRows - 2) * 40);
    EXPECT_EQ(model.TotalHeight(), int64_t(kRows - 1) * 40);
}

TEST(ListGeometryTest, CellPartsAtUnitAndFractionalScales) {
    const ListRect cell{100, 40, 250, 80};   // 150 x 40
    const ListRect scaled{600, 48, 744, 96}; // the conventional page's operation column at 1.2
    enum { C = 1, I = 2, X = 4 };            // check box, icon, and the icon's image exists
    using L = CellLayout;
    struct Case {
        const char* name;
        int kind, has;
        float scale;
        ListRect cellRect;
        ListRect L::*part;
        ListRect expected;
    };
    const Case cases[] = {
        {"CheckBeforeIcon", CELL_TEXT, C | I | X, 1.0f, cell, &L::checkRect, {108, 52, 124, 68}},
        {"IconAfterCheck", CELL_TEXT, C | I | X, 1.0f, cell, &L::iconRect, {129, 44, 161, 76}},
        {"TextAfterIcon", CELL_TEXT, C | I | X, 1.0f, cell, &L::textRect, {166, 40, 250, 80}},
        {"IconWithoutCheck", CELL_TEXT, I | X, 1.0f, cell, &L::iconRect, {108, 44, 140, 76}},
        {"TextAfterIconOnly", CELL_TEXT, I | X, 1.0f, cell, &L::textRect, {145, 40, 250, 80}},
        {"MissingIconDrawsNothing", CELL_TEXT, I, 1.0f, cell, &L::iconRect, {}},
        {"MissingIconKeepsItsMargin", CELL_TEXT, I, 1.0f, cell, &L::textRect, {108, 40, 250, 80}},
        // Scrolled so far left that the icon starts at x 6 or less: another margin after it.
        {"IconNearTheLeftEdge", CELL_TEXT, I | X, 1.0f, {-2, 0, 148, 40}, &L::textRect, {51, 0, 148, 40}},
        {"ButtonCentred", CELL_BUTTON, 0, 1.0f, cell, &L::buttonRect, {143, 48, 207, 72}},
        {"ButtonHasNoText", CELL_BUTTON, 0, 1.0f, cell, &L::textRect, {}},
        // [72 - 38.4] = 33; 24 - 12 s = 10; 64 s x 24 s.
        {"ButtonAt120Dpi", CELL_BUTTON, 0, 1.2f, scaled, &L::buttonRect, {633, 58, 709, 86}},
        // [24 - 10 s] is 12 whatever the floating-point unit keeps of 1.2f.
        {"AnimationAt120Dpi", CELL_WAITING, 0, 1.2f, scaled, &L::animRect, {612, 60, 636, 84}},
        // [24 - 7 s = 15.6] = 15; 36 s in, 10 s from the right, 15 s high.
        {"StateTextAt120Dpi", CELL_UNINSTALLING, 0, 1.2f, scaled, &L::stateTextRect, {643, 63, 732, 81}},
        {"DoneIconAt125", CELL_DONE, 0, 1.25f, {0, 0, 100, 50}, &L::animRect, {12, 12, 37, 37}},
        {"UnknownKindKeepsTheCheckBox", 42, C, 1.0f, cell, &L::checkRect, {108, 52, 124, 68}},
        {"UnknownKindHasNoText", 42, C, 1.0f, cell, &L::textRect, {}},
        {"UnknownKindHasNoButton", 42, C, 1.0f, cell, &L::buttonRect, {}},
        {"UnknownKindHasNoState", 42, C, 1.0f, cell, &L::stateTextRect, {}},
        // A zero-size cell keeps the button's size around it, never inverted.
        {"ZeroSizeCell", CELL_BUTTON, 0, 1.0f, {}, &L::buttonRect, {-32, -12, 32, 12}},
    };
    for (const Case& c : cases) {
        ListCell in = MakeCell(c.kind, L"", kAlignLeft);
        in.hasCheck = c.has & C;
        in.hasIcon = c.has & I;
        CellLayoutInput input;
        input.scale = c.scale;
        input.iconExists = c.has & X;
        input.fontHeight = 15;
        const ListRect got = LayoutCell(in, c.cellRect, input).*c.part;
        EXPECT_EQ(got, c.expected) << c.name << ": " << got.left << "," << got.top << "," << got.right << ","
                                   << got.bottom;
    }
    EXPECT_EQ(HeaderHeight(16, 20, 1.0f), 42); // bold font + 20 s + 6
    EXPECT_EQ(HeaderHeight(19, 20, 1.2f), 19 + 24 + 6);
}

TEST(ListScrollTest, VerticalSteps) {
    // Ten rows of 40 pixels (400 in all) in a view 150 high, unless the case says otherwise.
    using SC = ScrollCode;
    struct Case {
        const char* name;
        SC code;
        int position, trackPos, expected;
        int rows = 10, view = 150;
    };
    const Case cases[] = {
        {"ThumbTrackTakesTheTrackingPosition", SC::ThumbTrack, 0, 137, 137},
        {"NegativeTrackBecomesZero", SC::ThumbTrack, 80, -5, 0},
        {"ThumbPositionChangesNothing", SC::ThumbPosition, 40, 137, 40},
        {"PageUp", SC::PageUp, 200, 0, 50},
        {"PageDownByAView", SC::PageDown, 0, 0, 150},
        {"PageDownOnlyTheRest", SC::PageDown, 200, 0, 250},
        {"PageDownAtTheEndStays", SC::PageDown, 250, 0, 250},
        {"LineDownByTheFirstRow", SC::LineDown, 0, 0, 40},
        {"LineDownFromHalfARow", SC::LineDown, 20, 0, 60},
        {"LineDownWhileTheRestDoesNotFit", SC::LineDown, 240, 0, 280},
        {"LineDownStopsWhenTheRestFits", SC::LineDown, 280, 0, 280}, // rows 7..9 fit in 150
        {"LineDownStopsWhenTheRestJustFits", SC::LineDown, 240, 0, 240, 10, 160},
        {"LineUpByThePreviousRow", SC::LineUp, 80, 0, 40},
        {"LineUpFromHalfARow", SC::LineUp, 60, 0, 20},
        {"LineUpAtTheFirstRowGoesToTheTop", SC::LineUp, 20, 0, 0},
        {"LineUpBeyondTheEnd", SC::LineUp, 1000, 0, 960},
        {"EndScrollIsIgnored", SC::EndScroll, 80, 0, 80},
        {"EmptyListLineDown", SC::LineDown, 0, 0, 0, 0},
        {"EmptyListPageDown", SC::PageDown, 0, 0, 0, 0},
        {"ZeroHeightViewStillStepsByRows", SC::LineDown, 0, 0, 40, 10, 0},
    };
    for (const Case& c : cases) {
        ListModel model;
        Fill(model, std::vector<int>(c.rows, 40));
        EXPECT_EQ(VerticalScroll(model, static_cast<int>(c.code), c.position, c.trackPos, c.view), c.expected)
            << c.name;
    }
}

TEST(ListScrollTest, HorizontalStepsOfColumns700WideInAView300Wide) {
    using SC = ScrollCode;
    const std::tuple<SC, int, int, int> cases[] = {
        // code, position, thumb position, expected
        {SC::ThumbPosition, 0, 123, 123}, {SC::ThumbTrack, 0, 77, 77}, {SC::PageUp, 350, 0, 50},
        {SC::PageUp, 100, 0, 0},          {SC::PageDown, 0, 0, 300},   {SC::PageDown, 300, 0, 400},
        {SC::LineUp, 30, 0, 5},           {SC::LineUp, 10, 0, 0},      {SC::LineDown, 0, 0, 25},
        {SC::LineDown, 400, 0, 400},      {SC::EndScroll, 42, 0, 42}};
    for (auto [code, position, thumb, expected] : cases)
        EXPECT_EQ(HorizontalScroll(static_cast<int>(code), position, thumb, 300, 700), expected)
            << static_cast<int>(code) << " from " << position;
}

TEST(ListScrollTest, EnsureVisibleScrollsOnlyWhenTheRowIsCut) {
    // Row, scroll position, row height, and the new position (-1: none) in a view 150 high: rows
    // cut at the bottom or below align their bottom, rows above or taller than the view their top.
    const std::tuple<int, int, int, int> cases[] = {
        {1, 0, 40, -1},  {2, 0, 40, -1},   {3, 0, 40, 10}, {9, 0, 40, 250}, {2, 100, 40, 80},
        {2, 90, 40, 80}, {2, 0, 200, 400}, {0, 0, 200, 0}, {10, 0, 40, -1}, {-1, 0, 40, -1}};
    for (auto [row, position, height, expected] : cases) {
        ListModel model;
        Fill(model, std::vector<int>(10, height));
        EXPECT_EQ(EnsureVisiblePosition(model, row, position, 150).value_or(-1), expected) << row << " at " << position;
    }
}

TEST(ListScrollTest, FirstVisibleRowAndTheFurthestPosition) {
    ListModel model;
    Fill(model, std::vector<int>(10, 40));
    EXPECT_EQ(FindFirstVisibleRow(model, 60).position, 1); // half scrolled: starts above the content
    EXPECT_EQ(FindFirstVisibleRow(model, 60).top, -20);
    EXPECT_EQ(FindFirstVisibleRow(model, -30).position, 0);
    EXPECT_EQ(FindFirstVisibleRow(model, 400).position, -1);
    EXPECT_EQ(MaxScrollPosition(400, 150), 250);
    EXPECT_EQ(MaxScrollPosition(100, 150), 0);
    EXPECT_EQ(MaxScrollPosition(100, -5), 100);
    EXPECT_EQ(MaxScrollPosition(int64_t(1) << 40, 0), INT_MAX);
}

} // namespace
} // namespace tsu
