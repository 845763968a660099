#include "tests/common/ProcessTestSupport.h"

#include "tests/common/TestProcess.h"

#include <algorithm>
#include <atomic>
#include <sstream>
#include <string>

namespace tsu::test {

namespace {
std::atomic<unsigned> g_nameCounter{0};

// A name no other object of this test program has: tsuproc_<tag>_<pid>_<n>.
std::wstring FreshName(const std::wstring& tag) {
    return L"tsuproc_" + tag + L"_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
           std::to_wstring(++g_nameCounter);
}
} // namespace

std::wstring BinFile(const std::wstring& name) {
    return BinDir() + name;
}

std::wstring HelperPath() {
    return BinFile(L"tsu_process_helper.exe");
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

std::wstring UniqueName(const std::wstring& tag) {
    return tag + L"_" + std::to_wstring(::GetCurrentProcessId());
}

ScratchFolder::ScratchFolder(const std::wstring& tag) : m_path(L"C:\\" + FreshName(tag) + L"\\") {
    (void)::CreateDirectoryW(m_path.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(m_path);
}

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

void NamedEvent::Set() const {
    (void)::SetEvent(m_event.Get());
}

bool NamedEvent::WaitFor(DWORD ms) const {
    return ::WaitForSingleObject(m_event.Get(), ms) == WAIT_OBJECT_0;
}

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

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
    (void)::SetEnvironmentVariableW(m_name.c_str(), nullptr);
}

ScopedCurrentFolder::ScopedCurrentFolder(const std::wstring& folder) {
    wchar_t previous[MAX_PATH] = {};
    if (::GetCurrentDirectoryW(MAX_PATH, previous) > 0 && ::SetCurrentDirectoryW(folder.c_str()))
        m_previous = previous;
}

ScopedCurrentFolder::~ScopedCurrentFolder() {
    if (!m_previous.empty())
        (void)::SetCurrentDirectoryW(m_previous.c_str());
}

} // namespace tsu::test
