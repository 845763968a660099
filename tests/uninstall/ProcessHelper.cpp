// tsu_process_helper: a small program that the process-control tests (and anyone else's) start
// as a stand-in uninstaller. It acts out its arguments from left to right.
//
// When the environment variable TSU_HELPER_ARGS is set and no argument of its own command line
// starts with "--", it acts out the variable's arguments, written as a command line, instead: a
// launch drops the arguments of a quoted uninstall command, a copy planted under another name is
// started with someone else's arguments, and the environment of the test is inherited.
//
//   --record FILE             append this process's id as a decimal line to FILE
//   --cmdline FILE            write this process's whole command line to FILE (UTF-16LE, no BOM)
//   --image FILE              write the full path of this program's own file to FILE (UTF-16LE, no BOM)
//   --cwd FILE                write this process's current folder to FILE (UTF-16LE, no BOM)
//   --note TEXT               do nothing (puts any text into a command line)
//   --mark FILE               create FILE (empty)
//   --mark-in-job FILE        create FILE (empty) when this process runs in a job object
//   --signal NAME             set the named event NAME, which the caller has created
//   --wait-event NAME         wait until the named event NAME, which the caller has created, is set
//                             (a missing event ends the helper with code 3: no orphan waits forever)
//   --sleep MS                sleep MS milliseconds
//   --hold FILE               open FILE (created if missing) without sharing, keep it open until exit
//   --print TEXT              write TEXT to standard output, in the ANSI code page, no line end
//   --print-repeated N TEXT   write TEXT N times, as --print does
//   --print-lines N           write N lines "line NNNNNN\r\n" (13 bytes each, numbered from 1)
//   --child [ ARGS ]          start a copy of this program with ARGS (brackets nest), do not wait
//   --child-as NAME [ ARGS ]  the same with the program NAME from this program's folder; the build
//                             puts copies named iexplore.exe, chrome.exe and 360se.exe there
//   --breakaway-child [ ARGS ] the same, started out of the job the helper runs in
//   --children N [ ARGS ]     start N copies with ARGS one after the other, do not wait
//   --wait-children           wait until every child started so far has ended
//   --desktop                 ask for the desktop window (under Wine the first such call of a prefix
//                             starts explorer.exe as the desktop process, a child of the caller)
//   --crash                   die of an access violation (no error box, no debugger)
//   --exit CODE               end at once with exit code CODE
//
// Exit code: 0 after the last argument, 2 for arguments it cannot read, 3 when an action failed.

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kExitBadArguments = 2;
constexpr int kExitActionFailed = 3;
constexpr wchar_t kArgsVariable[] = L"TSU_HELPER_ARGS";

std::vector<std::wstring> SplitCommandLine(const std::wstring& line) {
    std::vector<std::wstring> args;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(line.c_str(), &count);
    if (!argv)
        return args;
    for (int i = 0; i < count; ++i)
        args.emplace_back(argv[i]);
    ::LocalFree(argv);
    return args;
}

bool HasOption(const std::vector<std::wstring>& args) {
    for (const std::wstring& arg : args) {
        if (arg.compare(0, 2, L"--") == 0)
            return true;
    }
    return false;
}

std::vector<std::wstring> ProgramArguments() {
    std::vector<std::wstring> args = SplitCommandLine(::GetCommandLineW());
    if (!args.empty())
        args.erase(args.begin());
    if (HasOption(args))
        return args;
    const DWORD needed = ::GetEnvironmentVariableW(kArgsVariable, nullptr, 0);
    if (needed == 0)
        return args;
    std::wstring value(needed, L'\0');
    const DWORD written = ::GetEnvironmentVariableW(kArgsVariable, value.data(), needed);
    value.resize(written);
    // A program name first: CommandLineToArgvW reads the first token by other rules.
    args = SplitCommandLine(L"helper " + value);
    if (!args.empty())
        args.erase(args.begin());
    return args;
}

// Quoting that CommandLineToArgvW and the C runtime read back as the same argument.
std::wstring QuoteArgument(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos)
        return arg;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            quoted.append(backslashes * 2 + 1, L'\\');
        else
            quoted.append(backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

std::wstring OwnFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD written = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (written == 0)
            return std::wstring();
        if (written < path.size()) {
            path.resize(written);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::wstring OwnPath() {
    std::wstring path(32768, L'\0');
    const DWORD written = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(written);
    return path;
}

bool WriteBytes(HANDLE file, const void* data, size_t size) {
    DWORD written = 0;
    return ::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

bool AppendToFile(const std::wstring& path, const void* data, size_t size, bool append) {
    HANDLE file =
        ::CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = size == 0 || WriteBytes(file, data, size);
    ::CloseHandle(file);
    return ok;
}

HANDLE OpenExistingEvent(const std::wstring& name) {
    return ::OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, name.c_str());
}

bool WriteStdout(const std::string& bytes) {
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE)
        return false;
    return WriteBytes(out, bytes.data(), bytes.size());
}

std::string ToAnsiCodePage(const std::wstring& text) {
    const int needed =
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(needed > 0 ? needed : 0), '\0');
    if (needed > 0)
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), needed, nullptr,
                              nullptr);
    return bytes;
}

// ARGS between a "[" at args[start] and its matching "]"; end receives the index after "]".
bool TakeBracketed(const std::vector<std::wstring>& args, size_t start, std::vector<std::wstring>& inner, size_t& end) {
    if (start >= args.size() || args[start] != L"[")
        return false;
    int depth = 0;
    for (size_t i = start; i < args.size(); ++i) {
        if (args[i] == L"[") {
            if (depth++ > 0)
                inner.push_back(args[i]);
        } else if (args[i] == L"]") {
            if (--depth == 0) {
                end = i + 1;
                return true;
            }
            inner.push_back(args[i]);
        } else {
            inner.push_back(args[i]);
        }
    }
    return false;
}

bool StartChild(const std::wstring& program, const std::vector<std::wstring>& args, std::vector<HANDLE>& children,
                DWORD flags = 0) {
    std::wstring line = QuoteArgument(program);
    for (const std::wstring& arg : args)
        line += L" " + QuoteArgument(arg);
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    // A loaded Wine prefix refuses a process start now and then (hundreds of short children in a
    // row); a few more tries keep the tree the test asked for, and a final refusal is told.
    for (int attempt = 1; !::CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, flags, nullptr,
                                            nullptr, &startup, &info);
         ++attempt) {
        if (attempt == 20) {
            std::fprintf(stderr, "tsu_process_helper: cannot start a child, error %lu\n", ::GetLastError());
            return false;
        }
        ::Sleep(50);
    }
    ::CloseHandle(info.hThread);
    children.push_back(info.hProcess);
    return true;
}

LONG WINAPI EndOnCrash(EXCEPTION_POINTERS*) {
    // Ends the process with the exception code, as Windows does when no debugger is wanted.
    return EXCEPTION_EXECUTE_HANDLER;
}

[[noreturn]] void Crash() {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    ::SetUnhandledExceptionFilter(&EndOnCrash);
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    std::abort();
}

} // namespace

int wmain() {
    const std::vector<std::wstring> args = ProgramArguments();
    std::vector<HANDLE> children;
    std::vector<HANDLE> heldFiles;
    for (size_t i = 0; i < args.size();) {
        const std::wstring& option = args[i];
        const bool hasValue = i + 1 < args.size();
        const std::wstring value = hasValue ? args[i + 1] : std::wstring();
        if (option == L"--record" && hasValue) {
            const std::string line = std::to_string(::GetCurrentProcessId()) + "\r\n";
            if (!AppendToFile(value, line.data(), line.size(), true))
                return kExitActionFailed;
            i += 2;
        } else if (option == L"--cmdline" && hasValue) {
            const std::wstring line = ::GetCommandLineW();
            if (!AppendToFile(value, line.data(), line.size() * sizeof(wchar_t), false))
                return kExitActionFailed;
            i += 2;
        } else if (option == L"--image" && hasValue) {
            const std::wstring path = OwnPath();
            if (!AppendToFile(value, path.data(), path.size() * sizeof(wchar_t), false))
                return kExitActionFailed;
            i += 2;
        } else if (option == L"--cwd" && hasValue) {
            wchar_t folder[MAX_PATH] = {};
            const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, folder);
            if (length == 0 || length >= MAX_PATH || !AppendToFile(value, folder, length * sizeof(wchar_t), false))
                return kExitActionFailed;
            i += 2;
        } else if (option == L"--mark-in-job" && hasValue) {
            BOOL inJob = FALSE;
            if (!::IsProcessInJob(::GetCurrentProcess(), nullptr, &inJob))
                return kExitActionFailed;
            if (inJob && !AppendToFile(value, nullptr, 0, false))
                return kExitActionFailed;
            i += 2;
        } else if (option == L"--note" && hasValue) {
            i += 2;
        } else if (option == L"--mark" && hasValue) {
            if (!AppendToFile(value, nullptr, 0, false))
                return kExitActionFailed;
            i += 2;
        } else if ((option == L"--signal" || option == L"--wait-event") && hasValue) {
            HANDLE event = OpenExistingEvent(value);
            if (!event)
                return kExitActionFailed;
            const bool ok = option == L"--signal" ? ::SetEvent(event) != FALSE
                                                  : ::WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0;
            ::CloseHandle(event);
            if (!ok)
                return kExitActionFailed;
            i += 2;
        } else if (option == L"--sleep" && hasValue) {
            ::Sleep(static_cast<DWORD>(_wtoi(value.c_str())));
            i += 2;
        } else if (option == L"--hold" && hasValue) {
            HANDLE file = ::CreateFileW(value.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file == INVALID_HANDLE_VALUE)
                return kExitActionFailed;
            heldFiles.push_back(file); // closed by the system at exit
            i += 2;
        } else if (option == L"--print" && hasValue) {
            if (!WriteStdout(ToAnsiCodePage(value)))
                return kExitActionFailed;
            i += 2;
        } else if (option == L"--print-repeated" && i + 2 < args.size()) {
            const std::string bytes = ToAnsiCodePage(args[i + 2]);
            std::string text;
            for (int n = _wtoi(value.c_str()); n > 0; --n)
                text += bytes;
            if (!WriteStdout(text))
                return kExitActionFailed;
            i += 3;
        } else if (option == L"--print-lines" && hasValue) {
            const int count = _wtoi(value.c_str());
            std::string text;
            char line[32];
            for (int n = 1; n <= count; ++n) {
                std::snprintf(line, sizeof(line), "line %06d\r\n", n);
                text += line;
            }
            if (!WriteStdout(text))
                return kExitActionFailed;
            i += 2;
        } else if (option == L"--child" || (option == L"--child-as" && hasValue)) {
            const bool named = option == L"--child-as";
            const std::wstring program = named ? OwnFolder() + value : OwnPath();
            std::vector<std::wstring> inner;
            size_t end = 0;
            if (!TakeBracketed(args, i + (named ? 2 : 1), inner, end))
                return kExitBadArguments;
            if (!StartChild(program, inner, children))
                return kExitActionFailed;
            i = end;
        } else if (option == L"--breakaway-child" || (option == L"--children" && hasValue)) {
            const bool many = option == L"--children";
            std::vector<std::wstring> inner;
            size_t end = 0;
            if (!TakeBracketed(args, i + (many ? 2 : 1), inner, end))
                return kExitBadArguments;
            for (int n = many ? _wtoi(value.c_str()) : 1; n > 0; --n) {
                if (!StartChild(OwnPath(), inner, children, many ? 0 : CREATE_BREAKAWAY_FROM_JOB))
                    return kExitActionFailed;
                if (many) { // thousands of handles are not kept
                    ::CloseHandle(children.back());
                    children.pop_back();
                }
            }
            i = end;
        } else if (option == L"--wait-children") {
            for (HANDLE child : children)
                ::WaitForSingleObject(child, INFINITE);
            i += 1;
        } else if (option == L"--desktop") {
            if (!::GetDesktopWindow())
                return kExitActionFailed;
            i += 1;
        } else if (option == L"--crash") {
            Crash();
        } else if (option == L"--exit" && hasValue) {
            ::ExitProcess(static_cast<UINT>(_wtoi(value.c_str())));
        } else {
            std::fwprintf(stderr, L"tsu_process_helper: cannot read argument %ls\n", option.c_str());
            return kExitBadArguments;
        }
    }
    return 0;
}
