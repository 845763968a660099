#pragma once
// One thing the analysis of a dropped shortcut found: a path and what it is to the program.
// Plain value. Portable.

#include <string>

namespace tsu {

// The fixed descriptions shown beside each path.
inline constexpr wchar_t kDesktopShortcutText[] = L"桌面快捷方式";       // the dropped shortcut
inline constexpr wchar_t kStartMenuShortcutText[] = L"开始菜单快捷方式"; // a start-menu shortcut or its folder
inline constexpr wchar_t kRelatedFileText[] = L"相关文件";               // a file of the program

struct RelatedItem {
    std::wstring path;
    std::wstring description;
};

} // namespace tsu
