#pragma once
// The real TarrowSoftwareUninstall.exe, copied with a feedback library into a scratch folder and
// driven from outside: windows found by control id, texts read and buttons pressed with messages
// across the process boundary, as a user's clicks end up.

#include "framework/ScopedHandles.h"
#include "tests/app/AppTestSupport.h"

#include <optional>

namespace tsu::test {

class ToolProcess {
public:
    ToolProcess(const std::wstring& name, FeedbackKind library,
                const std::wstring& programName = L"TarrowSoftwareUninstall.exe");
    ~ToolProcess(); // ends a tool still running

    [[nodiscard]] const std::wstring& Folder() const { return m_folder; }
    [[nodiscard]] std::wstring ProgramPath() const { return m_folder + m_programName; }
    [[nodiscard]] bool Start();
    // The exit code, or nothing on timeout.
    [[nodiscard]] std::optional<DWORD> WaitForExit(DWORD timeoutMs = kMustHappenMs);
    [[nodiscard]] DWORD ProcessId() const { return m_processId; }
    [[nodiscard]] HANDLE Process() const { return m_process.Get(); }
    // The first visible window of the tool with this control id (any depth), or null.
    [[nodiscard]] HWND FindControl(UINT id) const;
    // Waits while the tool runs until condition holds (a window appearing in another process
    // announces itself to nobody: looked for every 50 ms).
    [[nodiscard]] bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kMustHappenMs);
    [[nodiscard]] HWND WaitForControl(UINT id);
    [[nodiscard]] std::wstring PromptText() const;
    // BN_CLICKED posted from the control to its parent.
    static void Press(HWND control);
    [[nodiscard]] static std::wstring TextOf(HWND window);
    // Waits until every child process of the tool (its browser, its self-removal) has ended.
    [[nodiscard]] bool WaitForChildren() const;

private:
    std::wstring m_folder;
    std::wstring m_programName;
    UniqueHandle m_process;
    DWORD m_processId = 0;
};

} // namespace tsu::test
