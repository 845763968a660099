#include "uninstall/RunCommand.h"

#include "framework/Encoding.h"
#include "framework/StartupHardening.h"
#include "framework/ScopedHandles.h"
#include "inventory/Is64BitWindows.h"
#include "uninstall/core/InterpreterCommand.h"
#include "uninstall/core/UninstallCommandRules.h"

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

namespace tsu {

namespace {

constexpr DWORD kPipeBufferBytes = 4096;
constexpr DWORD kMaxReadBytes = kPipeBufferBytes - 1; // a chunk always leaves room for a terminator
constexpr DWORD kReadPauseMs = 500;                   // throttles the reading after each chunk
constexpr wchar_t kInterpreterName[] = L"cmd.exe";

// Switches WOW64 file-system redirection off for the calling thread while it lives, so that a
// 32-bit process on 64-bit Windows runs the 64-bit system tools. Only a process that really runs
// under WOW64 may ask: in a 64-bit process the call fails.
class ScopedFsRedirectionOff {
public:
    ScopedFsRedirectionOff() {
#ifndef _WIN64
        // In the 32-bit build "64-bit Windows" means exactly "running under WOW64".
        if (Is64BitWindows()) {
            m_active = ::Wow64DisableWow64FsRedirection(&m_oldValue) != FALSE;
            m_failed = !m_active;
        }
#endif
    }
    ~ScopedFsRedirectionOff() {
        if (m_active)
            (void)::Wow64RevertWow64FsRedirection(m_oldValue);
    }
    ScopedFsRedirectionOff(const ScopedFsRedirectionOff&) = delete;
    ScopedFsRedirectionOff& operator=(const ScopedFsRedirectionOff&) = delete;
    [[nodiscard]] bool Failed() const {
        return m_failed;
    }

private:
    void* m_oldValue = nullptr;
    bool m_active = false;
    bool m_failed = false;
};

// Held from the creation of the inheritable handles until this process's copies are closed again:
// a command started meanwhile by another thread would inherit the other command's pipe end and
// keep that command's output open, so its caller would wait for an unrelated program as well.
std::mutex& InheritableHandlesLock() {
    static std::mutex lock;
    return lock;
}

} // namespace

std::wstring SystemToolPath(std::wstring_view fileName) {
    const std::wstring folder = SystemFolder();
    return folder.empty() ? std::wstring() : folder + L"\\" + std::wstring(fileName);
}

bool RunCommand(std::wstring command, std::wstring& output) {
    const ScopedFsRedirectionOff redirection;
    if (redirection.Failed())
        return false;
    // The interpreter by its full path: a bare "cmd" would be looked for in the current folder
    // first, where anyone could have put a cmd.exe.
    const std::wstring interpreter = SystemToolPath(kInterpreterName);
    if (interpreter.empty())
        return false;

    std::unique_lock<std::mutex> handlesGuard(InheritableHandlesLock());
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof(inheritable);
    inheritable.bInheritHandle = TRUE;
    UniqueHandle readEnd;
    UniqueHandle writeEnd;
    if (!::CreatePipe(readEnd.Put(), writeEnd.Put(), &inheritable, 0))
        return false;
    // Only the write end goes to the child; the read end stays ours alone.
    if (!::SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0))
        return false;
    // Standard input from NUL: a command that asks a question (reg without /f, set /p) reads end
    // of input and goes on instead of waiting for an answer nobody can give.
    UniqueFileHandle input(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!input)
        return false;

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    ::GetStartupInfoW(&startup);
    // The reserved block carries the C runtime's inherited descriptors of *this* process; handing
    // it on would give the child descriptors that mean nothing to it.
    startup.lpReserved = nullptr;
    startup.cbReserved2 = 0;
    startup.lpReserved2 = nullptr;
    startup.hStdInput = input.Get();
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();
    startup.wShowWindow = SW_HIDE;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;

    const std::wstring line = MakeInterpreterCommandLine(interpreter, command);
    // Refused whole rather than cut: a cut command could do something else.
    if (line.size() > kMaxCommandLineChars)
        return false;
    std::vector<wchar_t> commandLine(line.begin(), line.end());
    commandLine.push_back(L'\0');
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(interpreter.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &info))
        return false;
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    // Our copy of the write end must go, or the read below never sees the end of the output.
    writeEnd.Reset();
    input.Reset();
    handlesGuard.unlock();

    // The bytes are converted once at the end: a double-byte character of the ANSI code page may
    // be split between two chunks.
    std::string bytes;
    std::vector<char> chunk(kPipeBufferBytes);
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(readEnd.Get(), chunk.data(), kMaxReadBytes, &read, nullptr))
            break;
        if (read == 0)
            continue;
        bytes.append(chunk.data(), read);
        ::Sleep(kReadPauseMs);
    }
    readEnd.Reset();
    (void)::WaitForSingleObject(process.Get(), INFINITE);
    output += MultiByteToWide(bytes, CP_ACP);
    return true;
}

} // namespace tsu
