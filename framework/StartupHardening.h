#pragma once
// What both programs do before anything else, because they run elevated and are often started
// from a Downloads folder that anyone can write to: libraries are looked up only in the system
// folder, and the current folder becomes the system folder, so that nothing placed beside the
// program or in the folder it was started from is loaded or started in its place.

#include <windows.h>

#include <string>

namespace tsu {

// Restricts the library search of this process to the system folder (and drops the current
// folder from it), then makes the system folder the current folder. The libraries the programs
// need beyond the protected system ones (GDI+) are delay-loaded, so they are looked up only after
// this has run. False when a step failed;
// the steps that worked stay in force.
bool HardenProcessStart();

// The system folder ("C:\Windows\system32") and the Windows folder, without a trailing "\";
// empty when they cannot be read.
[[nodiscard]] std::wstring SystemFolder();
[[nodiscard]] std::wstring WindowsFolder();

// Loads a system library by its full path in the system folder; null when it cannot be loaded.
[[nodiscard]] HMODULE LoadSystemLibrary(const std::wstring& fileName);

} // namespace tsu
