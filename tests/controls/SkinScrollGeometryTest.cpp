#include "controls/core/Scaling.h"
#include "controls/core/SkinScrollGeometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>

namespace tsu {
namespace {

SkinScrollValues Values(int nMin, int nMax, unsigned nPage, int nPos, int nTrackPos = -1) {
    SkinScrollValues v;
    v.nMin = nMin, v.nMax = nMax, v.nPage = nPage, v.nPos = nPos, v.nTrackPos = nTrackPos;
    return v;
}

TEST(SkinScale, DpiRule) {
    EXPECT_FLOAT_EQ(ScaleFactorFromDpi(96), 1.0f);
    EXPECT_FLOAT_EQ(ScaleFactorFromDpi(100), 1.0f);
    EXPECT_FLOAT_EQ(ScaleFactorFromDpi(120), 1.2f);
    EXPECT_FLOAT_EQ(ScaleFactorFromDpi(144), 1.44f);
    EXPECT_EQ(Scaled(13, 1.2f), 15); // 15.6 truncated
    EXPECT_EQ(Scaled(26, 1.2f), 31); // 31.2 truncated
    EXPECT_EQ(Scaled(806, 1.2f), 967);
}

TEST(SkinCells, CellSizeAndCorner) {
    EXPECT_EQ(SkinCellSize(117), 13);
    EXPECT_EQ(SkinCellSize(8), 0);
    EXPECT_EQ(SkinCellSize(0), 0);
    EXPECT_EQ(SkinCornerCell(false, 13).x, 104);
    EXPECT_EQ(SkinCornerCell(false, 13).y, 0);
    EXPECT_EQ(SkinCornerCell(true, 13).y, 13); // the row follows the bar's side
}

TEST(SkinCells, PartAndStatePickTheirCell) {
    struct Case {
        int part, state;
        bool horizontal;
        int x, y;
    };
    for (const Case& c : {Case{kSkinPartLineUp, 0, false, 0, 0}, Case{kSkinPartLineDown, 0, false, 13, 0},
                          Case{kSkinPartThumb, 0, false, 26, 0}, Case{kSkinPartPageUp, 0, false, 39, 0},
                          Case{kSkinPartPageDown, 0, false, 39, 0}, Case{kSkinPartLineUp, 1, false, 0, 13},
                          Case{kSkinPartThumb, 2, false, 26, 26}, Case{kSkinPartLineUp, 0, true, 52, 0},
                          Case{kSkinPartLineDown, 2, true, 65, 26}, Case{kSkinPartThumb, 1, true, 78, 13},
                          Case{kSkinPartPageDown, 0, true, 91, 0},
                          Case{kSkinPartLineUp, 7, false, 0, 26}}) { // a state outside 0..2 is held to the grid
        SCOPED_TRACE(testing::Message() << c.part << "/" << c.state << "/" << c.horizontal);
        const SkinCell cell = SkinPartCell(c.part, c.state, c.horizontal, 13);
        EXPECT_EQ(cell.x, c.x);
        EXPECT_EQ(cell.y, c.y);
        EXPECT_EQ(cell.size, 13);
    }
}

TEST(SkinLayout, PlainBarAt96Dpi) {
    // 200 pixels, cells of 13: arrows 13, track 174; page 20 of 100 positions.
    const SkinBarLayout l = ComputeSkinBarLayout(200, 13, 1.0f, 0, Values(0, 99, 20, 0));
    EXPECT_EQ(l.arrowLength, 13);
    EXPECT_EQ(l.trackLength, 174);
    EXPECT_EQ(l.thumbLength, 20 * 174 / 100);
    EXPECT_EQ(l.thumbStart, 13);
    EXPECT_EQ(l.PartBegin(kSkinPartLineDown), 187);
}

TEST(SkinLayout, ScaledBarAt120Dpi) {
    // Arrows 13 x 1.2 = 15 (truncated), track 200 - 31 = 169.
    const SkinBarLayout l = ComputeSkinBarLayout(200, 13, 1.2f, 0, Values(0, 99, 20, 40));
    EXPECT_EQ(l.arrowLength, 15);
    EXPECT_EQ(l.trackLength, 169);
    EXPECT_EQ(l.thumbLength, 20 * 169 / 100); // 33
    // Position 40 of nMax - nMin - nPage + 1 = 80: 15 + (169 - 33) * 40 / 80.
    EXPECT_EQ(l.thumbStart, 15 + (169 - 33) * 40 / 80);
    EXPECT_EQ(l.PartEnd(kSkinPartLineDown), 200);
}

TEST(SkinLayout, ThumbAtTheEndTouchesTheDownArrow) {
    const SkinBarLayout l = ComputeSkinBarLayout(200, 13, 1.0f, 0, Values(0, 99, 20, 80));
    EXPECT_EQ(l.ThumbEnd(), l.PartBegin(kSkinPartLineDown));
}

TEST(SkinLayout, TrackingPositionWinsOverThePosition) {
    const SkinBarLayout tracking = ComputeSkinBarLayout(200, 13, 1.0f, 0, Values(0, 99, 20, 0, 80));
    const SkinBarLayout at80 = ComputeSkinBarLayout(200, 13, 1.0f, 0, Values(0, 99, 20, 80));
    EXPECT_EQ(tracking.thumbStart, at80.thumbStart);
}

TEST(SkinLayout, MinimumThumbLengths) {
    // A huge range gives a tiny thumb: held at 6, or 2 x border + 6 with a border.
    EXPECT_EQ(ComputeSkinBarLayout(200, 13, 1.0f, 0, Values(0, 100000, 10, 0)).thumbLength, 6);
    EXPECT_EQ(ComputeSkinBarLayout(200, 13, 1.0f, 2, Values(0, 100000, 10, 0)).thumbLength, 10);
    // A track shorter than the minimum shows no thumb.
    EXPECT_EQ(ComputeSkinBarLayout(31, 13, 1.0f, 0, Values(0, 100000, 10, 0)).thumbLength, 0);
    EXPECT_EQ(ComputeSkinBarLayout(35, 13, 1.0f, 2, Values(0, 100000, 10, 0)).thumbLength, 0);
}

TEST(SkinLayout, PageCoveringEverythingShowsNoThumb) {
    const SkinBarLayout l = ComputeSkinBarLayout(200, 13, 1.0f, 0, Values(0, 99, 100, 0));
    EXPECT_EQ(l.thumbLength, 0);
    EXPECT_EQ(l.thumbStart, 13 + 174 / 2);
    // Also when the page is larger than the range, and for an empty range.
    EXPECT_EQ(ComputeSkinBarLayout(200, 13, 1.0f, 0, Values(0, 99, 500, 0)).thumbLength, 0);
    EXPECT_EQ(ComputeSkinBarLayout(200, 13, 1.0f, 0, Values(0, -1, 0, 0)).thumbLength, 0);
}

TEST(SkinLayout, BarTooShortForTwoArrowsSplitsItInHalves) {
    const SkinBarLayout l = ComputeSkinBarLayout(20, 13, 1.0f, 0, Values(0, 99, 20, 0));
    EXPECT_EQ(l.trackLength, 0);
    EXPECT_EQ(l.arrowLength, 10);
    EXPECT_EQ(l.thumbLength, 0);
    EXPECT_EQ(HitTestSkinBar(l, 9), kSkinPartLineUp);
    EXPECT_EQ(HitTestSkinBar(l, 10), kSkinPartLineDown);
}

TEST(SkinLayout, HugeRangesDoNotOverflow) {
    const SkinBarLayout l = ComputeSkinBarLayout(30000, 13, 1.0f, 0, Values(0, INT_MAX - 1, 1000, INT_MAX - 1000));
    EXPECT_GE(l.thumbStart, l.arrowLength);
    EXPECT_EQ(l.ThumbEnd(), l.PartBegin(kSkinPartLineDown));
    const SkinBarLayout middle = ComputeSkinBarLayout(30000, 13, 1.0f, 0, Values(0, INT_MAX - 1, 1000, INT_MAX / 2));
    EXPECT_NEAR(middle.thumbStart, 13 + (middle.trackLength - middle.thumbLength) / 2, 1);
}

TEST(SkinLayout, StalePositionOutsideTheRangeKeepsTheThumbOnTheTrack) {
    const SkinBarLayout l = ComputeSkinBarLayout(200, 13, 1.0f, 0, Values(0, 99, 20, 5000));
    EXPECT_EQ(l.ThumbEnd(), l.PartBegin(kSkinPartLineDown));
    const SkinBarLayout negative = ComputeSkinBarLayout(200, 13, 1.0f, 0, Values(0, 99, 20, -50));
    EXPECT_EQ(negative.thumbStart, 13);
}

TEST(SkinHit, CoordinateFindsItsPart) {
    // 200 pixels, arrows 13, thumb 34 long at 13 + 140 * 40 / 80 = 83.
    const SkinBarLayout l = ComputeSkinBarLayout(200, 13, 1.0f, 0, Values(0, 99, 20, 40));
    ASSERT_EQ(l.thumbStart, 83);
    ASSERT_EQ(l.thumbLength, 34);
    const std::pair<int, int> cases[] = {{-1, kSkinPartNone},      {0, kSkinPartLineUp},     {12, kSkinPartLineUp},
                                         {13, kSkinPartPageUp},    {82, kSkinPartPageUp},    {83, kSkinPartThumb},
                                         {116, kSkinPartThumb},    {117, kSkinPartPageDown}, {186, kSkinPartPageDown},
                                         {187, kSkinPartLineDown}, {199, kSkinPartLineDown}, {200, kSkinPartNone}};
    for (const auto& [coordinate, part] : cases)
        EXPECT_EQ(HitTestSkinBar(l, coordinate), part) << coordinate;
}

TEST(SkinDrag, DistanceMapsToPositionsAndIsClamped) {
    const SkinScrollValues v = Values(0, 99, 20, 40);
    const SkinBarLayout l = ComputeSkinBarLayout(200, 13, 1.0f, 0, v);
    const int free = l.trackLength - l.thumbLength; // 140 pixels for 80 positions
    EXPECT_EQ(SkinDragPosition(l, v, 40, 0), 40);
    EXPECT_EQ(SkinDragPosition(l, v, 40, 35), 40 + 80 * 35 / free);
    EXPECT_EQ(SkinDragPosition(l, v, 40, -35), 40 - 80 * 35 / free);
    EXPECT_EQ(SkinDragPosition(l, v, 40, 10000), 80);
    EXPECT_EQ(SkinDragPosition(l, v, 40, -10000), 0);
}

TEST(SkinDrag, NoFreeTrackMeansNoMovement) {
    const SkinScrollValues v = Values(0, 99, 100, 0);
    const SkinBarLayout l = ComputeSkinBarLayout(200, 13, 1.0f, 0, v);
    EXPECT_EQ(SkinDragPosition(l, v, 0, 50), 0);
}

TEST(SkinTiles, AreaIsCoveredByScaledTilesAndAShortLastOne) {
    // 40 pixels with tiles of 15 (13 x 1.2): 15, 15, 10; the last takes 10/15 of the cell.
    const auto tiles = SkinTiles(5, 40, 15, 13);
    ASSERT_EQ(tiles.size(), 3u);
    EXPECT_EQ(tiles[0].dstBegin, 5);
    EXPECT_EQ(tiles[1].dstBegin, 20);
    EXPECT_EQ(tiles[2].dstBegin, 35);
    EXPECT_EQ(tiles[2].dstLength, 10);
    EXPECT_EQ(tiles[0].srcLength, 13);
    EXPECT_EQ(tiles[2].srcLength, 13 * 10 / 15);
    EXPECT_TRUE(SkinTiles(0, 10, 0, 13).empty());
    EXPECT_TRUE(SkinTiles(0, 0, 15, 13).empty());
    EXPECT_TRUE(SkinTiles(0, 10, 15, 0).empty()); // no source: nothing to draw
    EXPECT_EQ(SkinTiles(0, 1, 1, 1).size(), 1u); // a one-pixel area from a one-pixel cell
}

TEST(SkinThumb, CapsAreCopiedAndTheMiddleTiled) {
    EXPECT_EQ(SkinThumbCapLength(0), 3);
    EXPECT_EQ(SkinThumbCapLength(2), 5);
    const auto slices = SkinThumbSlices(20, 30, 13, 3);
    ASSERT_GE(slices.size(), 3u);
    EXPECT_EQ(slices.front().dstBegin, 20);
    EXPECT_EQ(slices.front().dstLength, 3);
    EXPECT_EQ(slices.front().srcBegin, 0);
    EXPECT_EQ(slices.back().dstBegin, 47);
    EXPECT_EQ(slices.back().srcBegin, 10);
    int covered = 0;
    for (const SkinSlice& s : slices)
        covered += s.dstLength;
    EXPECT_EQ(covered, 30);
    // Middle tiles come from the rows between the caps.
    EXPECT_EQ(slices[1].srcBegin, 3);
    EXPECT_EQ(slices[1].srcLength, 7);
}

TEST(SkinThumb, ShortThumbGetsTwoHalves) {
    const auto slices = SkinThumbSlices(0, 4, 13, 3);
    ASSERT_EQ(slices.size(), 2u);
    EXPECT_EQ(slices[0].dstLength, 2);
    EXPECT_EQ(slices[1].dstBegin, 2);
    EXPECT_TRUE(SkinThumbSlices(0, 0, 13, 3).empty());
}

} // namespace
} // namespace tsu
