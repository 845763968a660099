// tsu_process_helper: the stand-in uninstaller the tests start. It acts out its arguments left to
// right; with no "--" argument of its own it acts out TSU_HELPER_ARGS instead (a launch drops a
// quoted command's arguments; a planted copy gets someone else's).
//   --record FILE  append own id as a line   --mark FILE / --mark-in-job FILE  create FILE (in a job)
//   --cmdline / --image / --cwd FILE  write command line / program path / current folder (UTF-16LE)
//   --note TEXT  nothing   --sleep MS   --signal / --wait-event NAME  set / wait for a named event
//   --print TEXT  to stdout in the ANSI code page
//   --print-lines N  "line NNNNNN\r\n" from 1 to N   --exit CODE
//   --child [ ARGS ]  a copy with ARGS (brackets nest)   --child-as NAME [ ARGS ]  program NAME beside this one
//   --breakaway-child [ ARGS ]  out of the job   --desktop  ask for the desktop window
// Exit code: 0 after the last argument, 2 for unreadable arguments, 3 when an action failed.

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> SplitCommandLine(const std::wstring& line) {
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> args(argv ? argv + 1 : nullptr, argv ? argv + count : nullptr); // without the program
    ::LocalFree(argv);
    return args;
}

std::vector<std::wstring> ProgramArguments() {
    const std::vector<std::wstring> args = SplitCommandLine(::GetCommandLineW());
    for (const std::wstring& arg : args) {
        if (arg.compare(0, 2, L"--") == 0)
            return args;
    }
    std::wstring value(32768, L'\0');
    const DWORD written = ::GetEnvironmentVariableW(L"TSU_HELPER_ARGS", value.data(), 32768);
    // A program name first: CommandLineToArgvW reads the first token by other rules.
    return written == 0 ? args : SplitCommandLine(L"helper " + value.substr(0, written));
}

std::wstring OwnPath() {
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

bool WriteBytes(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    return bytes.empty() || (::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                             written == bytes.size());
}

bool WriteToFile(const std::wstring& path, const std::string& bytes, bool append = false) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool ok = file != INVALID_HANDLE_VALUE && WriteBytes(file, bytes);
    ::CloseHandle(file); // a no-op for INVALID_HANDLE_VALUE, the process pseudo-handle
    return ok;
}

bool WriteText(const std::wstring& path, const std::wstring& text) {
    return WriteToFile(path, std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
}

bool WriteStdout(const std::wstring& text) {
    const int size = static_cast<int>(text.size());
    std::string bytes(
        static_cast<size_t>(::WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr)), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), size, bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr);
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    return out != nullptr && out != INVALID_HANDLE_VALUE && WriteBytes(out, bytes);
}

// ARGS between a "[" at args[start] and its matching "]"; end receives the index after "]".
bool TakeBracketed(const std::vector<std::wstring>& args, size_t start, std::vector<std::wstring>& inner, size_t& end) {
    for (size_t i = start, depth = 0; start < args.size() && args[start] == L"[" && i < args.size(); ++i) {
        if (args[i] == L"]" && --depth == 0) {
            end = i + 1;
            return true;
        }
        if (!(args[i] == L"[" && depth++ == 0))
            inner.push_back(args[i]);
    }
    return false;
}

bool StartChild(const std::wstring& program, const std::vector<std::wstring>& args, DWORD flags) {
    std::wstring line = L"\"" + program + L"\""; // no argument of a child holds a quote or ends with a backslash
    for (const std::wstring& arg : args)
        line += !arg.empty() && arg.find_first_of(L" \t") == std::wstring::npos ? L" " + arg : L" \"" + arg + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    // A loaded Wine prefix refuses a process start now and then; a few more tries keep the tree the
    // test asked for, and a final refusal is told.
    for (int attempt = 1; !::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                                            nullptr, &startup, &info);
         ++attempt) {
        if (attempt == 20) {
            std::fprintf(stderr, "tsu_process_helper: cannot start a child, error %lu\n", ::GetLastError());
            return false;
        }
        ::Sleep(50);
    }
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return true;
}

int Act(const std::vector<std::wstring>& args) {
    for (size_t i = 0; i < args.size();) {
        const std::wstring& option = args[i];
        const bool hasValue = i + 1 < args.size();
        const std::wstring value = hasValue ? args[i + 1] : std::wstring();
        const int number = _wtoi(value.c_str());
        bool ok = true;
        size_t next = i + 2;
        if (option == L"--record" && hasValue) {
            ok = WriteToFile(value, std::to_string(::GetCurrentProcessId()) + "\r\n", true);
        } else if (option == L"--cmdline" && hasValue) {
            ok = WriteText(value, ::GetCommandLineW());
        } else if (option == L"--image" && hasValue) {
            ok = WriteText(value, OwnPath());
        } else if (option == L"--cwd" && hasValue) {
            wchar_t folder[MAX_PATH] = {};
            const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, folder);
            ok = length > 0 && length < MAX_PATH && WriteText(value, std::wstring(folder, length));
        } else if (option == L"--mark-in-job" && hasValue) {
            BOOL inJob = FALSE;
            ok = ::IsProcessInJob(::GetCurrentProcess(), nullptr, &inJob) && (!inJob || WriteText(value, L""));
        } else if (option == L"--mark" && hasValue) {
            ok = WriteText(value, L"");
        } else if ((option == L"--signal" || option == L"--wait-event") && hasValue) {
            HANDLE event = ::OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, value.c_str());
            ok = event && (option == L"--signal" ? ::SetEvent(event) != FALSE
                                                 : ::WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0);
            ::CloseHandle(event);
        } else if (option == L"--sleep" && hasValue) {
            ::Sleep(static_cast<DWORD>(number));
        } else if (option == L"--print" && hasValue) {
            ok = WriteStdout(value);
        } else if (option == L"--print-lines" && hasValue) {
            std::wstring text;
            wchar_t line[32];
            for (int n = 1; n <= number; ++n)
                text += (std::swprintf(line, 32, L"line %06d\r\n", n), line);
            ok = WriteStdout(text);
        } else if (option == L"--child" || option == L"--breakaway-child" || (option == L"--child-as" && hasValue)) {
            const bool named = option == L"--child-as";
            const std::wstring own = OwnPath();
            std::vector<std::wstring> inner;
            if (!TakeBracketed(args, i + (named ? 2 : 1), inner, next))
                return 2;
            const std::wstring program = named ? own.substr(0, own.find_last_of(L'\\') + 1) + value : own;
            ok = StartChild(program, inner, option == L"--breakaway-child" ? CREATE_BREAKAWAY_FROM_JOB : 0);
        } else if (option == L"--desktop") {
            ok = ::GetDesktopWindow() != nullptr;
            next = i + 1;
        } else if (option == L"--exit" && hasValue) {
            ::ExitProcess(static_cast<UINT>(number));
        } else if (option != L"--note" || !hasValue) {
            std::fwprintf(stderr, L"tsu_process_helper: cannot read argument %ls\n", option.c_str());
            return 2;
        }
        if (!ok)
            return 3;
        i = next;
    }
    return 0;
}

} // namespace

int wmain() {
    return Act(ProgramArguments());
}
