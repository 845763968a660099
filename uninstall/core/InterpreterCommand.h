#pragma once
// The command line that starts the command interpreter for a command. Portable: no Win32 here.

#include <string>
#include <string_view>

namespace tsu {

// "<interpreter>" /D /C <command>: the interpreter by its full path, in quotes, and /D so that it
// never runs the AutoRun commands of the registry ("Command Processor\AutoRun" of the machine and
// of the user): the tool runs elevated, and those values are anyone's.
[[nodiscard]] std::wstring MakeInterpreterCommandLine(std::wstring_view interpreterPath, std::wstring_view command);

} // namespace tsu
