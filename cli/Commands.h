#pragma once
// The commands of tsu.exe. Each returns the process exit code: 0 when it ran, 1 on an error
// (with a message on standard error).

#include "cli/ConsoleOutput.h"

#include <string>
#include <vector>

namespace tsu {

using CommandArgs = std::vector<std::wstring>; // the words after the command name

struct CommandInfo {
    const wchar_t* name;
    const wchar_t* usage; // one line for --help
    int (*run)(const CommandArgs& args, ConsoleOutput& out);
};

int RunListCommand(const CommandArgs& args, ConsoleOutput& out);
int RunUninstallCommand(const CommandArgs& args, ConsoleOutput& out);
int RunAnalyzeCommand(const CommandArgs& args, ConsoleOutput& out);

// All commands, for dispatch and for --help.
[[nodiscard]] const std::vector<CommandInfo>& AllCommands();

} // namespace tsu
