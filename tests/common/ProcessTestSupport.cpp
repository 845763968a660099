#include "tests/common/ProcessTestSupport.h"

#include <algorithm>
#include <atomic>
#include <sstream>
#include <string>
#include <vector>

namespace tsu::test {

namespace {
std::atomic<unsigned> g_nameCounter{0};

// A name no other object of this test program has: tsuproc_<tag>_<pid>_<n>.
std::wstring FreshName(const std::wstring& tag) {
    return L"tsuproc_" + tag + L"_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
           std::to_wstring(++g_nameCounter);
}

// Moves what the pipe holds now into sink without blocking; false once every writer has closed it
// and it is empty.
bool TakeAvailable(HANDLE pipe, std::string& sink) {
    DWORD available = 0;
    if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr))
        return false;
    if (available > 0) {
        const size_t before = sink.size();
        sink.resize(before + available);
        DWORD read = 0;
        if (!::ReadFile(pipe, sink.data() + before, available, &read, nullptr))
            read = 0;
        sink.resize(before + read);
    }
    return true;
}
} // namespace

std::wstring BinFile(const std::wstring& name) { return BinDir() + name; }

std::wstring HelperPath() { return BinFile(L"tsu_process_helper.exe"); }

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

std::wstring UniqueName(const std::wstring& tag) { return tag + L"_" + std::to_wstring(::GetCurrentProcessId()); }

ScratchFolder::ScratchFolder(const std::wstring& tag) : m_path(L"C:\\" + FreshName(tag) + L"\\") {
    (void)::CreateDirectoryW(m_path.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { RemoveTree(m_path); }

std::vector<std::wstring> ScratchFolder::Names() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    UniqueFindHandle find(::FindFirstFileW((m_path + L"*").c_str(), &data));
    if (find) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(data.cFileName);
        } while (::FindNextFileW(find.Get(), &data));
    }
    std::sort(names.begin(), names.end());
    return names;
}

NamedEvent::NamedEvent(const std::wstring& tag)
    : m_name(FreshName(tag)), m_event(::CreateEventW(nullptr, TRUE, FALSE, m_name.c_str())) {}

void NamedEvent::Set() const { (void)::SetEvent(m_event.Get()); }

bool NamedEvent::WaitFor(DWORD ms) const { return ::WaitForSingleObject(m_event.Get(), ms) == WAIT_OBJECT_0; }

std::wstring ReadUtf16File(const std::wstring& path) {
    const std::string bytes = ReadFileBytes(path);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

bool CopyProgram(const std::wstring& from, const std::wstring& to) {
    return ::CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

std::vector<DWORD> ReadRecordedIds(const std::wstring& path) {
    std::vector<DWORD> ids;
    std::istringstream lines(ReadFileBytes(path));
    for (DWORD id = 0; lines >> id;)
        ids.push_back(id);
    return ids;
}

bool IsRunning(DWORD processId) {
    UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    return process && ::WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

bool WaitForExit(DWORD processId, DWORD ms) {
    UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    return !process || ::WaitForSingleObject(process.Get(), ms) == WAIT_OBJECT_0;
}

void EndProcess(DWORD processId) {
    UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
    if (!process)
        return;
    (void)::TerminateProcess(process.Get(), 1);
    (void)::WaitForSingleObject(process.Get(), kMustHappenMs);
}

void EndRecordedProcesses(const std::wstring& recordFile) {
    for (DWORD id : ReadRecordedIds(recordFile))
        EndProcess(id);
}

UniqueHandle StartProcess(const std::wstring& commandLine, DWORD* processId) {
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return UniqueHandle();
    ::CloseHandle(info.hThread);
    if (processId)
        *processId = info.dwProcessId;
    return UniqueHandle(info.hProcess);
}

DWORD RunToEnd(const std::wstring& commandLine, DWORD ms) {
    UniqueHandle process = StartProcess(commandLine);
    if (!process || ::WaitForSingleObject(process.Get(), ms) != WAIT_OBJECT_0)
        return ~0u;
    DWORD code = ~0u;
    return ::GetExitCodeProcess(process.Get(), &code) ? code : ~0u;
}

bool EnsureDesktopProcess() {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    UniqueFileHandle nul(::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       &inheritable, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!nul)
        return false;
    std::wstring line = Quoted(HelperPath()) + L" --desktop";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul.Get();
    startup.hStdOutput = nul.Get();
    startup.hStdError = nul.Get();
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr, &startup,
                          &info))
        return false;
    ::CloseHandle(info.hThread);
    UniqueHandle process(info.hProcess);
    DWORD code = ~0u;
    return ::WaitForSingleObject(process.Get(), kMustHappenMs) == WAIT_OBJECT_0 &&
           ::GetExitCodeProcess(process.Get(), &code) && code == 0;
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::wstring name, const std::wstring& value)
    : m_name(std::move(name)) {
    (void)::SetEnvironmentVariableW(m_name.c_str(), value.c_str());
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() { (void)::SetEnvironmentVariableW(m_name.c_str(), nullptr); }

ScopedCurrentFolder::ScopedCurrentFolder(const std::wstring& folder) {
    wchar_t previous[MAX_PATH] = {};
    if (::GetCurrentDirectoryW(MAX_PATH, previous) > 0 && ::SetCurrentDirectoryW(folder.c_str()))
        m_previous = previous;
}

ScopedCurrentFolder::~ScopedCurrentFolder() {
    if (!m_previous.empty())
        (void)::SetCurrentDirectoryW(m_previous.c_str());
}

ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs) {
    ProcessResult result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueHandle outRead, outWrite, errRead, errWrite;
    if (!::CreatePipe(outRead.Put(), outWrite.Put(), &inherit, 0) ||
        !::CreatePipe(errRead.Put(), errWrite.Put(), &inherit, 0))
        return result;
    ::SetHandleInformation(outRead.Get(), HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(errRead.Get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = outWrite.Get();
    startup.hStdError = errWrite.Get();
    PROCESS_INFORMATION info{};
    std::wstring mutableLine = commandLine;
    if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &info))
        return result;
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    result.started = true;
    outWrite.Reset();
    errWrite.Reset();

    // Reading to the end of the pipes is not enough: a child that is the first in the prefix to
    // need the desktop starts Wine's explorer.exe, which inherits the pipes and keeps them open.
    // So the output is taken while it comes, and the child's exit (then one last drain) ends it.
    constexpr DWORD kPollMs = 20;
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    bool exited = false;
    for (;;) {
        const bool outOpen = TakeAvailable(outRead.Get(), result.out);
        const bool errOpen = TakeAvailable(errRead.Get(), result.err);
        if (exited || (!outOpen && !errOpen))
            break;
        if (::GetTickCount64() >= deadline) {
            ::TerminateProcess(process.Get(), STILL_ACTIVE);
            break;
        }
        const DWORD wait = ::WaitForSingleObject(process.Get(), kPollMs);
        if (wait == WAIT_FAILED)
            break; // no process to follow (a host program under Wine): see RunHostProgramUntil
        exited = wait == WAIT_OBJECT_0;
    }
    const ULONGLONG now = ::GetTickCount64();
    if (::WaitForSingleObject(process.Get(), now < deadline ? static_cast<DWORD>(deadline - now) : 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process.Get(), STILL_ACTIVE);
        (void)::WaitForSingleObject(process.Get(), INFINITE);
    }
    ::GetExitCodeProcess(process.Get(), &result.exitCode);
    return result;
}

bool RunHostProgramUntil(const std::wstring& commandLine, const std::wstring& watchedFolder,
                         const std::function<bool()>& done, DWORD timeoutMs) {
    // Watched before the start, so a change that comes at once is not missed.
    const UniqueChangeNotification change(::FindFirstChangeNotificationW(
        watchedFolder.c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring mutableLine = commandLine;
    if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &info))
        return false;
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);

    // Without a notification (a folder Wine cannot watch) the effect is looked for every 20 ms.
    constexpr DWORD kFallbackPollMs = 20;
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (done())
            return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline)
            return false;
        const DWORD remaining = static_cast<DWORD>(deadline - now);
        if (!change) {
            ::Sleep(std::min(remaining, kFallbackPollMs));
            continue;
        }
        if (::WaitForSingleObject(change.Get(), remaining) == WAIT_OBJECT_0)
            (void)::FindNextChangeNotification(change.Get());
    }
}

std::wstring BinDir() { return std::wstring(TSU_TEST_BIN_DIR) + L"\\"; }

std::wstring MakeScratchFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"tsu-" + name + L"-" + std::to_wstring(::GetCurrentProcessId());
    RemoveTree(folder);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\";
}

bool RemoveTree(const std::wstring& folder) {
    std::wstring base = folder;
    if (!base.empty() && base.back() == L'\\')
        base.pop_back();
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search(::FindFirstFileW((base + L"\\*").c_str(), &found));
    if (search) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = base + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(search.Get(), &found));
    }
    search.Reset();
    ::RemoveDirectoryW(base.c_str());
    return ::GetFileAttributesW(base.c_str()) == INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::wstring& path) {
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    if (!file)
        return bytes;
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    UniqueFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

} // namespace tsu::test
