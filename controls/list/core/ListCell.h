#pragma once
// One cell of a multi-line list row and the kinds of content it shows. Portable: no Win32 here.

#include "controls/list/core/CellAnimation.h"
#include "core/ListRect.h"

#include <memory>
#include <string>
#include <utility>

namespace tsu {

// What a cell shows after its optional check box and icon. Any other value shows only those two.
inline constexpr int CELL_TEXT = 0;
inline constexpr int CELL_BUTTON = 1;       // the row's "卸载" button
inline constexpr int CELL_UNINSTALLING = 2; // wait animation and "卸载中"
inline constexpr int CELL_WAITING = 3;      // wait animation and "等待卸载"
inline constexpr int CELL_DONE = 4;         // done icon and "卸载完成"

// Horizontal alignment of a text cell; any other value aligns left.
inline constexpr int kAlignLeft = 1;
inline constexpr int kAlignCenter = 2;
inline constexpr int kAlignRight = 3;

struct ListCell {
    int kind = CELL_TEXT;
    std::wstring text;
    int align = kAlignLeft;
    bool hasCheck = false;
    bool checked = false;
    ListRect checkRect; // where the painting pass last put the check box
    bool hasIcon = false;
    int iconIndex = -1; // index from AddImage; anything outside the icon list shows no icon
    ListRect buttonRect;
    // Created by the first paint of a waiting or uninstalling cell. Copies of a cell share the
    // animation, so handing cells around by value never destroys it twice; the list drops it
    // only when the row goes.
    std::shared_ptr<CellAnimation> animation;
    ListRect animRect;
    ListRect doneIconRect;
    ListRect stateTextRect;
};

// A cell of kind with its text and alignment, everything else at its default.
inline ListCell MakeCell(int kind, std::wstring text, int align) {
    ListCell cell;
    cell.kind = kind;
    cell.text = std::move(text);
    cell.align = align;
    return cell;
}

} // namespace tsu
