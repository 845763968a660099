#pragma once
// The private window messages the two engines send to their pages. The value of a message is
// fixed per receiving window: +504 means one thing to the conventional page and another to the
// intelligent page.

#include <windows.h>

namespace tsu {

// wParam 0, lParam 0: the work is over; the receiver closes its progress dialog.
inline constexpr UINT WM_CLOSE_PROGRESS = WM_USER + 501;
// wParam kSoftwareLoaded / kSoftwareEmpty, lParam 0: result of a load or refresh.
inline constexpr UINT WM_SOFTWARE_LOADED = WM_USER + 503;
// wParam kUninstall..., lParam const SoftwareRecord* (valid during the call): to the conventional page.
inline constexpr UINT WM_UNINSTALL_STATE = WM_USER + 504;
// wParam kStandardUninstall..., lParam 0: to the intelligent page.
inline constexpr UINT WM_STANDARD_UNINSTALL_RESULT = WM_USER + 504;
// wParam 0, lParam const SoftwareRecord* (valid during the call): the row may go.
inline constexpr UINT WM_UNINSTALL_REMOVED = WM_USER + 505;
// wParam const wchar_t* target path (valid during the call), lParam kAnalysis...
inline constexpr UINT WM_ANALYSIS_STATE = WM_USER + 509;
// wParam kDelete... (see DeleteResult), lParam 0.
inline constexpr UINT WM_DELETE_RESULT = WM_USER + 510;

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
