#pragma once
// Starts a program's registered uninstall command visibly and waits until the uninstaller and
// every process it spawned have ended.

#include <windows.h>

#include <cstdint>
#include <string>

namespace tsu {

class ProcessMonitor;

// Applies the fixed product-code rule to command (it may be rewritten in place), starts the
// launch text (see BuildLaunchText) with the program named by its full path (see
// PickLaunchProgram: a bare name runs the system folder's copy, nothing is searched for), follows the new process and
// its descendants with the process monitor, not following the browsers of IgnoredBrowserNames, and returns once all
// have ended. False when the process cannot be created or the text names no one existing program; the uninstaller's
// exit code plays no part. One launch runs at a time: a second caller waits for the first. Blocks without a time limit:
// never call from the GUI thread.
[[nodiscard]] bool LaunchUninstaller(std::wstring& command);

// The same with another monitor than the process's own one (tests).
[[nodiscard]] bool LaunchUninstaller(std::wstring& command, ProcessMonitor& monitor);

// The monitor callback of the launch: sets the completion event on state 100, ignores the rest.
void OnMonitorEvent(int32_t stateCode, const wchar_t* stateText, uint32_t userValue);

// The process-wide completion event (auto reset, created unsignalled by the first call; call it
// once at start-up). Null only when the event could not be created; a launch then waits for the
// launched process alone.
[[nodiscard]] HANDLE LaunchCompletionEvent();

} // namespace tsu
