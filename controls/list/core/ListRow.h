#pragma once
// One row of the multi-line list with its cells by column index. Portable: no Win32 here.

#include "controls/list/core/ListCell.h"

#include <map>

namespace tsu {

struct ListRow {
    int index = 0;   // the caller's own row number; informational only
    int height = 25; // pixels
    std::map<int, ListCell> cells;
    void* data = nullptr; // caller's item data, not owned by the list
};

// Sent by pointer with WM_LIST_BUTTONCLICK; valid only during that synchronous send.
struct ListButtonClick {
    int row = -1;
    int kind = 0;
    int action = 0;
};

} // namespace tsu
