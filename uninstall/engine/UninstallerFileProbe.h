#pragma once
// The real file system and environment behind the stale-entry rule.

#include "uninstall/engine/core/StaleEntryRules.h"

namespace tsu {

// Expands variables with the process environment, searches bare names along the system search
// path, asks the file system, and asks for the kind of a drive. A 32-bit process on 64-bit Windows looks with
// file-system redirection switched off: otherwise a 64-bit uninstaller in System32 would look missing (WOW64 shows
// SysWOW64 there) and its entry would be deleted.
[[nodiscard]] UninstallerProbe SystemUninstallerProbe();

} // namespace tsu
