#pragma once
// Private window messages the custom controls exchange with their parents (WM_USER + n; the value
// of a message is fixed per receiving window). The engines' messages to the pages are in
// uninstall/engine/EngineMessages.h.

#include <windows.h>

namespace tsu {

// Drop box -> parent, sent. wParam: const wchar_t* path (valid during the call) and lParam 0 when
// exactly one file was dropped; wParam 0 and lParam kDropEditNotOneFile otherwise.
inline constexpr UINT WM_DROPEDIT_FILE = WM_USER + 506;
inline constexpr LPARAM kDropEditNotOneFile = 100;

// Header -> list, sent: the user toggled the select-all box; wParam 1 ticked, 0 cleared.
inline constexpr UINT WM_HEADER_CHECKALL = WM_USER + 508;

// List -> parent, sent: a row's button was pressed; wParam ListButtonClick* (valid during the call).
inline constexpr UINT WM_LIST_BUTTONCLICK = WM_USER + 600;

// Animation thread -> list, posted (never sent, so the GUI thread may wait for the animation
// thread): the animation advanced; wParam row, lParam column.
inline constexpr UINT WM_LIST_REDRAWCELL = WM_USER + 800;

} // namespace tsu
