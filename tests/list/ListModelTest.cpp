#include "controls/list/core/ListModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tsu {
namespace {

// Records what the model tells an animation, and when it is destroyed.
struct AnimationLog {
    std::vector<int> rows;
    int destroyed = 0;
};
class RecordingAnimation : public CellAnimation {
public:
    explicit RecordingAnimation(AnimationLog& log) : m_log(log) {}
    ~RecordingAnimation() override { ++m_log.destroyed; }
    void SetRow(int row) override { m_log.rows.push_back(row); }
    void SetPause(bool) override {}

private:
    AnimationLog& m_log;
};

ListRow MakeRow(const std::wstring& name, int height = 40) {
    ListRow row;
    row.height = height;
    ListCell text;
    text.text = name;
    row.cells[0] = text;
    ListCell button;
    button.kind = CELL_BUTTON;
    row.cells[3] = button;
    return row;
}

ListModel& Fill(ListModel& model, int count) {
    for (int i = 0; i < count; ++i) {
        ListRow row = MakeRow(L"row " + std::to_wstring(i));
        row.index = i;
        EXPECT_TRUE(model.InsertRow(i, row));
    }
    return model;
}

TEST(ListModelDefaultsTest, FieldDefaultsAreThoseThePagesRelyOn) {
    ListColumn column;
    EXPECT_EQ(column.width, 100);
    EXPECT_EQ(column.title, L" ");
    EXPECT_EQ(column.minWidth, 0);
    ListCell cell;
    EXPECT_EQ(cell.kind, CELL_TEXT);
    EXPECT_EQ(cell.align, kAlignLeft);
    EXPECT_EQ(cell.iconIndex, -1);
    EXPECT_TRUE(cell.buttonRect.IsEmpty());
    ListRow row;
    EXPECT_EQ(row.height, 25);
    EXPECT_EQ(row.data, nullptr);
    ListButtonClick click;
    EXPECT_EQ(click.row, -1);
    EXPECT_EQ(click.kind, 0);
    EXPECT_EQ(click.action, 0);
}

TEST(ListModelInsertTest, ExistingIndexLeavesTheRowUnchanged) {
    ListModel model;
    ASSERT_TRUE(model.InsertRow(0, MakeRow(L"first")));
    EXPECT_FALSE(model.InsertRow(0, MakeRow(L"second", 90)));
    ASSERT_EQ(model.GetRowCount(), 1);
    EXPECT_EQ(model.FindCell(0, 0)->text, L"first");
    EXPECT_EQ(model.TotalHeight(), 40);
}

TEST(ListModelInsertTest, ExistingColumnIsKept) {
    ListModel model;
    ASSERT_TRUE(model.InsertColumn(0, ListColumn{120, L"名称", 60}));
    EXPECT_FALSE(model.InsertColumn(0, ListColumn{10, L"x", 0}));
    EXPECT_EQ(model.FindColumn(0)->title, L"名称");
    EXPECT_EQ(model.TotalWidth(), 120);
}

TEST(ListModelInsertTest, RowsInsertedOutOfOrderAreShownInIndexOrder) {
    ListModel model;
    ASSERT_TRUE(model.InsertRow(2, MakeRow(L"c")));
    ASSERT_TRUE(model.InsertRow(0, MakeRow(L"a")));
    ASSERT_TRUE(model.InsertRow(1, MakeRow(L"b", 10)));
    EXPECT_EQ(model.KeyOfPosition(0), 0);
    EXPECT_EQ(model.KeyOfPosition(1), 1);
    EXPECT_EQ(model.KeyOfPosition(2), 2);
    EXPECT_EQ(model.TopOfPosition(2), 50);
    EXPECT_EQ(model.PositionAtOffset(45), 1);
}

TEST(ListModelInsertTest, RowBehindAGapIsStillShownAndDeleteRowClosesTheGap) {
    ListModel model;
    ASSERT_TRUE(model.InsertRow(0, MakeRow(L"a")));
    ASSERT_TRUE(model.InsertRow(7, MakeRow(L"b")));
    EXPECT_EQ(model.GetRowCount(), 2);
    EXPECT_EQ(model.PositionAtOffset(50), 1);
    EXPECT_EQ(model.KeyOfPosition(1), 7);
    EXPECT_EQ(model.PositionOfKey(7), 1);
    EXPECT_EQ(model.PositionOfKey(1), -1);

    ASSERT_TRUE(model.DeleteRow(0));
    ASSERT_NE(model.FindRow(0), nullptr);
    EXPECT_EQ(model.FindCell(0, 0)->text, L"b");
    EXPECT_EQ(model.FindRow(7), nullptr);
}

TEST(ListModelInsertTest, NegativeAndHugeSizesAreClamped) {
    ListModel model;
    ASSERT_TRUE(model.InsertRow(0, MakeRow(L"neg", -50)));
    ASSERT_TRUE(model.InsertRow(1, MakeRow(L"huge", 1 << 30)));
    EXPECT_EQ(model.HeightOfPosition(0), 0);
    EXPECT_EQ(model.HeightOfPosition(1), ListModel::kMaxRowHeight);
    ASSERT_TRUE(model.InsertColumn(0, ListColumn{-5, L"", -1}));
    EXPECT_EQ(model.FindColumn(0)->width, 0);
    EXPECT_EQ(model.FindColumn(0)->minWidth, 0);
    EXPECT_TRUE(model.SetColumnWidth(0, 1 << 30));
    EXPECT_EQ(model.FindColumn(0)->width, ListModel::kMaxColumnWidth);
    EXPECT_FALSE(model.SetColumnWidth(5, 10));
}

TEST(ListModelItemDataTest, NullPointerIsRefusedAndKeepsTheOldData) {
    ListModel model;
    Fill(model, 1);
    int record = 0;
    EXPECT_TRUE(model.SetItemData(0, &record));
    EXPECT_FALSE(model.SetItemData(0, nullptr));
    EXPECT_EQ(model.GetItemData(0), &record);
    EXPECT_FALSE(model.SetItemData(1, &record));
    EXPECT_EQ(model.GetItemData(1), nullptr);
    EXPECT_EQ(model.GetItemData(-1), nullptr);
}

TEST(ListModelCellTest, MissingRowOrCellReportsFalse) {
    ListModel model;
    Fill(model, 2);
    EXPECT_TRUE(model.SetCellKind(1, 3, CELL_WAITING));
    EXPECT_EQ(model.FindCell(1, 3)->kind, CELL_WAITING);
    EXPECT_FALSE(model.SetCellKind(1, 2, CELL_WAITING)); // the row has no cell in column 2
    EXPECT_FALSE(model.SetCellKind(2, 3, CELL_WAITING));
    EXPECT_FALSE(model.GetCellCheck(5, 0));
    EXPECT_FALSE(model.GetCellCheck(0, 9));
    model.FindCell(0, 0)->checked = true;
    EXPECT_TRUE(model.GetCellCheck(0, 0));
}

TEST(ListModelDeleteTest, MiddleRowOfThreeRenumbersTheRowBehindIt) {
    ListModel model;
    Fill(model, 3);
    int third = 3;
    ASSERT_TRUE(model.SetItemData(2, &third));
    ASSERT_TRUE(model.DeleteRow(1));
    EXPECT_EQ(model.GetRowCount(), 2);
    EXPECT_EQ(model.FindRow(2), nullptr);
    EXPECT_EQ(model.GetItemData(1), &third);
    ASSERT_TRUE(model.SetCellKind(1, 3, CELL_DONE));
    EXPECT_EQ(model.FindCell(1, 0)->text, L"row 2");
    EXPECT_EQ(model.FindCell(1, 3)->kind, CELL_DONE);
    EXPECT_EQ(model.FindCell(0, 3)->kind, CELL_BUTTON);
    // The caller's own index field stays as it was given.
    EXPECT_EQ(model.FindRow(1)->index, 2);
    EXPECT_EQ(model.TotalHeight(), 80);
    EXPECT_FALSE(model.DeleteRow(2));
    EXPECT_FALSE(model.DeleteRow(-1));
}

TEST(ListModelDeleteTest, AnimationsAreDestroyedWithTheirRowAndRenumberedBehindIt) {
    AnimationLog first, second, third;
    ListModel model;
    Fill(model, 3);
    model.FindCell(0, 3)->animation = std::make_shared<RecordingAnimation>(first);
    model.FindCell(1, 3)->animation = std::make_shared<RecordingAnimation>(second);
    model.FindCell(2, 3)->animation = std::make_shared<RecordingAnimation>(third);

    ASSERT_TRUE(model.DeleteRow(0));
    EXPECT_EQ(first.destroyed, 1);
    EXPECT_EQ(second.rows, std::vector<int>{0});
    EXPECT_EQ(third.rows, std::vector<int>{1});
    EXPECT_EQ(second.destroyed, 0);

    model.DeleteAllRows();
    EXPECT_EQ(second.destroyed, 1);
    EXPECT_EQ(third.destroyed, 1);
    EXPECT_EQ(model.GetRowCount(), 0);
    EXPECT_EQ(model.TotalHeight(), 0);
}

TEST(ListModelDeleteTest, ChangingTheKindKeepsTheAnimationUntilTheRowGoes) {
    AnimationLog log;
    ListModel model;
    Fill(model, 1);
    model.FindCell(0, 3)->animation = std::make_shared<RecordingAnimation>(log);
    ASSERT_TRUE(model.SetCellKind(0, 3, CELL_BUTTON));
    EXPECT_EQ(log.destroyed, 0);
    ASSERT_NE(model.FindCell(0, 3)->animation, nullptr);
    ASSERT_TRUE(model.DeleteRow(0));
    EXPECT_EQ(log.destroyed, 1);
}

TEST(ListModelCheckAllTest, ClearsColumnZeroOfEveryRowWithOrWithoutABox) {
    ListModel model;
    Fill(model, 3);
    model.FindCell(0, 0)->hasCheck = true;
    model.FindCell(0, 0)->checked = true;
    model.FindCell(1, 0)->checked = true; // no visible box
    model.FindCell(2, 3)->checked = true; // other columns are not touched
    model.SetColumnZeroChecks(false);
    EXPECT_FALSE(model.GetCellCheck(0, 0));
    EXPECT_FALSE(model.GetCellCheck(1, 0));
    EXPECT_TRUE(model.GetCellCheck(2, 3));
    model.SetColumnZeroChecks(true);
    EXPECT_TRUE(model.GetCellCheck(1, 0));
    EXPECT_TRUE(model.GetCellCheck(2, 0));
}

struct SelectAllCase {
    const char* name;
    std::vector<std::pair<bool, bool>> boxes; // hasCheck, checked of column 0 per row
    bool expected;
};
class SelectAllRuleTest : public ::testing::TestWithParam<SelectAllCase> {};

TEST_P(SelectAllRuleTest, FollowsTheColumnZeroBoxes) {
    ListModel model;
    int index = 0;
    for (auto [hasCheck, checked] : GetParam().boxes) {
        ListRow row = MakeRow(L"r");
        row.cells[0].hasCheck = hasCheck;
        row.cells[0].checked = checked;
        ASSERT_TRUE(model.InsertRow(index++, row));
    }
    EXPECT_EQ(model.AreColumnZeroBoxesTicked(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SelectAllRuleTest,
    ::testing::Values(SelectAllCase{"Empty", {}, true}, SelectAllCase{"AllTicked", {{true, true}, {true, true}}, true},
                      SelectAllCase{"OneClear", {{true, true}, {true, false}}, false},
                      SelectAllCase{"ClearWithoutBoxIgnored", {{true, true}, {false, false}}, true},
                      SelectAllCase{"NoBoxes", {{false, false}}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ListModelLayoutTest, OffsetsMapToRowsAndEdgesBelongToTheLowerRow) {
    ListModel model;
    Fill(model, 3); // 0-40, 40-80, 80-120
    EXPECT_EQ(model.PositionAtOffset(-1), -1);
    EXPECT_EQ(model.PositionAtOffset(0), 0);
    EXPECT_EQ(model.PositionAtOffset(39), 0);
    EXPECT_EQ(model.PositionAtOffset(40), 1);
    EXPECT_EQ(model.PositionAtOffset(119), 2);
    EXPECT_EQ(model.PositionAtOffset(120), -1);
    EXPECT_EQ(model.TotalHeight(), 120);
}

TEST(ListModelLayoutTest, ZeroHeightRowsAreNeverHit) {
    ListModel model;
    ASSERT_TRUE(model.InsertRow(0, MakeRow(L"a", 40)));
    ASSERT_TRUE(model.InsertRow(1, MakeRow(L"b", 0)));
    ASSERT_TRUE(model.InsertRow(2, MakeRow(L"c", 40)));
    EXPECT_EQ(model.PositionAtOffset(40), 2);
    ASSERT_TRUE(model.InsertRow(3, MakeRow(L"d", 0)));
    EXPECT_EQ(model.PositionAtOffset(80), -1);
}

TEST(ListModelLayoutTest, HundredThousandRowsStayConsistentThroughDeletes) {
    ListModel model;
    constexpr int kRows = 100000;
    for (int i = 0; i < kRows; ++i)
        ASSERT_TRUE(model.InsertRow(i, MakeRow(L"", 40)));
    EXPECT_EQ(model.TotalHeight(), int64_t(kRows) * 40);
    EXPECT_EQ(model.PositionAtOffset(int64_t(kRows) * 40 - 1), kRows - 1);
    ASSERT_TRUE(model.DeleteRow(50000));
    EXPECT_EQ(model.GetRowCount(), kRows - 1);
    EXPECT_EQ(model.KeyOfPosition(kRows - 2), kRows - 2);
    EXPECT_EQ(model.TotalHeight(), int64_t(kRows - 1) * 40);
}

} // namespace
} // namespace tsu
