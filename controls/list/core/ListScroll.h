#pragma once
// Scroll arithmetic of the multi-line list, in pixels. Portable: no Win32 here.

#include "controls/list/core/ListModel.h"

#include <cstdint>
#include <optional>

namespace tsu {

// The scroll-bar request codes, with the values of the SB_ constants they stand for.
enum class ScrollCode : int {
    LineUp = 0,
    LineDown = 1,
    PageUp = 2,
    PageDown = 3,
    ThumbPosition = 4,
    ThumbTrack = 5,
    Top = 6,
    Bottom = 7,
    EndScroll = 8,
};

// Vertical request: returns the new position (never negative). trackPos is the bar's tracking
// position, used for thumb track only; viewHeight is the content height.
[[nodiscard]] int VerticalScroll(const ListModel& model, int code, int position, int trackPos, int viewHeight);

// Horizontal request; thumbPos is the position the message carries. Line steps are 25 pixels.
inline constexpr int kHorizontalLineStep = 25;
[[nodiscard]] int HorizontalScroll(int code, int position, int thumbPos, int viewWidth, int64_t totalWidth);

// New vertical position that shows the row at this screen position, or nothing when the row is
// already in view (or does not exist).
[[nodiscard]] std::optional<int> EnsureVisiblePosition(const ListModel& model, int rowPosition, int position,
                                                       int viewHeight);

// The furthest a view of this size may be scrolled: total - view, 0 when all fits.
[[nodiscard]] int MaxScrollPosition(int64_t total, int view);

// Where the first painted row starts: its screen position and its top relative to the content top
// (0 or negative when it is partly scrolled away). Position -1 when no row is in view.
struct FirstVisibleRow {
    int position = -1;
    int top = 0;
};
[[nodiscard]] FirstVisibleRow FindFirstVisibleRow(const ListModel& model, int scrollPosition);

} // namespace tsu
