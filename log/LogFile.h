#pragma once
// File steps shared by both log writers. Files are written in binary, so every entry ends in
// exactly CR LF whatever the text holds.

#include "framework/ScopedHandles.h"
#include "log/core/LogFormat.h"

#include <string>

namespace tsu {

[[nodiscard]] LogTime CurrentLogTime();

// Opens (creating if missing, never truncating) for appending, shared for reading and writing
// so several writers and readers can hold the file.
[[nodiscard]] UniqueFileHandle OpenLogFile(const std::wstring& path);

// Appends the entry at the end in one write; returns the file size afterwards, or -1.
[[nodiscard]] long long AppendLogEntry(HANDLE file, const std::string& entry);

// "<path>bak", replacing an older backup. False when the rename failed.
bool MoveLogToBackup(const std::wstring& path);

} // namespace tsu
