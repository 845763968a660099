#pragma once
// The wParam and lParam values of the messages the two engines send to their pages (the messages
// themselves are in framework/Messages.h).

#include "framework/Messages.h"

namespace tsu {

// WM_SOFTWARE_LOADED
inline constexpr WPARAM kSoftwareLoaded = 1; // the inventory holds programs
inline constexpr WPARAM kSoftwareEmpty = 2;  // the inventory is empty or unreadable

// WM_UNINSTALL_STATE
inline constexpr WPARAM kUninstallGone = 1;     // the program is gone
inline constexpr WPARAM kUninstallFailed = 2;   // still installed: failed, cancelled or not started
inline constexpr WPARAM kUninstallStarting = 3; // the uninstall of this program starts

// WM_STANDARD_UNINSTALL_RESULT
inline constexpr WPARAM kStandardUninstallGone = 1;
inline constexpr WPARAM kStandardUninstallFailed = 2;

// WM_ANALYSIS_STATE (lParam)
inline constexpr LPARAM kAnalysisStarted = 1;
inline constexpr LPARAM kAnalysisFinished = 2;

} // namespace tsu
