#include "controls/list/core/ListScroll.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

// Ten rows of 40 pixels (400 in all) in a view 150 high.
constexpr int kView = 150;

ListModel& TenRows(ListModel& model, int height = 40) {
    for (int i = 0; i < 10; ++i) {
        ListRow row;
        row.height = height;
        EXPECT_TRUE(model.InsertRow(i, row));
    }
    return model;
}

int Code(ScrollCode code) {
    return static_cast<int>(code);
}

struct VerticalCase {
    const char* name;
    ScrollCode code;
    int position;
    int trackPos;
    int expected;
};
class VerticalScrollTest : public ::testing::TestWithParam<VerticalCase> {};

TEST_P(VerticalScrollTest, MovesThePosition) {
    ListModel model;
    TenRows(model);
    const VerticalCase& c = GetParam();
    EXPECT_EQ(VerticalScroll(model, Code(c.code), c.position, c.trackPos, kView), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, VerticalScrollTest,
    ::testing::Values(VerticalCase{"ThumbTrackTakesTheTrackingPosition", ScrollCode::ThumbTrack, 0, 137, 137},
                      VerticalCase{"ThumbPositionChangesNothing", ScrollCode::ThumbPosition, 40, 137, 40},
                      VerticalCase{"PageUp", ScrollCode::PageUp, 200, 0, 50},
                      VerticalCase{"PageUpStopsAtTheTop", ScrollCode::PageUp, 100, 0, 0},
                      VerticalCase{"PageDownByAView", ScrollCode::PageDown, 0, 0, 150},
                      VerticalCase{"PageDownOnlyTheRest", ScrollCode::PageDown, 200, 0, 250},
                      VerticalCase{"PageDownAtTheEndStays", ScrollCode::PageDown, 250, 0, 250},
                      VerticalCase{"LineDownByTheFirstRow", ScrollCode::LineDown, 0, 0, 40},
                      VerticalCase{"LineDownFromHalfARow", ScrollCode::LineDown, 20, 0, 60},
                      // Rows 7..9 (120 pixels) fit into the view: no further step.
                      VerticalCase{"LineDownStopsWhenTheRestFits", ScrollCode::LineDown, 280, 0, 280},
                      VerticalCase{"LineUpByThePreviousRow", ScrollCode::LineUp, 80, 0, 40},
                      VerticalCase{"LineUpFromHalfARow", ScrollCode::LineUp, 60, 0, 20},
                      VerticalCase{"LineUpAtTheFirstRowGoesToTheTop", ScrollCode::LineUp, 20, 0, 0},
                      VerticalCase{"LineUpBeyondTheEnd", ScrollCode::LineUp, 1000, 0, 960},
                      VerticalCase{"TopIsIgnored", ScrollCode::Top, 80, 0, 80},
                      VerticalCase{"EndScrollIsIgnored", ScrollCode::EndScroll, 80, 0, 80},
                      VerticalCase{"NegativeTrackBecomesZero", ScrollCode::ThumbTrack, 80, -5, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VerticalScrollTest2, PageDownNeverPassesTheLastRow) {
    ListModel model;
    TenRows(model);
    int position = 0;
    for (int i = 0; i < 10; ++i)
        position = VerticalScroll(model, Code(ScrollCode::PageDown), position, 0, kView);
    EXPECT_EQ(position, 400 - kView);
}

TEST(VerticalScrollTest2, EmptyListStaysAtZero) {
    ListModel model;
    for (ScrollCode code : {ScrollCode::LineUp, ScrollCode::LineDown, ScrollCode::PageUp, ScrollCode::PageDown})
        EXPECT_EQ(VerticalScroll(model, Code(code), 0, 0, kView), 0);
}

TEST(VerticalScrollTest2, ZeroHeightViewStillMovesByRows) {
    ListModel model;
    TenRows(model);
    EXPECT_EQ(VerticalScroll(model, Code(ScrollCode::LineDown), 0, 0, 0), 40);
    EXPECT_EQ(VerticalScroll(model, Code(ScrollCode::PageDown), 40, 0, 0), 40);
}

struct HorizontalCase {
    const char* name;
    ScrollCode code;
    int position;
    int thumbPos;
    int expected;
};
class HorizontalScrollTest : public ::testing::TestWithParam<HorizontalCase> {};

TEST_P(HorizontalScrollTest, MovesThePosition) {
    const HorizontalCase& c = GetParam();
    // Columns 700 wide in a view of 300.
    EXPECT_EQ(HorizontalScroll(Code(c.code), c.position, c.thumbPos, 300, 700), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Codes, HorizontalScrollTest,
                         ::testing::Values(HorizontalCase{"ThumbPosition", ScrollCode::ThumbPosition, 0, 123, 123},
                                           HorizontalCase{"ThumbTrack", ScrollCode::ThumbTrack, 0, 77, 77},
                                           HorizontalCase{"PageLeft", ScrollCode::PageUp, 350, 0, 50},
                                           HorizontalCase{"PageLeftStopsAtZero", ScrollCode::PageUp, 100, 0, 0},
                                           HorizontalCase{"PageRight", ScrollCode::PageDown, 0, 0, 300},
                                           HorizontalCase{"PageRightOnlyTheRest", ScrollCode::PageDown, 300, 0, 400},
                                           HorizontalCase{"LineLeftIsUnscaled25", ScrollCode::LineUp, 30, 0, 5},
                                           HorizontalCase{"LineLeftStopsAtZero", ScrollCode::LineUp, 10, 0, 0},
                                           HorizontalCase{"LineRight", ScrollCode::LineDown, 0, 0, 25},
                                           HorizontalCase{"LineRightAtTheEndStays", ScrollCode::LineDown, 400, 0, 400},
                                           HorizontalCase{"OtherCodesIgnored", ScrollCode::EndScroll, 42, 0, 42}),
                         [](const auto& info) { return std::string(info.param.name); });

struct EnsureCase {
    const char* name;
    int row;
    int position;
    int expected; // -1: nothing happens
};
class EnsureVisibleTest : public ::testing::TestWithParam<EnsureCase> {};

TEST_P(EnsureVisibleTest, ScrollsOnlyWhenTheRowIsCut) {
    ListModel model;
    TenRows(model);
    const EnsureCase& c = GetParam();
    const auto result = EnsureVisiblePosition(model, c.row, c.position, kView);
    if (c.expected < 0)
        EXPECT_FALSE(result.has_value());
    else
        EXPECT_EQ(result, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, EnsureVisibleTest,
                         ::testing::Values(EnsureCase{"AlreadyVisible", 1, 0, -1},
                                           EnsureCase{"CutAtTheBottomAlignsItsBottom", 3, 0, 10},
                                           EnsureCase{"BelowTheViewAlignsItsBottom", 9, 0, 250},
                                           EnsureCase{"AboveTheViewAlignsItsTop", 2, 100, 80},
                                           EnsureCase{"HalfHiddenAtTheTop", 2, 90, 80},
                                           EnsureCase{"MissingRow", 10, 0, -1}, EnsureCase{"NegativeRow", -1, 0, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EnsureVisibleTest2, RowTallerThanTheViewAlignsItsTop) {
    ListModel model;
    TenRows(model, 200);
    EXPECT_EQ(EnsureVisiblePosition(model, 2, 0, kView), 400);
}

TEST(FirstVisibleRowTest, HalfScrolledRowStartsAboveTheContent) {
    ListModel model;
    TenRows(model);
    const FirstVisibleRow first = FindFirstVisibleRow(model, 60);
    EXPECT_EQ(first.position, 1);
    EXPECT_EQ(first.top, -20);
    EXPECT_EQ(FindFirstVisibleRow(model, 0).top, 0);
    EXPECT_EQ(FindFirstVisibleRow(model, 400).position, -1);
}

TEST(MaxScrollPositionTest, NeverNegative) {
    EXPECT_EQ(MaxScrollPosition(400, 150), 250);
    EXPECT_EQ(MaxScrollPosition(100, 150), 0);
    EXPECT_EQ(MaxScrollPosition(100, -5), 100);
    EXPECT_EQ(MaxScrollPosition(int64_t(1) << 40, 0), INT32_MAX);
}

} // namespace
} // namespace tsu
