#include "controls/list/core/ListGeometry.h"

namespace tsu {

namespace {
// A bracketed length such as [h/2 - 10 s] is truncated once. The scale is a float such as 1.2f,
// a hair above 1.2, so [24 - 10 s] comes out as 11.9999995 or as exactly 12 depending on whether
// the compiler keeps x87 excess precision (the 32-bit build) or rounds to float (SSE). Work in
// double and let a tiny margin decide for the mathematical result, so both builds lay out the
// same pixels.
constexpr double kTruncateMargin = 1e-3;
int Truncate(double value) {
    return static_cast<int>(value >= 0 ? value + kTruncateMargin : value - kTruncateMargin);
}
} // namespace

CellLayout LayoutCell(const ListCell& cell, const ListRect& cellRect, const CellLayoutInput& in) {
    const float s = in.scale;
    CellLayout out;
    ListRect w = cellRect;
    const int halfHeight = w.Height() / 2;

    if (cell.hasCheck) {
        out.checkRect =
            ListRect::FromSize(w.left + Scaled(8, s), w.top + halfHeight - Scaled(8, s), Scaled(16, s), Scaled(16, s));
        w.left += Scaled(8, s) + Scaled(16, s) + Scaled(5, s);
    }
    if (cell.hasIcon) {
        if (!cell.hasCheck)
            w.left += Scaled(8, s);
        // A missing image draws nothing and takes no space.
        if (in.iconExists) {
            out.iconRect = ListRect::FromSize(w.left, w.top + halfHeight - Scaled(16, s), Scaled(32, s), Scaled(32, s));
            if (w.left <= 6)
                w.left += Scaled(8, s) + Scaled(32, s) + Scaled(5, s);
            else
                w.left += Scaled(32, s) + Scaled(5, s);
        }
    }

    switch (cell.kind) {
    case CELL_TEXT:
        out.textRect = w;
        break;
    case CELL_BUTTON: {
        const int left = w.left + Truncate(w.Width() / 2 - 32.0 * s);
        const int top = w.top + halfHeight - Scaled(in.buttonStripHeight / 2, s);
        out.buttonRect = ListRect::FromSize(left, top, Scaled(kButtonStateWidth, s), Scaled(in.buttonStripHeight, s));
        break;
    }
    case CELL_UNINSTALLING:
    case CELL_WAITING:
    case CELL_DONE: {
        const int animTop = w.top + Truncate(halfHeight - 10.0 * s);
        out.animRect = ListRect::FromSize(w.left + Scaled(10, s), animTop, Scaled(20, s), Scaled(20, s));
        const int textTop = w.top + Truncate(halfHeight - (in.fontHeight / 2) * static_cast<double>(s));
        out.stateTextRect =
            ListRect{w.left + Scaled(36, s), textTop, w.right - Scaled(10, s), textTop + Scaled(in.fontHeight, s)};
        break;
    }
    default:
        break;
    }
    return out;
}

int HeaderHeight(int boldFontHeight, int headerExtraHeight, float scale) {
    return boldFontHeight + Scaled(headerExtraHeight, scale) + 6;
}

} // namespace tsu
