#pragma once
// The tool's private window messages. Every message lies in one range of the table below, a range
// per sender family, and is defined as an offset in it; the ranges may not overlap, so a new
// message takes a free offset of its own range and cannot clash unseen. The value of a message
// is fixed per receiving window: the page range's +504 means one thing to the conventional page
// and another to the intelligent page. wParam/lParam values of the engines' messages are in
// uninstall/engine/EngineMessages.h, the application's own messages in app/AppMessages.h.

#include <windows.h>

namespace tsu {

// [first, end)
struct MessageRange {
    UINT first;
    UINT end;
};
[[nodiscard]] constexpr bool InRange(MessageRange range, UINT message) {
    return message >= range.first && message < range.end;
}

// The skinned scroll frame's own messages (CSkinScrollWnd).
inline constexpr MessageRange kSkinScrollMessages{WM_USER + 100, WM_USER + 200};
// The pages' protocol: workers, controls and child dialogs to the pages and the main window.
inline constexpr MessageRange kPageMessages{WM_USER + 500, WM_USER + 600};
// The list to its parent.
inline constexpr MessageRange kListMessages{WM_USER + 600, WM_USER + 700};
// The list's animation thread to the list.
inline constexpr MessageRange kListAnimationMessages{WM_USER + 800, WM_USER + 900};
// The application's windows among themselves (app/AppMessages.h).
inline constexpr MessageRange kAppMessages{WM_USER + 1000, WM_USER + 1100};
// The GUI-thread dispatcher's hidden window (CGuiThreadDispatcher).
inline constexpr MessageRange kDispatcherMessages{WM_APP + 0x3A0, WM_APP + 0x3B0};

inline constexpr MessageRange kMessageRanges[] = {kSkinScrollMessages,    kPageMessages, kListMessages,
                                                  kListAnimationMessages, kAppMessages,  kDispatcherMessages};
[[nodiscard]] constexpr bool RangesApart() {
    for (const MessageRange& a : kMessageRanges) {
        if (a.end <= a.first)
            return false;
        for (const MessageRange& b : kMessageRanges)
            if (&a != &b && a.first < b.end && b.first < a.end)
                return false;
    }
    return true;
}
static_assert(RangesApart(), "two private message ranges overlap");

// The page range. Engine -> page, sent: wParam 0, lParam 0: the work is over; the receiver closes
// its progress dialog.
inline constexpr UINT WM_CLOSE_PROGRESS = kPageMessages.first + 1;
// Start page -> main window, sent. wParam kShowFunctionPage shows the function page, any other
// value the start page.
inline constexpr UINT WM_SHOW_PAGE = kPageMessages.first + 2;
// Engine -> page, sent. wParam kSoftwareLoaded / kSoftwareEmpty, lParam 0: result of a load or
// refresh.
inline constexpr UINT WM_SOFTWARE_LOADED = kPageMessages.first + 3;
// Engine -> conventional page, sent. wParam kUninstall..., lParam const SoftwareRecord* (valid
// during the call).
inline constexpr UINT WM_UNINSTALL_STATE = kPageMessages.first + 4;
// Intelligence engine -> intelligent page, sent. wParam kStandardUninstall..., lParam 0.
inline constexpr UINT WM_STANDARD_UNINSTALL_RESULT = kPageMessages.first + 4;
// Engine -> conventional page, sent. wParam 0, lParam const SoftwareRecord* (valid during the
// call): the row may go.
inline constexpr UINT WM_UNINSTALL_REMOVED = kPageMessages.first + 5;
// Drop box -> parent, sent. wParam: const wchar_t* path (valid during the call) and lParam 0 when
// exactly one file was dropped; wParam 0 and lParam kDropEditNotOneFile otherwise.
inline constexpr UINT WM_DROPEDIT_FILE = kPageMessages.first + 6;
inline constexpr LPARAM kDropEditNotOneFile = 100;
// Prompt child -> prompt host, sent. wParam 1: the first button; anything else: the second.
inline constexpr UINT WM_PROMPT_RESULT = kPageMessages.first + 7;
// Header -> list, sent: the user toggled the select-all box; wParam 1 ticked, 0 cleared.
inline constexpr UINT WM_HEADER_CHECKALL = kPageMessages.first + 8;
// Intelligence engine -> intelligent page, sent. wParam const wchar_t* target path (valid during
// the call), lParam kAnalysis...
inline constexpr UINT WM_ANALYSIS_STATE = kPageMessages.first + 9;
// Intelligence engine -> intelligent page, sent. wParam kDelete... (see DeleteResult), lParam 0.
inline constexpr UINT WM_DELETE_RESULT = kPageMessages.first + 10;

// List -> parent, sent: a row's button was pressed; wParam ListButtonClick* (valid during the call).
inline constexpr UINT WM_LIST_BUTTONCLICK = kListMessages.first;

// Animation thread -> list, posted (never sent, so the GUI thread may wait for the animation
// thread): the animation advanced; wParam row, lParam column.
inline constexpr UINT WM_LIST_REDRAWCELL = kListAnimationMessages.first;

static_assert(InRange(kPageMessages, WM_DELETE_RESULT), "the page range is full");

} // namespace tsu
