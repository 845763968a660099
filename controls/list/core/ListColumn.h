#pragma once
// One column of the multi-line list. Portable: no Win32 here.

#include <string>

namespace tsu {

struct ListColumn {
    int width = 100;
    std::wstring title = L" ";
    int minWidth = 0; // a divider drag that goes below both this and the current width is refused
};

} // namespace tsu
