#pragma once
// The application's private window messages (in kAppMessages; the messages of the pages' protocol
// are in framework/Messages.h with the others), their values, timers and the system-menu command.

#include "framework/Messages.h"

namespace tsu {

// WM_SHOW_PAGE
inline constexpr WPARAM kShowFunctionPage = 1;
inline constexpr WPARAM kShowStartPage = 0;

// WM_PROMPT_RESULT
inline constexpr WPARAM kPromptFirstButton = 1;
inline constexpr WPARAM kPromptSecondButton = 2;

// Mouse hook -> start page, posted. wParam WM_LBUTTONDOWN; the receiver reads the cursor itself.
inline constexpr UINT WM_GLOBAL_LBUTTONDOWN = kAppMessages.first;

// Function page's close waiter -> main window, posted: every task that the pages started is over,
// the tool may close now.
inline constexpr UINT WM_CLOSE_WHEN_IDLE = kAppMessages.first + 1;

// Intelligent page -> itself, posted by the analysis result: fill the result display on the GUI
// thread (the analysis worker must not touch the page's controls).
inline constexpr UINT WM_DISPLAY_RESULTS = kAppMessages.first + 2;
static_assert(InRange(kAppMessages, WM_DISPLAY_RESULTS), "the application's range is full");

// The About item of the main window's system menu.
inline constexpr UINT kAboutCommand = 0x0010;
inline constexpr UINT kSystemCommandMask = 0xFFF0;

// Start page timers: the terms label's hover look, and the one-off new-version check.
inline constexpr UINT_PTR kHoverTimer = 33;
inline constexpr UINT_PTR kVersionCheckTimer = 38;
inline constexpr UINT kStartPageTimerMs = 100;

} // namespace tsu
