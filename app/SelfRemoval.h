#pragma once
// The tool removes its own files when it closes normally (see app/core/SelfRemovalPlan.h for what
// goes and when nothing does).

#include <string>

namespace tsu {

// Whether the executable lies in a build tree (its parent folder holds CMakeCache.txt): the
// programs are run from there by developers and tests, and that folder is never removed.
[[nodiscard]] bool IsInBuildTree(const std::wstring& executableFolder);

// Deletes the pictures this run wrote into the cache, then starts the hidden command interpreter that removes
// the executable, the feedback library and the folder once this process has ended. False when
// nothing was started (refused path, or the interpreter could not start).
bool StartSelfRemoval();

} // namespace tsu
