#include "tests/app/ToolProcess.h"

#include "res/ResourceIds.h"
#include "tests/common/TestProcess.h"

#include <tlhelp32.h>

namespace tsu::test {

ToolProcess::ToolProcess(const std::wstring& name, FeedbackKind library, const std::wstring& programName)
    : m_folder(MakeFeedbackFolder(name, library)), m_programName(programName) {
    ::CopyFileW((BinDir() + L"TarrowSoftwareUninstall.exe").c_str(), ProgramPath().c_str(), FALSE);
}

ToolProcess::~ToolProcess() {
    if (m_process && ::WaitForSingleObject(m_process.Get(), 0) != WAIT_OBJECT_0)
        ::TerminateProcess(m_process.Get(), 99);
    if (m_process)
        ::WaitForSingleObject(m_process.Get(), 5000);
}

bool ToolProcess::Start() {
    const ScopedCurrentFolder inFolder(m_folder); // started from its own folder
    m_process = StartProcess(Quoted(ProgramPath()), &m_processId);
    return static_cast<bool>(m_process);
}

std::optional<DWORD> ToolProcess::WaitForExit(DWORD timeoutMs) {
    DWORD code = 0;
    if (::WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(m_process.Get(), &code))
        return std::nullopt;
    return code;
}

HWND ToolProcess::FindControl(UINT id) const {
    struct Search {
        DWORD processId;
        UINT id;
        HWND found;
    } search{m_processId, id, nullptr};
    ::EnumWindows(
        [](HWND top, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(top, &owner);
            if (owner == s->processId && ::IsWindowVisible(top))
                ::EnumChildWindows(
                    top,
                    [](HWND hwnd, LPARAM lp2) -> BOOL {
                        auto* s2 = reinterpret_cast<Search*>(lp2);
                        if (static_cast<UINT>(::GetDlgCtrlID(hwnd)) == s2->id && ::IsWindowVisible(hwnd))
                            s2->found = hwnd;
                        return s2->found == nullptr;
                    },
                    lp);
            return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool ToolProcess::WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    for (const DWORD start = ::GetTickCount(); !condition();) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        if (::WaitForSingleObject(m_process.Get(), 50) == WAIT_OBJECT_0) // wakes at once when the tool ends
            return condition();
    }
    return true;
}

HWND ToolProcess::WaitForControl(UINT id) {
    HWND found = nullptr;
    (void)WaitUntil([&] { return (found = FindControl(id)) != nullptr; });
    return found;
}

std::wstring ToolProcess::PromptText() const {
    HWND message = FindControl(IDC_PROMPT_MESSAGE);
    return message ? TextOf(message) : std::wstring();
}

void ToolProcess::Press(HWND control) {
    ::PostMessageW(::GetParent(control), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), BN_CLICKED),
                   reinterpret_cast<LPARAM>(control));
}

std::wstring ToolProcess::TextOf(HWND window) {
    wchar_t text[512] = {};
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                               &copied))
        return std::wstring();
    return std::wstring(text, wcsnlen(text, 512));
}

bool ToolProcess::WaitForChildren() const {
    UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool found = false, ended = true;
    for (BOOL more = snapshot && ::Process32FirstW(snapshot.Get(), &entry); more;
         more = ::Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ParentProcessID != m_processId)
            continue;
        found = true;
        const UniqueHandle child(::OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID));
        ended = ended && (!child || ::WaitForSingleObject(child.Get(), 20000) == WAIT_OBJECT_0);
    }
    return found && ended;
}

} // namespace tsu::test
