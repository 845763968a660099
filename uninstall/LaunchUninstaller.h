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
// never call from the GUI thread. exitCode, when given, receives the launched process's exit code
// (set only when the launch returns true).
[[nodiscard]] bool LaunchUninstaller(std::wstring& command, DWORD* exitCode = nullptr);

// The same with another monitor than the process's own one (tests).
[[nodiscard]] bool LaunchUninstaller(std::wstring& command, ProcessMonitor& monitor, DWORD* exitCode = nullptr);

// A quiet removal: starts commandLine exactly as given (no product-code rule, nothing after a
// closing quote dropped, so the silent switches stay), with the program picked and followed as
// above.
[[nodiscard]] bool LaunchQuietUninstaller(const std::wstring& commandLine, DWORD* exitCode = nullptr);
[[nodiscard]] bool LaunchQuietUninstaller(const std::wstring& commandLine, ProcessMonitor& monitor,
                                          DWORD* exitCode = nullptr);

// The full path of the program a launch text starts (see PickLaunchProgram), or empty when it
// names no one existing program (logged).
[[nodiscard]] std::wstring LaunchProgramPath(const std::wstring& launchText);

// The monitor callback of the launch: sets the completion event on state 100, ignores the rest.
void OnMonitorEvent(int32_t stateCode, const wchar_t* stateText, uint32_t userValue);

// The process-wide completion event (auto reset, created unsignalled by the first call; call it
// once at start-up). Null only when the event could not be created; a launch then waits for the
// launched process alone.
[[nodiscard]] HANDLE LaunchCompletionEvent();

} // namespace tsu
