#include "tests/app/ToolProcess.h"

#include "tests/common/TestProcess.h"

#include <tlhelp32.h>

namespace tsu::test {

namespace {

struct ControlSearch {
    DWORD processId;
    UINT id;
    HWND found = nullptr;
};

BOOL CALLBACK FindInChildren(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<ControlSearch*>(lp);
    if (static_cast<UINT>(::GetDlgCtrlID(hwnd)) == search->id && ::IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindInTopLevel(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<ControlSearch*>(lp);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->processId || !::IsWindowVisible(hwnd))
        return TRUE;
    ::EnumChildWindows(hwnd, &FindInChildren, lp);
    return search->found ? FALSE : TRUE;
}

} // namespace

ToolProcess::ToolProcess(const std::wstring& name, FeedbackKind library, const std::wstring& programName)
    : m_folder(MakeFeedbackFolder(name, library)), m_programName(programName) {
    ::CopyFileW((BinDir() + L"TarrowSoftwareUninstall.exe").c_str(), ProgramPath().c_str(), FALSE);
}

ToolProcess::~ToolProcess() {
    if (m_process && !HasExited())
        ::TerminateProcess(m_process.Get(), 99);
    if (m_process)
        ::WaitForSingleObject(m_process.Get(), 5000);
}

bool ToolProcess::WriteFile(const std::wstring& relativePath, const std::string& bytes) {
    const size_t slash = relativePath.find_last_of(L'\\');
    if (slash != std::wstring::npos)
        ::CreateDirectoryW((m_folder + relativePath.substr(0, slash)).c_str(), nullptr);
    return WriteFileBytes(m_folder + relativePath, bytes);
}

bool ToolProcess::Start(const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + ProgramPath() + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(ProgramPath().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          m_folder.c_str(), &startup, &info))
        return false;
    ::CloseHandle(info.hThread);
    m_process.Reset(info.hProcess);
    m_processId = info.dwProcessId;
    return true;
}

bool ToolProcess::HasExited() const {
    return ::WaitForSingleObject(m_process.Get(), 0) == WAIT_OBJECT_0;
}

std::optional<DWORD> ToolProcess::WaitForExit(DWORD timeoutMs) {
    if (::WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    ::GetExitCodeProcess(m_process.Get(), &code);
    return code;
}

HWND ToolProcess::FindControl(UINT id) const {
    ControlSearch search{m_processId, id};
    ::EnumWindows(&FindInTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool ToolProcess::WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (::GetTickCount() - start > timeoutMs)
            return false;
        // Wakes at once when the tool ends; otherwise looks again in 50 ms (a window appearing in
        // another process announces itself to nobody).
        if (::WaitForSingleObject(m_process.Get(), 50) == WAIT_OBJECT_0)
            return condition();
    }
}

HWND ToolProcess::WaitForControl(UINT id, DWORD timeoutMs) {
    HWND found = nullptr;
    (void)WaitUntil([&] { return (found = FindControl(id)) != nullptr; }, timeoutMs);
    return found;
}

std::wstring ToolProcess::TextOf(HWND window) {
    wchar_t text[512] = {};
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                               &copied))
        return std::wstring();
    return std::wstring(text, wcsnlen(text, 512));
}

void ToolProcess::Press(HWND control) {
    HWND parent = ::GetParent(control);
    ::PostMessageW(parent, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), BN_CLICKED),
                   reinterpret_cast<LPARAM>(control));
}

std::wstring ToolProcess::PromptText() const {
    HWND message = FindPrompt();
    return message ? TextOf(message) : std::wstring();
}

void ToolProcess::PressPromptButton(UINT id) const {
    HWND message = FindPrompt();
    if (!message)
        return;
    HWND child = ::GetParent(message);
    ::PostMessageW(child, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(child, id)));
}

bool ToolProcess::AnswerFeedbackQuestion(DWORD timeoutMs) {
    HWND close = WaitForControl(1002, timeoutMs); // the feedback dialog's close button
    if (!close)
        return false;
    Press(close);
    return true;
}

std::vector<UniqueHandle> ChildProcessesOf(DWORD processId) {
    std::vector<UniqueHandle> children;
    UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return children;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ParentProcessID != processId)
            continue;
        UniqueHandle child(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (child)
            children.push_back(std::move(child));
    }
    return children;
}

} // namespace tsu::test
