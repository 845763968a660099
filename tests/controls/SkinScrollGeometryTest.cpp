#include "controls/core/Scaling.h"
#include "controls/core/SkinScrollGeometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <numeric>
#include <tuple>
#include <utility>

namespace tsu {
namespace {

SkinBarLayout Layout(int length, int border, int nMax, unsigned nPage, int nPos, int nTrackPos = -1,
                     float scale = 1.0f) {
    SkinScrollValues v;
    v.nMin = 0, v.nMax = nMax, v.nPage = nPage, v.nPos = nPos, v.nTrackPos = nTrackPos;
    return ComputeSkinBarLayout(length, 13, scale, border, v);
}
// arrowLength, trackLength, thumbStart, thumbLength
std::tuple<int, int, int, int> Parts(const SkinBarLayout& l) {
    return {l.arrowLength, l.trackLength, l.thumbStart, l.thumbLength};
}
std::tuple<int, int, int, int> Slice(const SkinSlice& s) {
    return {s.dstBegin, s.dstLength, s.srcBegin, s.srcLength};
}

TEST(SkinScale, DpiRuleAndCells) {
    for (const auto& [dpi, factor] : {std::pair<int, float>{96, 1.0f}, {100, 1.0f}, {120, 1.2f}, {144, 1.44f}})
        EXPECT_FLOAT_EQ(ScaleFactorFromDpi(dpi), factor) << dpi;
    EXPECT_EQ(std::tuple(Scaled(13, 1.2f), Scaled(26, 1.2f), Scaled(806, 1.2f)), std::tuple(15, 31, 967)); // truncated
    EXPECT_EQ(std::tuple(SkinCellSize(117), SkinCellSize(8), SkinCellSize(0)), std::tuple(13, 0, 0));
    EXPECT_EQ(std::tuple(SkinCornerCell(false, 13).x, SkinCornerCell(false, 13).y), std::tuple(104, 0));
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
        const SkinCell cell = SkinPartCell(c.part, c.state, c.horizontal, 13);
        EXPECT_EQ(std::tuple(cell.x, cell.y, cell.size), std::tuple(c.x, c.y, 13))
            << c.part << "/" << c.state << "/" << c.horizontal;
    }
}

TEST(SkinLayout, ArrowsTrackAndThumb) {
    const SkinBarLayout plain = Layout(200, 0, 99, 20, 0); // arrows 13, track 174, page 20 of 100
    EXPECT_EQ(Parts(plain), std::tuple(13, 174, 13, 20 * 174 / 100));
    EXPECT_EQ(plain.PartBegin(kSkinPartLineDown), 187);
    const SkinBarLayout scaled = Layout(200, 0, 99, 20, 40, -1, 1.2f); // arrows 15, track 169, thumb 33
    EXPECT_EQ(Parts(scaled), std::tuple(15, 169, 15 + (169 - 33) * 40 / 80, 33));
    EXPECT_EQ(scaled.PartEnd(kSkinPartLineDown), 200);
    // The tracking position wins over the position.
    EXPECT_EQ(Layout(200, 0, 99, 20, 0, 80).thumbStart, Layout(200, 0, 99, 20, 80).thumbStart);
}

TEST(SkinLayout, ThumbStaysOnTheTrackAtTheEndsAndForStaleOrHugeValues) {
    for (const SkinBarLayout& l : {Layout(200, 0, 99, 20, 80), Layout(200, 0, 99, 20, 5000),
                                   Layout(30000, 0, INT_MAX - 1, 1000, INT_MAX - 1000)}) {
        EXPECT_GE(l.thumbStart, l.arrowLength);
        EXPECT_EQ(l.ThumbEnd(), l.PartBegin(kSkinPartLineDown));
    }
    EXPECT_EQ(Layout(200, 0, 99, 20, -50).thumbStart, 13);
    const SkinBarLayout middle = Layout(30000, 0, INT_MAX - 1, 1000, INT_MAX / 2); // no overflow
    EXPECT_NEAR(middle.thumbStart, 13 + (middle.trackLength - middle.thumbLength) / 2, 1);
}

TEST(SkinLayout, ThumbLengthLimits) {
    struct Case {
        int length, border, nMax;
        unsigned nPage;
        int thumb;
    };
    for (const Case& c :
         {Case{200, 0, 100000, 10, 6}, Case{200, 2, 100000, 10, 10}, Case{200, 1, 100000, 10, 8}, // held at the minimum
          Case{32, 0, 100000, 10, 6}, Case{31, 0, 100000, 10, 0}, Case{35, 2, 100000, 10, 0}, // track below the minimum
          Case{200, 0, 99, 100, 0}, Case{200, 0, 99, 500, 0}, Case{200, 0, -1, 0, 0}})        // page >= range
        EXPECT_EQ(Layout(c.length, c.border, c.nMax, c.nPage, 0).thumbLength, c.thumb)
            << c.length << "/" << c.border << "/" << c.nMax << "/" << c.nPage;
    EXPECT_EQ(Layout(200, 0, 99, 100, 0).thumbStart, 13 + 174 / 2);
    const SkinBarLayout shortBar = Layout(20, 0, 99, 20, 0); // too short for two arrows: halves
    EXPECT_EQ(Parts(shortBar), std::tuple(10, 0, shortBar.thumbStart, 0));
    EXPECT_EQ(std::tuple(HitTestSkinBar(shortBar, 9), HitTestSkinBar(shortBar, 10)),
              std::tuple(kSkinPartLineUp, kSkinPartLineDown));
}

TEST(SkinHit, CoordinateFindsItsPart) {
    const SkinBarLayout l = Layout(200, 0, 99, 20, 40); // thumb 34 long at 13 + 140 * 40 / 80 = 83
    ASSERT_EQ(Parts(l), std::tuple(13, 174, 83, 34));
    const std::pair<int, int> cases[] = {{-1, kSkinPartNone},      {0, kSkinPartLineUp},     {12, kSkinPartLineUp},
                                         {13, kSkinPartPageUp},    {82, kSkinPartPageUp},    {83, kSkinPartThumb},
                                         {116, kSkinPartThumb},    {117, kSkinPartPageDown}, {186, kSkinPartPageDown},
                                         {187, kSkinPartLineDown}, {199, kSkinPartLineDown}, {200, kSkinPartNone}};
    for (const auto& [coordinate, part] : cases)
        EXPECT_EQ(HitTestSkinBar(l, coordinate), part) << coordinate;
}

TEST(SkinDrag, DistanceMapsToPositionsAndIsClamped) {
    SkinScrollValues v;
    v.nMin = 0, v.nMax = 99, v.nPage = 20, v.nPos = 40;
    const SkinBarLayout l = ComputeSkinBarLayout(200, 13, 1.0f, 0, v);
    const int free = l.trackLength - l.thumbLength; // 140 pixels for 80 positions
    for (const auto& [distance, expected] :
         {std::pair<int, int>{0, 40}, {35, 40 + 80 * 35 / free}, {-35, 40 - 80 * 35 / free}, {10000, 80}, {-10000, 0}})
        EXPECT_EQ(SkinDragPosition(l, v, 40, distance), expected) << distance;
    v.nPage = 100, v.nPos = 0; // no free track: no movement
    EXPECT_EQ(SkinDragPosition(ComputeSkinBarLayout(200, 13, 1.0f, 0, v), v, 0, 50), 0);
}

int Covered(const std::vector<SkinSlice>& slices) {
    return std::accumulate(slices.begin(), slices.end(), 0,
                           [](int sum, const SkinSlice& s) { return sum + s.dstLength; });
}

TEST(SkinTiles, AreaIsCoveredByScaledTilesAndThumbCapsAreCopied) {
    const auto tiles = SkinTiles(5, 40, 15, 13); // tiles of 15 (13 x 1.2): 15, 15, 10
    ASSERT_EQ(tiles.size(), 3u);
    EXPECT_EQ(Slice(tiles[0]), std::tuple(5, 15, 0, 13));
    EXPECT_EQ(tiles[1].dstBegin, 20);
    EXPECT_EQ(Slice(tiles[2]), std::tuple(35, 10, 0, 13 * 10 / 15)); // the short last one takes part of the cell
    EXPECT_TRUE(SkinTiles(0, 10, 0, 13).empty() && SkinTiles(0, 0, 15, 13).empty() && SkinTiles(0, 10, 15, 0).empty());
    EXPECT_EQ(SkinTiles(0, 1, 1, 1).size(), 1u);
    EXPECT_EQ(std::tuple(SkinThumbCapLength(0), SkinThumbCapLength(2)), std::tuple(3, 5));
    const auto slices = SkinThumbSlices(20, 30, 13, 3);
    ASSERT_GE(slices.size(), 3u);
    EXPECT_EQ(Slice(slices.front()), std::tuple(20, 3, 0, 3));
    EXPECT_EQ(std::tuple(slices[1].srcBegin, slices[1].srcLength), std::tuple(3, 7)); // middle: rows between the caps
    EXPECT_EQ(std::tuple(slices.back().dstBegin, slices.back().srcBegin), std::tuple(47, 10));
    EXPECT_EQ(Covered(slices), 30);
    const auto halves = SkinThumbSlices(0, 4, 13, 3); // a short thumb gets two halves
    ASSERT_EQ(halves.size(), 2u);
    EXPECT_EQ(std::tuple(halves[0].dstLength, halves[1].dstBegin), std::tuple(2, 2));
    EXPECT_TRUE(SkinThumbSlices(0, 0, 13, 3).empty());
    EXPECT_EQ(SkinThumbSlices(0, 1, 13, 3).size(), 1u); // too short for caps: no empty ones
    EXPECT_TRUE(SkinThumbSlices(0, 10, 0, 3).empty());    // no skin cell
    EXPECT_EQ(Covered(SkinThumbSlices(0, 20, 6, 3)), 20); // caps take the whole cell: the middle still gets drawn
}

} // namespace
} // namespace tsu
