#pragma once
// What the application's window tests and end-to-end tests share: Wine set up so that closing a
// window does not wait for a window manager, scratch folders with the real or a stand-in feedback
// library, an answering machine for prompts, and screenshots of screen areas.

#include "app/CPromptDlg.h"
#include "inventory/InventorySequence.h"
#include "tests/common/ProcessTestSupport.h"
#include "tests/common/ScratchKey.h"
#include "framework/ScopedHandles.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tsu::test {

// Tells Wine's X11 driver to leave the windows of programName unmanaged. Xvfb has no window
// manager, and Wine waits two seconds for one whenever a managed window (an activated one, every
// modal dialog) is hidden. Read when the program's display driver starts, so it is set for the
// test program before its first window, and for the tool before it is started.
void UseUnmanagedWindows(const std::wstring& programName);

// The tool's log file and what it holds now (both files of its rotation), as UTF-16.
[[nodiscard]] std::wstring ToolLogText();

enum class FeedbackKind { Real, FakeFull, FakePartial, None };
// A fresh scratch folder (ending in "\") holding VeltorFeedbackInformation.dll of the given kind.
[[nodiscard]] std::wstring MakeFeedbackFolder(const std::wstring& name, FeedbackKind kind);
// Points the stand-in library's call log at path (deleted first) and sets its answers.
void ConfigureFakeFeedback(const std::wstring& logPath, int initResult = 1, int versionResult = 1);
// The stand-in's calls, one "Name|arg|..." entry per call.
[[nodiscard]] std::vector<std::wstring> ReadFakeFeedbackLog(const std::wstring& logPath);

// Answers the prompts that open on this thread while it runs (a thread timer watches for them):
// each prompt gets the next planned answer, or IDCANCEL through its close button when the plan
// is used up. What each prompt said is kept.
class PromptAnswerer {
public:
    enum Answer { First, Second, Close };
    struct SeenPrompt {
        std::wstring text;
        int style = 0;
        HWND owner = nullptr;
    };

    PromptAnswerer();
    ~PromptAnswerer();
    PromptAnswerer(const PromptAnswerer&) = delete;
    PromptAnswerer& operator=(const PromptAnswerer&) = delete;

    void Plan(std::vector<Answer> answers) { m_plan = std::move(answers); }
    // Called with each prompt before it is answered (screenshots, checks).
    std::function<void(CPromptDlg&)> onPrompt;
    [[nodiscard]] const std::vector<SeenPrompt>& Seen() const { return m_seen; }
    [[nodiscard]] std::vector<std::wstring> Texts() const;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Poll();

    UINT_PTR m_timer = 0;
    std::vector<Answer> m_plan;
    size_t m_next = 0;
    std::vector<SeenPrompt> m_seen;
    std::vector<HWND> m_handled;
    bool m_busy = false;
};

// Saves what the screen shows in rect (screen coordinates) as <screenshots>\<name>.png.
bool SaveScreenPng(const RECT& rect, const std::wstring& name);
// The screen area of a window and the windows it owns (a layered host with its child).
bool SaveWindowAreaPng(HWND window, const std::wstring& name);

// Clicks a button of a dialog the way a user's click ends: BN_CLICKED from the button.
void ClickButton(HWND dialog, UINT id);

} // namespace tsu::test

namespace tsu::test {

// Runs action once on this thread, from inside whatever message loop runs (a modal dialog's), as
// soon as ready() holds; polled by a thread timer every 10 ms. Gives up silently after the
// timeout (the test's own checks then fail).
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

// Whether the framework's message loops would swallow this key aimed at window (the chain of
// PreTranslateMessage from the window up through its parents and owners).
[[nodiscard]] bool KeyIsSwallowed(HWND window, WPARAM key);

} // namespace tsu::test

#include "framework/CWnd.h"

namespace tsu::test {

// The first visible top-level window of this thread whose bound object is a T, or null.
template <typename T> T* FindShownDialog() {
    struct Search {
        T* found = nullptr;
    } search;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            if (!::IsWindowVisible(hwnd))
                return TRUE;
            if (auto* object = dynamic_cast<T*>(CWnd::FromHandlePermanent(hwnd))) {
                s->found = object;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Where a test's tool reads its programs: scratch keys below HKCU, removed with the object.
class ScratchInventory {
public:
    explicit ScratchInventory(const std::wstring& name);
    [[nodiscard]] InventoryLocations Locations() const;
    // Adds an uninstall entry under the key name; empty values are left out.
    void AddProgram(const std::wstring& keyName, const std::wstring& displayName, const std::wstring& version,
                    const std::wstring& uninstallString, const std::wstring& displayIcon = L"",
                    uint32_t estimatedSizeKb = 0);
    [[nodiscard]] ScratchKey& Uninstall() { return m_uninstall; }

private:
    std::wstring m_base;
    ScratchKey m_products;
    ScratchKey m_uninstall;
};

} // namespace tsu::test
