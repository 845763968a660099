#include "tests/app/AppTestSupport.h"

#include "framework/CMemoryCanvas.h"
#include "framework/Encoding.h"
#include "framework/ScopedHandles.h"
#include "res/ResourceIds.h"
#include "tests/common/TestSupport.h"

#include <richedit.h>
#include <shlobj.h>

#include <algorithm>

namespace tsu::test {
namespace {

// Before main: unmanaged from the first window on, and what the tool's application object starts
// before any window (GDI+, the terms viewer's rich-edit class).
struct UnmanagedAtStart {
    UnmanagedAtStart() {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        UseUnmanagedWindows(std::wcsrchr(path, L'\\') ? std::wcsrchr(path, L'\\') + 1 : path);
        (void)EnsureGdiplus();
        (void)::LoadLibraryW(L"riched20.dll");
    }
} g_unmanagedAtStart;

PromptAnswerer* g_answerer = nullptr;
std::vector<WhenReady*> g_whenReady;

} // namespace

void UseUnmanagedWindows(const std::wstring& programName) {
    static const wchar_t kNo[] = L"N";
    ::RegSetKeyValueW(HKEY_CURRENT_USER, (L"Software\\Wine\\AppDefaults\\" + programName + L"\\X11 Driver").c_str(),
                      L"Managed", REG_SZ, kNo, sizeof kNo);
}

std::wstring ToolLogText() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, folder)))
        return std::wstring();
    const std::wstring path = std::wstring(folder) + L"\\ToolLog\\软件卸载工具.txt";
    return FromCp936(ReadFileBytes(path + L"bak")) + FromCp936(ReadFileBytes(path));
}

std::wstring MakeFeedbackFolder(const std::wstring& name, FeedbackKind kind) {
    const std::wstring folder = MakeScratchFolder(name);
    const wchar_t* const sources[] = {L"VeltorFeedbackInformation.dll", L"tsu_fake_feedback_full.dll",
                                      L"tsu_fake_feedback_partial.dll"};
    if (kind != FeedbackKind::None)
        ::CopyFileW((BinDir() + sources[static_cast<int>(kind)]).c_str(),
                    (folder + L"VeltorFeedbackInformation.dll").c_str(), FALSE);
    return folder;
}

void ConfigureFakeFeedback(const std::wstring& logPath, int initResult, int versionResult) {
    ::DeleteFileW(logPath.c_str());
    ::SetEnvironmentVariableW(L"TSU_FAKE_FEEDBACK_LOG", logPath.c_str());
    ::SetEnvironmentVariableW(L"TSU_FAKE_FEEDBACK_INIT", std::to_wstring(initResult).c_str());
    ::SetEnvironmentVariableW(L"TSU_FAKE_FEEDBACK_VERSION", std::to_wstring(versionResult).c_str());
}

std::vector<std::wstring> ReadFakeFeedbackLog(const std::wstring& logPath) {
    const std::wstring text = MultiByteToWide(ReadFileBytes(logPath), CP_UTF8);
    std::vector<std::wstring> lines;
    for (size_t start = 0, end = 0; start < text.size(); start = end + 1)
        if ((end = std::min(text.find(L'\n', start), text.size())) > start)
            lines.push_back(text.substr(start, end - start));
    return lines;
}

WhenReady::WhenReady(std::function<bool()> ready, std::function<void()> action, DWORD timeoutMs)
    : m_ready(std::move(ready)), m_action(std::move(action)), m_deadline(::GetTickCount() + timeoutMs) {
    g_whenReady.push_back(this);
    m_timer = ::SetTimer(nullptr, 0, 10, &WhenReady::OnTimer);
}

WhenReady::~WhenReady() {
    if (m_timer)
        ::KillTimer(nullptr, m_timer);
    g_whenReady.erase(std::remove(g_whenReady.begin(), g_whenReady.end(), this), g_whenReady.end());
}

void CALLBACK WhenReady::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    for (WhenReady* waiter : std::vector<WhenReady*>(g_whenReady)) {
        const bool expired = static_cast<LONG>(::GetTickCount() - waiter->m_deadline) > 0;
        if (waiter->m_timer != id || (!expired && !waiter->m_ready()))
            continue;
        ::KillTimer(nullptr, waiter->m_timer);
        waiter->m_timer = 0;
        if ((waiter->m_ran = !expired))
            waiter->m_action();
    }
}

PromptAnswerer::PromptAnswerer() : m_timer(::SetTimer(nullptr, 0, 15, &PromptAnswerer::OnTimer)) {
    g_answerer = this;
}

PromptAnswerer::~PromptAnswerer() {
    ::KillTimer(nullptr, m_timer), g_answerer = nullptr;
}

void CALLBACK PromptAnswerer::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    PromptAnswerer* self = g_answerer;
    if (!self || self->m_busy)
        return;
    self->m_busy = true;
    for (CPromptDlg* prompt : CPromptDlg::OpenPrompts()) {
        HWND host = prompt->GetSafeHwnd(), child = prompt->Child().GetSafeHwnd();
        if (!host || !child || !::IsWindowVisible(host) ||
            std::find(self->m_handled.begin(), self->m_handled.end(), host) != self->m_handled.end())
            continue;
        self->m_handled.push_back(host);
        self->texts.push_back(prompt->GetText());
        const size_t n = self->texts.size();
        const Answer answer = n <= self->m_plan.size() ? self->m_plan[n - 1] : Close;
        ClickButton(child, answer == First    ? IDC_PROMPT_FIRST
                           : answer == Second ? IDC_PROMPT_SECOND
                                              : IDC_CLOSE_BUTTON);
    }
    self->m_busy = false;
}

RECT RectOf(HWND window) {
    RECT rect{};
    return ::GetWindowRect(window, &rect), rect;
}

bool SaveWindowAreaPng(HWND window, const std::wstring& name) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const RECT rect = RectOf(window);
    CMemoryCanvas canvas;
    if (!window || rect.right <= rect.left || rect.bottom <= rect.top ||
        !canvas.CreateDib32(rect.right - rect.left, rect.bottom - rect.top))
        return false;
    PumpPending();
    UniqueWindowDc screen(nullptr);
    return screen &&
           ::BitBlt(canvas.Dc(), 0, 0, rect.right - rect.left, rect.bottom - rect.top, screen.Get(), rect.left,
                    rect.top, SRCCOPY) &&
           SaveCanvasPng(canvas, name);
}

void ClickButton(HWND dialog, UINT id) {
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, static_cast<int>(id))));
}

bool KeyIsSwallowed(HWND window, WPARAM key) {
    MSG msg{window, WM_KEYDOWN, key, 1, 0, {}};
    return CWnd::WalkPreTranslateTree(&msg);
}

INT_PTR RunModal(CDialog& dialog, const std::function<HWND()>& child, const std::function<void()>& action) {
    const WhenReady act([&] { return dialog.GetSafeHwnd() && ::IsWindowVisible(child()); }, action);
    const DWORD giveUp = ::GetTickCount() + 20000;
    bool forced = false;
    const WhenReady fallback([&] { return static_cast<LONG>(::GetTickCount() - giveUp) > 0; },
                             [&] { forced = true, dialog.EndDialog(IDCANCEL); }, 40000);
    const INT_PTR result = dialog.DoModal();
    return forced || !act.Ran() ? -2 : result;
}

} // namespace tsu::test
