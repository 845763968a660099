#include "controls/core/SkinScrollGeometry.h"

#include <algorithm>

namespace tsu {

namespace {

int Truncate(double value) {
    return static_cast<int>(value);
}

int64_t Range(const SkinScrollValues& v) {
    return static_cast<int64_t>(v.nMax) - v.nMin + 1;
}
// nMax - nMin - nPage + 1: the number of positions the thumb can take; 0 or less when the page
// covers everything.
int64_t ScrollableRange(const SkinScrollValues& v) {
    return static_cast<int64_t>(v.nMax) - v.nMin - static_cast<int64_t>(v.nPage) + 1;
}

} // namespace

int SkinBarLayout::PartBegin(int part) const {
    switch (part) {
    case kSkinPartLineUp:
        return 0;
    case kSkinPartPageUp:
        return arrowLength;
    case kSkinPartThumb:
        return thumbStart;
    case kSkinPartPageDown:
        return ThumbEnd();
    case kSkinPartLineDown:
        return barLength - arrowLength;
    default:
        return 0;
    }
}

int SkinBarLayout::PartEnd(int part) const {
    switch (part) {
    case kSkinPartLineUp:
        return arrowLength;
    case kSkinPartPageUp:
        return thumbStart;
    case kSkinPartThumb:
        return ThumbEnd();
    case kSkinPartPageDown:
        return barLength - arrowLength;
    case kSkinPartLineDown:
        return barLength;
    default:
        return 0;
    }
}

int SkinCellSize(int bitmapWidth) {
    return bitmapWidth > 0 ? bitmapWidth / kSkinColumns : 0;
}

SkinBarLayout ComputeSkinBarLayout(int barLength, int cellSize, float scale, int thumbBorder,
                                   const SkinScrollValues& values) {
    SkinBarLayout layout;
    layout.barLength = std::max(0, barLength);
    const int scaledCell = Truncate(cellSize * static_cast<double>(scale));
    layout.trackLength = std::max(0, layout.barLength - Truncate(2.0 * cellSize * static_cast<double>(scale)));
    layout.arrowLength = layout.trackLength == 0 ? layout.barLength / 2 : scaledCell;

    const int track = layout.trackLength;
    const int64_t range = Range(values);
    const int64_t scrollable = ScrollableRange(values);
    int thumb = 0;
    if (range > 0 && scrollable > 0) {
        thumb = static_cast<int>(std::min<int64_t>(track, static_cast<int64_t>(values.nPage) * track / range));
        const int minimum = thumbBorder < 1 ? 6 : 2 * thumbBorder + 6;
        if (track < minimum)
            thumb = 0;
        else
            thumb = std::max(thumb, minimum);
    }
    layout.thumbLength = thumb;

    if (scrollable <= 0) {
        layout.thumbStart = layout.arrowLength + (track - thumb) / 2;
    } else {
        // The position is taken relative to nMin and held inside the range, so a stale position
        // never puts the thumb outside the track.
        int64_t pos = values.nTrackPos != -1 ? values.nTrackPos : values.nPos;
        pos = std::clamp<int64_t>(pos - values.nMin, 0, scrollable);
        layout.thumbStart =
            layout.arrowLength + static_cast<int>(static_cast<int64_t>(track - thumb) * pos / scrollable);
    }
    return layout;
}

int HitTestSkinBar(const SkinBarLayout& layout, int coordinate) {
    if (coordinate < 0 || coordinate >= layout.barLength)
        return kSkinPartNone;
    if (coordinate < layout.arrowLength)
        return kSkinPartLineUp;
    if (coordinate >= layout.barLength - layout.arrowLength)
        return kSkinPartLineDown;
    if (coordinate < layout.thumbStart)
        return kSkinPartPageUp;
    if (coordinate < layout.ThumbEnd())
        return kSkinPartThumb;
    return kSkinPartPageDown;
}

SkinCell SkinPartCell(int part, int state, bool horizontal, int cellSize) {
    int column = 3;
    switch (part) {
    case kSkinPartLineUp:
        column = 0;
        break;
    case kSkinPartLineDown:
        column = 1;
        break;
    case kSkinPartThumb:
        column = 2;
        break;
    default:
        column = 3;
        break;
    }
    if (horizontal)
        column += 4;
    const int row = std::clamp(state, 0, kSkinRows - 1);
    return SkinCell{column * cellSize, row * cellSize, cellSize};
}

SkinCell SkinCornerCell(bool leftBar, int cellSize) {
    return SkinCell{kSkinCornerColumn * cellSize, (leftBar ? 1 : 0) * cellSize, cellSize};
}

int SkinDragPosition(const SkinBarLayout& layout, const SkinScrollValues& values, int dragStartPos, int dragDistance) {
    const int64_t scrollable = ScrollableRange(values);
    const int64_t free = static_cast<int64_t>(layout.trackLength) - layout.thumbLength;
    const int64_t delta = free > 0 ? scrollable * dragDistance / free : 0;
    const int64_t upper = std::max<int64_t>(values.nMin, scrollable);
    const int64_t pos = std::clamp<int64_t>(static_cast<int64_t>(dragStartPos) + delta, values.nMin, upper);
    return static_cast<int>(pos);
}

int SkinThumbCapLength(int thumbBorder) {
    return thumbBorder < 1 ? 3 : thumbBorder + 3;
}

std::vector<SkinSlice> SkinTiles(int begin, int length, int tileLength, int srcLength) {
    std::vector<SkinSlice> tiles;
    if (tileLength < 1 || length < 1 || srcLength < 1)
        return tiles;
    for (int done = 0; done < length;) {
        const int piece = std::min(tileLength, length - done);
        // A shortened last tile takes the matching share of the source, at least one pixel.
        const int src = piece == tileLength
                            ? srcLength
                            : std::max(1, static_cast<int>(static_cast<int64_t>(srcLength) * piece / tileLength));
        tiles.push_back(SkinSlice{begin + done, piece, 0, src});
        done += piece;
    }
    return tiles;
}

std::vector<SkinSlice> SkinThumbSlices(int thumbStart, int thumbLength, int cellSize, int capLength) {
    std::vector<SkinSlice> slices;
    if (thumbLength <= 0 || cellSize <= 0)
        return slices;
    int cap = std::min(capLength, cellSize / 2);
    if (thumbLength < 2 * cap)
        cap = thumbLength / 2;
    const int middleSrc = cellSize - 2 * cap;
    if (cap > 0)
        slices.push_back(SkinSlice{thumbStart, cap, 0, cap});
    const int middleLength = thumbLength - 2 * cap;
    if (middleLength > 0) {
        if (middleSrc > 0) {
            for (const SkinSlice& tile : SkinTiles(thumbStart + cap, middleLength, middleSrc, middleSrc))
                slices.push_back(SkinSlice{tile.dstBegin, tile.dstLength, cap, tile.srcLength});
        } else {
            slices.push_back(SkinSlice{thumbStart + cap, middleLength, 0, cellSize});
        }
    }
    if (cap > 0)
        slices.push_back(SkinSlice{thumbStart + thumbLength - cap, cap, cellSize - cap, cap});
    return slices;
}

} // namespace tsu
