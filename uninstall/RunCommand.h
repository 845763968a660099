#pragma once
// Runs a shell command invisibly through the command interpreter and collects its output.

#include <string>
#include <string_view>

namespace tsu {

// Runs "cmd.exe /D /C <command>" with a hidden window (cmd.exe by its full path in the system
// folder, AutoRun commands off), waits for it to end, and appends what it wrote to standard output and standard error,
// converted from the ANSI code page, to output. A 32-bit process on 64-bit Windows runs it with
// file-system redirection switched off, so the 64-bit system tools run. True when the command was
// started and has ended, whatever its exit code (a failing command's error text is in output);
// false, with output unchanged, when it could not be started. Blocks: never call from the GUI
// thread.
[[nodiscard]] bool RunCommand(std::wstring command, std::wstring& output);

// The full path of a program in the system folder, as the commands that RunCommand starts see it:
// with redirection off, "System32" is the 64-bit folder on 64-bit Windows whatever this process
// is. Empty when the system folder cannot be had.
[[nodiscard]] std::wstring SystemToolPath(std::wstring_view fileName);

} // namespace tsu
