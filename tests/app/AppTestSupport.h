#pragma once

#include "app/CPromptDlg.h"
#include "framework/CDialog.h"
#include "framework/CWnd.h"
#include "inventory/InventorySequence.h"
#include "tests/common/ProcessTestSupport.h"
#include "tests/common/ScratchKey.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tsu::test {

// Xvfb has no window manager, and Wine waits two seconds for one whenever a managed window is
// hidden: the windows of programName stay unmanaged (read when its display driver starts).
void UseUnmanagedWindows(const std::wstring& programName);
[[nodiscard]] std::wstring ToolLogText(); // both files of the log's rotation

enum class FeedbackKind { Real, FakeFull, FakePartial, None };
// A fresh scratch folder (ending in "\") holding VeltorFeedbackInformation.dll of the given kind.
[[nodiscard]] std::wstring MakeFeedbackFolder(const std::wstring& name, FeedbackKind kind);
// Points the stand-in library's call log at logPath (deleted first) and sets its answers.
void ConfigureFakeFeedback(const std::wstring& logPath, int initResult = 1, int versionResult = 1);
[[nodiscard]] std::vector<std::wstring> ReadFakeFeedbackLog(const std::wstring& logPath); // "Name|arg|..."

// Runs action once on this thread, from inside whatever message loop runs, as soon as ready()
// holds (polled by a thread timer); gives up silently after the timeout.
class WhenReady {
public:
    WhenReady(std::function<bool()> ready, std::function<void()> action, DWORD timeoutMs = 10000);
    ~WhenReady();
    WhenReady(const WhenReady&) = delete;
    WhenReady& operator=(const WhenReady&) = delete;
    [[nodiscard]] bool Ran() const { return m_ran; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
    std::function<bool()> m_ready;
    std::function<void()> m_action;
    UINT_PTR m_timer = 0;
    DWORD m_deadline = 0;
    bool m_ran = false;
};

// Answers the prompts that open on this thread while it lives: each gets the next planned answer,
// or its close button when the plan is used up. Keeps what each said.
class PromptAnswerer {
public:
    enum Answer { First, Second, Close };
    PromptAnswerer();
    ~PromptAnswerer();
    void Plan(std::vector<Answer> answers) { m_plan = std::move(answers); }
    std::vector<std::wstring> texts;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    UINT_PTR m_timer = 0;
    std::vector<Answer> m_plan;
    std::vector<HWND> m_handled; // by window: the next prompt may be a new object at the same address
    bool m_busy = false;
};

[[nodiscard]] RECT RectOf(HWND window);                        // on the screen
bool SaveWindowAreaPng(HWND window, const std::wstring& name); // <screenshots>\<name>.png
void ClickButton(HWND dialog, UINT id);                        // BN_CLICKED from the dialog's button, as a click ends
[[nodiscard]] bool KeyIsSwallowed(HWND window, WPARAM key);    // by the framework's message loops
// Runs a modal dialog, action once child() is visible; -2 when the action did not run or did not end
// the dialog (it is then ended after a while).
INT_PTR RunModal(CDialog& dialog, const std::function<HWND()>& child, const std::function<void()>& action);

// The first visible top-level window of this thread whose bound object is a T, or null.
template <typename T> T* FindShownDialog() {
    T* found = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto& found = *reinterpret_cast<T**>(lp);
            if (::IsWindowVisible(hwnd))
                found = dynamic_cast<T*>(CWnd::FromHandlePermanent(hwnd));
            return found == nullptr;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace tsu::test
