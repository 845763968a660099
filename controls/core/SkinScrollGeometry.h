#pragma once
// Geometry and arithmetic of the skinned scroll bar: where the arrows, page areas and thumb lie
// along the bar, which skin cell each part is drawn from, how a drag maps to a position, and how
// page areas and the thumb are cut into tiles. Portable: no Win32 here.

#include <cstdint>
#include <vector>

namespace tsu {

// The bar's parts, numbered like the scroll codes they send (line up/left 0, line down/right 1,
// page up/left 2, page down/right 3) plus the thumb.
enum SkinBarPart : int {
    kSkinPartNone = -1,
    kSkinPartLineUp = 0,
    kSkinPartLineDown = 1,
    kSkinPartPageUp = 2,
    kSkinPartPageDown = 3,
    kSkinPartThumb = 5,
};

// The skin's grid: 9 columns by 3 state rows of square cells.
inline constexpr int kSkinColumns = 9;
inline constexpr int kSkinRows = 3;
inline constexpr int kSkinCornerColumn = 8;
enum SkinState : int { kSkinStateNormal = 0, kSkinStateHot = 1, kSkinStatePressed = 2 };

// The scroll information the geometry needs (a SCROLLINFO without the Win32 type).
struct SkinScrollValues {
    int nMin = 0;
    int nMax = 0;
    unsigned nPage = 0;
    int nPos = 0;
    int nTrackPos = -1; // -1: not tracking
};

struct SkinBarLayout {
    int barLength = 0;   // along the bar
    int arrowLength = 0; // a
    int trackLength = 0; // T
    int thumbLength = 0;
    int thumbStart = 0;
    [[nodiscard]] int ThumbEnd() const { return thumbStart + thumbLength; }
    // [begin, end) of a part along the bar; empty for an unknown part.
    [[nodiscard]] int PartBegin(int part) const;
    [[nodiscard]] int PartEnd(int part) const;
};

struct SkinCell {
    int x = 0;
    int y = 0;
    int size = 0;
};

// Cell size c of a skin bitmap (its width / 9); 0 for a bitmap narrower than 9 pixels.
[[nodiscard]] int SkinCellSize(int bitmapWidth);

// The layout of a bar of barLength pixels drawn from cells of cellSize at scale, with the given
// thumb border (below 1: plain thumb with a minimum of 6 pixels).
[[nodiscard]] SkinBarLayout ComputeSkinBarLayout(int barLength, int cellSize, float scale, int thumbBorder,
                                                 const SkinScrollValues& values);

// The part at a coordinate along the bar; kSkinPartNone for a negative coordinate or one past the
// bar's end.
[[nodiscard]] int HitTestSkinBar(const SkinBarLayout& layout, int coordinate);

// The skin cell for a part in a state; a horizontal bar uses the columns 4 further right.
[[nodiscard]] SkinCell SkinPartCell(int part, int state, bool horizontal, int cellSize);
// The size-box corner cell: row 0 for a bar on the right, row 1 for a bar on the left.
[[nodiscard]] SkinCell SkinCornerCell(bool leftBar, int cellSize);

// The position a thumb drag asks for: start position plus the drag distance d in scroll units,
// held between nMin and nMax - nMin - nPage + 1. Computed in 64 bits (no overflow for any range).
[[nodiscard]] int SkinDragPosition(const SkinBarLayout& layout, const SkinScrollValues& values, int dragStartPos,
                                   int dragDistance);

// The length of the thumb's end caps: thumbBorder + 3, or 3 below 1.
[[nodiscard]] int SkinThumbCapLength(int thumbBorder);

// One piece of a tiled or capped drawing: destination [dstBegin, dstBegin + dstLength) along one
// axis, source [srcBegin, srcBegin + srcLength) in the cell along the same axis.
struct SkinSlice {
    int dstBegin = 0;
    int dstLength = 0;
    int srcBegin = 0;
    int srcLength = 0;
};

// Tiles covering [begin, begin + length) with tiles of tileLength (the last one shorter, its
// source shortened in proportion). A tile length below 1 yields nothing.
[[nodiscard]] std::vector<SkinSlice> SkinTiles(int begin, int length, int tileLength, int srcLength);

// The thumb along the bar: the first and last cap rows copied as they are, the middle tiled from
// the rest of the cell. A thumb shorter than two caps gets two halves.
[[nodiscard]] std::vector<SkinSlice> SkinThumbSlices(int thumbStart, int thumbLength, int cellSize, int capLength);

} // namespace tsu
