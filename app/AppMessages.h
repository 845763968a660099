#pragma once
// Private window messages of the application's windows (WM_USER + n; a value's meaning is fixed
// per receiving window), their timers and the system-menu command. The engines' messages are in
// uninstall/engine/EngineMessages.h, the controls' in framework/Messages.h.

#include <windows.h>

namespace tsu {

// Start page -> main window, sent. wParam kShowFunctionPage shows the function page, any other
// value the start page.
inline constexpr UINT WM_SHOW_PAGE = WM_USER + 502;
inline constexpr WPARAM kShowFunctionPage = 1;
inline constexpr WPARAM kShowStartPage = 0;

// Prompt child -> prompt host, sent. wParam 1: the first button; anything else: the second.
inline constexpr UINT WM_PROMPT_RESULT = WM_USER + 507;
inline constexpr WPARAM kPromptFirstButton = 1;
inline constexpr WPARAM kPromptSecondButton = 2;

// Mouse hook -> start page, posted. wParam WM_LBUTTONDOWN; the receiver reads the cursor itself.
inline constexpr UINT WM_GLOBAL_LBUTTONDOWN = WM_USER + 1000;

// Function page's close waiter -> main window, posted: every task that the pages started is over,
// the tool may close now.
inline constexpr UINT WM_CLOSE_WHEN_IDLE = WM_USER + 1001;

// Intelligent page -> itself, posted by the analysis result: fill the result display on the GUI
// thread (the analysis worker must not touch the page's controls).
inline constexpr UINT WM_DISPLAY_RESULTS = WM_USER + 1002;

// The About item of the main window's system menu.
inline constexpr UINT kAboutCommand = 0x0010;
inline constexpr UINT kSystemCommandMask = 0xFFF0;

// Start page timers: the terms label's hover look, and the one-off new-version check.
inline constexpr UINT_PTR kHoverTimer = 33;
inline constexpr UINT_PTR kVersionCheckTimer = 38;
inline constexpr UINT kStartPageTimerMs = 100;

} // namespace tsu
