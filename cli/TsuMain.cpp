// tsu.exe: the tool's engines from the command line, for scripts and end-to-end tests.

#include "cli/Commands.h"

#include <windows.h>

namespace tsu {

const std::vector<CommandInfo>& AllCommands() {
    static const std::vector<CommandInfo> commands = {
        {L"list",
         L"tsu list [--json] [--pictures]   list the installed programs (name, version, size), or as a JSON array; "
         L"--pictures also writes each program's icon as a PNG file in \\Image\\ beside tsu.exe (imagePath)",
         &RunListCommand},
        {L"uninstall",
         L"tsu uninstall NAME... [--json] [--timeout SECONDS]   remove the named programs (exact display names) one "
         L"after the other, printing each state change; exit code 0 when all are gone, 1 otherwise, 2 when a name is "
         L"not installed. With --timeout, an uninstaller still running when the time is up is reported 'timeout' and "
         L"left running, the programs queued behind it are not started and are reported 'failed', exit code 1",
         &RunUninstallCommand},
        {L"analyze",
         L"tsu analyze SHORTCUT [--json]   show the target, program name, related items and matched uninstall entry "
         L"of a shortcut",
         &RunAnalyzeCommand},
    };
    return commands;
}

namespace {
void PrintHelp(ConsoleOutput& out) {
    std::wstring text = L"Usage: tsu <command> [options]\n\nCommands:\n";
    for (const CommandInfo& command : AllCommands()) {
        text += L"  ";
        text += command.usage;
        text += L'\n';
    }
    text += L"\nExit code: 0 when the command ran, 1 on an error (the message goes to standard error).\n";
    out.Out(text);
}

int Dispatch(int argc, wchar_t** argv) {
    ConsoleOutput out;
    if (argc < 2) {
        PrintHelp(out);
        return 1;
    }
    const std::wstring name = argv[1];
    if (name == L"--help" || name == L"-h" || name == L"/?" || name == L"help") {
        PrintHelp(out);
        return 0;
    }
    for (const CommandInfo& command : AllCommands()) {
        if (name == command.name)
            return command.run(CommandArgs(argv + 2, argv + argc), out);
    }
    out.Error(L"tsu: unknown command '" + name + L"'; see tsu --help\n");
    return 1;
}
} // namespace

} // namespace tsu

int wmain(int argc, wchar_t** argv) {
    // Nothing may escape into the C runtime: an unexpected failure is an error exit.
    try {
        return tsu::Dispatch(argc, argv);
    } catch (...) {
        tsu::ConsoleOutput().Error(L"tsu: internal error\n");
        return 1;
    }
}
