#include "controls/list/core/ListGeometry.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

TEST(BracketTruncationTest, ScaledSubtractionGivesTheMathematicalPixel) {
    // [24 - 10 s] at 1.2 is 12 whatever the floating-point unit keeps of 1.2f.
    ListCell cell;
    cell.kind = CELL_WAITING;
    CellLayoutInput in;
    in.scale = 1.2f;
    EXPECT_EQ(LayoutCell(cell, ListRect{0, 0, 100, 48}, in).animRect.top, 12);
    in.scale = 1.25f;
    EXPECT_EQ(LayoutCell(cell, ListRect{0, 0, 100, 50}, in).animRect.top, 12); // [25 - 12.5]
}

TEST(HeaderHeightTest, BoldFontPlusScaledExtraPlusSix) {
    EXPECT_EQ(HeaderHeight(16, 20, 1.0f), 42);
    EXPECT_EQ(HeaderHeight(19, 20, 1.2f), 19 + 24 + 6);
}

const ListRect kCell{100, 40, 250, 80}; // a 150 x 40 cell

TEST(LayoutCellTest, CheckBoxIconAndTextShareTheCellFromTheLeft) {
    ListCell cell;
    cell.hasCheck = true;
    cell.hasIcon = true;
    CellLayoutInput in;
    in.iconExists = true;
    const CellLayout out = LayoutCell(cell, kCell, in);
    EXPECT_EQ(out.checkRect, (ListRect{108, 52, 124, 68}));
    EXPECT_EQ(out.iconRect, (ListRect{129, 44, 161, 76}));
    EXPECT_EQ(out.textRect, (ListRect{166, 40, 250, 80}));
    EXPECT_TRUE(out.buttonRect.IsEmpty());
}

TEST(LayoutCellTest, IconWithoutCheckBoxStartsEightPixelsIn) {
    ListCell cell;
    cell.hasIcon = true;
    CellLayoutInput in;
    in.iconExists = true;
    const CellLayout out = LayoutCell(cell, kCell, in);
    EXPECT_EQ(out.iconRect.left, 108);
    EXPECT_EQ(out.textRect.left, 108 + 37);
}

TEST(LayoutCellTest, MissingIconTakesNoSpaceBeyondItsMargin) {
    ListCell cell;
    cell.hasIcon = true;
    const CellLayout out = LayoutCell(cell, kCell, CellLayoutInput{});
    EXPECT_TRUE(out.iconRect.IsEmpty());
    EXPECT_EQ(out.textRect.left, 108);
}

TEST(LayoutCellTest, IconNearTheLeftEdgeAddsAnotherMargin) {
    // A cell scrolled so far left that the icon would start at x 6 or less.
    ListCell cell;
    cell.hasIcon = true;
    CellLayoutInput in;
    in.iconExists = true;
    const CellLayout out = LayoutCell(cell, ListRect{-10, 0, 140, 40}, in);
    EXPECT_EQ(out.iconRect.left, -2);
    EXPECT_EQ(out.textRect.left, -2 + 8 + 32 + 5);
}

TEST(LayoutCellTest, ButtonIsCentredAtUnitScale) {
    ListCell cell;
    cell.kind = CELL_BUTTON;
    const CellLayout out = LayoutCell(cell, kCell, CellLayoutInput{});
    EXPECT_EQ(out.buttonRect, (ListRect{143, 48, 207, 72}));
    EXPECT_TRUE(out.textRect.IsEmpty());
}

TEST(LayoutCellTest, ButtonAt120Dpi) {
    // The operation column of the conventional page at scale 1.2: 144 wide, rows 48 high.
    ListCell cell;
    cell.kind = CELL_BUTTON;
    CellLayoutInput in;
    in.scale = 1.2f;
    const CellLayout out = LayoutCell(cell, ListRect{600, 48, 744, 96}, in);
    // left 600 + [72 - 38.4] = 633; top 48 + 24 - (12 s = 14) = 58; 76 x 28.
    EXPECT_EQ(out.buttonRect, (ListRect{633, 58, 709, 86}));
}

TEST(LayoutCellTest, StateCellsPlaceAnimationAndTextAt120Dpi) {
    ListCell cell;
    cell.kind = CELL_WAITING;
    CellLayoutInput in;
    in.scale = 1.2f;
    in.fontHeight = 15;
    const CellLayout out = LayoutCell(cell, ListRect{600, 48, 744, 96}, in);
    // anim: left 600 + 12, top 48 + [24 - 12] = 60, 24 x 24.
    EXPECT_EQ(out.animRect, (ListRect{612, 60, 636, 84}));
    // text: left 600 + 43, top 48 + [24 - 7 * 1.2 = 15.6] = 63, right 744 - 12, height 18.
    EXPECT_EQ(out.stateTextRect, (ListRect{643, 63, 732, 81}));
    cell.kind = CELL_DONE;
    const CellLayout done = LayoutCell(cell, ListRect{600, 48, 744, 96}, in);
    EXPECT_EQ(done.animRect, out.animRect);
    EXPECT_EQ(done.stateTextRect, out.stateTextRect);
}

TEST(LayoutCellTest, UnknownKindShowsOnlyCheckBoxAndIcon) {
    ListCell cell;
    cell.kind = 42;
    cell.hasCheck = true;
    const CellLayout out = LayoutCell(cell, kCell, CellLayoutInput{});
    EXPECT_FALSE(out.checkRect.IsEmpty());
    EXPECT_TRUE(out.textRect.IsEmpty());
    EXPECT_TRUE(out.buttonRect.IsEmpty());
    EXPECT_TRUE(out.animRect.IsEmpty());
}

TEST(LayoutCellTest, ZeroSizeCellGivesNoHittableButton) {
    ListCell cell;
    cell.kind = CELL_BUTTON;
    const CellLayout out = LayoutCell(cell, ListRect{0, 0, 0, 0}, CellLayoutInput{});
    // The rectangle keeps the button's size but lies around the empty cell; what matters is that
    // it is well-formed (never inverted).
    EXPECT_LE(out.buttonRect.left, out.buttonRect.right);
    EXPECT_LE(out.buttonRect.top, out.buttonRect.bottom);
}

TEST(ListRectTest, ContainsFollowsPtInRect) {
    const ListRect r{10, 10, 20, 20};
    EXPECT_TRUE(r.Contains(10, 10));
    EXPECT_TRUE(r.Contains(19, 19));
    EXPECT_FALSE(r.Contains(20, 15));
    EXPECT_FALSE(r.Contains(15, 20));
    EXPECT_FALSE(ListRect{}.Contains(0, 0));
}

} // namespace
} // namespace tsu
