#pragma once
// How log entries look on disk. Portable: no Win32 here.

#include <cstdint>
#include <string>
#include <string_view>

namespace tsu {

struct LogTime {
    int year, month, day, hour, minute, second, millisecond;
};

// Files grow to this many bytes; the entry that passes it moves the file to the backup.
constexpr uint64_t kLogSizeLimit = 6020000;

// "[2020-11-16 09:05:03 042ms]   " (three spaces after the bracket).
[[nodiscard]] std::string FormatLogStamp(const LogTime& time);

// Stamp, text, CR LF: the exact bytes of one entry.
[[nodiscard]] std::string FormatLogEntry(const LogTime& time, std::string_view text);

// Each byte as "%02X " (upper-case, a space after every pair, the last one included).
[[nodiscard]] std::string FormatHexText(const unsigned char* data, int32_t length);

// The "print" value of logCfg.ini: trimmed, converted like _wtoi, on exactly when it is 1.
[[nodiscard]] bool ParsePrintSwitch(std::wstring_view value);

// The writer mode: 1 keeps files open, everything else opens and closes per entry.
[[nodiscard]] bool IsOpenFileWriterMode(std::wstring_view mode);

} // namespace tsu
