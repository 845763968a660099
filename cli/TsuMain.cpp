// tsu.exe: the tool's engines from the command line, for scripts and end-to-end tests.

#include "cli/Commands.h"
#include "framework/StartupHardening.h"

#include <windows.h>

namespace tsu {

const std::vector<CommandInfo>& AllCommands() {
    static const std::vector<CommandInfo> commands = {
        {L"list",
         L"tsu list [--json] [--pictures]   list the installed programs (name, version, size), or as a JSON array; "
         L"--pictures also writes each program's icon as a PNG file in \\Image\\ beside tsu.exe (imagePath)",
         &RunListCommand},
        {L"uninstall",
         L"tsu uninstall NAME... [--json] [--timeout SECONDS] [--quiet]   remove the named programs (exact display "
         L"names) one after the other, printing each state change, and after each program's final state what is "
         L"left of it (a 'left' line, or the 'evidence' object in JSON: uninstall entry, Windows Installer "
         L"registration, install folder and its files, shortcuts into it, restart pending). With --timeout, an "
         L"uninstaller still running when the time is up is reported 'timeout' and left running, the programs queued "
         L"behind it are not started and are reported 'failed'. "
         L"With --quiet, nothing asks anyone: the entry's QuietUninstallString, msiexec /X{code} /qn /norestart for a "
         L"Windows Installer product, or the silent switches of a recognised NSIS, Inno Setup or WiX bundle "
         L"uninstaller; any other uninstaller is not started and is reported 'needs-user'",
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
    text += L"\nExit code: 0 when the command ran, 1 on an error (the message goes to standard error).\n"
            L"tsu uninstall: 0 every named program removed; 1 at least one failed, needs-user or timeout; 2 a name "
            L"is not installed (nothing started); 3 every program removed, but a restart is pending (the uninstaller "
            L"asked for one, or files in a program's folder wait to be renamed or deleted at the restart).\n";
    out.Out(text);
}

// The shortcut named to "analyze" as a full path, read against the folder tsu was started from,
// before the start-up moves the current folder away from it.
void MakeShortcutPathFull(CommandArgs& words) {
    if (words.size() < 2 || words[0] != L"analyze")
        return;
    for (size_t i = 1; i < words.size(); ++i) {
        std::wstring& word = words[i];
        if (word.rfind(L"--", 0) == 0)
            continue;
        const DWORD needed = ::GetFullPathNameW(word.c_str(), 0, nullptr, nullptr);
        if (needed == 0)
            return;
        std::wstring full(needed, L'\0');
        const DWORD written = ::GetFullPathNameW(word.c_str(), needed, full.data(), nullptr);
        if (written == 0 || written >= needed)
            return;
        full.resize(written);
        word = full;
        return;
    }
}

int Dispatch(const CommandArgs& words) {
    ConsoleOutput out;
    if (words.empty()) {
        PrintHelp(out);
        return 1;
    }
    const std::wstring& name = words[0];
    if (name == L"--help" || name == L"-h" || name == L"/?" || name == L"help") {
        PrintHelp(out);
        return 0;
    }
    for (const CommandInfo& command : AllCommands()) {
        if (name == command.name)
            return command.run(CommandArgs(words.begin() + 1, words.end()), out);
    }
    out.Error(L"tsu: unknown command '" + name + L"'; see tsu --help\n");
    return 1;
}
} // namespace

} // namespace tsu

int wmain(int argc, wchar_t** argv) {
    // Nothing may escape into the C runtime: an unexpected failure is an error exit.
    try {
        tsu::CommandArgs words(argv + (argc > 0 ? 1 : 0), argv + argc);
        tsu::MakeShortcutPathFull(words);
        // Before anything can load a library or start a program (an uninstall command); a failed
        // step does not stop the command, every later load and launch names its file in full.
        tsu::HardenProcessStart();
        return tsu::Dispatch(words);
    } catch (...) {
        tsu::ConsoleOutput().Error(L"tsu: internal error\n");
        return 1;
    }
}
