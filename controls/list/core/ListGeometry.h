#pragma once
// Where the parts of a list cell go. Portable: no Win32 here; the painting pass and the tests
// share it, so what is hit-tested is exactly what was drawn.
//
// "N s" lengths are N times the scale factor, each product truncated on its own before it is
// added; a bracketed expression such as [h/2 - 10 s] is computed in floating point and
// truncated once.

#include "controls/core/Scaling.h"
#include "controls/list/core/ListCell.h"
#include "core/ListRect.h"

namespace tsu {

// Sizes of the list's artwork in image pixels.
inline constexpr int kCheckStateSize = 16;   // check-box strip: unchecked at x 0, checked at x 16
inline constexpr int kButtonStateWidth = 64; // row button strip: press states 0..3 side by side
inline constexpr int kButtonStripHeight = 24;
inline constexpr int kIconSize = 32;

struct CellLayoutInput {
    float scale = 1.0f;
    bool iconExists = false; // iconIndex names a registered image
    int fontHeight = 0;      // text-metric height of the cell font
    int buttonStripHeight = kButtonStripHeight;
};

struct CellLayout {
    ListRect checkRect;
    ListRect iconRect;      // empty when no icon is drawn
    ListRect textRect;      // what is left for a text cell
    ListRect buttonRect;    // CELL_BUTTON
    ListRect animRect;      // CELL_UNINSTALLING, CELL_WAITING, and the done icon of CELL_DONE
    ListRect stateTextRect; // the state text of those three kinds
};

// Lays out a cell painted into cellRect. Rectangles a cell does not use stay empty.
[[nodiscard]] CellLayout LayoutCell(const ListCell& cell, const ListRect& cellRect, const CellLayoutInput& input);

// The list's header height: the bold font's text height plus (extra) s plus 6.
[[nodiscard]] int HeaderHeight(int boldFontHeight, int headerExtraHeight, float scale);

} // namespace tsu
