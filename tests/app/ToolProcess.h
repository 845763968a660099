#pragma once
// The real TarrowSoftwareUninstall.exe, copied with a feedback library into a scratch folder and
// driven from outside: its windows found by control id, texts read and buttons pressed with
// messages across the process boundary, as a user's clicks end up.

#include "framework/ScopedHandles.h"
#include "tests/app/AppTestSupport.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tsu::test {

class ToolProcess {
public:
    // A scratch folder with the executable (under programName) and a library of the given kind.
    ToolProcess(const std::wstring& name, FeedbackKind library,
                const std::wstring& programName = L"TarrowSoftwareUninstall.exe");
    ~ToolProcess();
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;

    [[nodiscard]] const std::wstring& Folder() const { return m_folder; }
    [[nodiscard]] std::wstring ProgramPath() const { return m_folder + m_programName; }
    bool WriteFile(const std::wstring& relativePath, const std::string& bytes);

    [[nodiscard]] bool Start(const std::wstring& arguments = L"");
    [[nodiscard]] bool HasExited() const;
    // Waits for the end; the exit code, or nothing on timeout.
    [[nodiscard]] std::optional<DWORD> WaitForExit(DWORD timeoutMs);
    [[nodiscard]] DWORD ProcessId() const { return m_processId; }
    [[nodiscard]] HANDLE Process() const { return m_process.Get(); }

    // The first visible window of the tool with this control id (any depth), or null.
    [[nodiscard]] HWND FindControl(UINT id) const;
    // Waits until FindControl(id) finds one (or the process ends); null on timeout.
    [[nodiscard]] HWND WaitForControl(UINT id, DWORD timeoutMs);
    // Waits until condition holds while the tool runs, checking every 50 ms.
    [[nodiscard]] bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

    // The prompt on screen now: its text; its buttons pressed as BN_CLICKED reaches the child.
    [[nodiscard]] HWND FindPrompt() const { return FindControl(1006); }
    [[nodiscard]] std::wstring PromptText() const;
    void PressPromptButton(UINT id) const;
    // Answers the closing question with its close button once it shows.
    [[nodiscard]] bool AnswerFeedbackQuestion(DWORD timeoutMs);

    [[nodiscard]] static std::wstring TextOf(HWND window);
    static void Press(HWND control);

private:
    std::wstring m_folder;
    std::wstring m_programName;
    UniqueHandle m_process;
    DWORD m_processId = 0;
};

// The processes whose parent is processId, opened for waiting.
[[nodiscard]] std::vector<UniqueHandle> ChildProcessesOf(DWORD processId);

} // namespace tsu::test
