#include "tests/app/AppTestSupport.h"

#include "framework/CMemoryCanvas.h"
#include "framework/Encoding.h"
#include "tests/common/TestProcess.h"
#include "tests/support/TestSupport.h"

#include <shlobj.h>

#include <algorithm>

namespace tsu::test {

namespace {

std::wstring OwnProgramName() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring full = path;
    const size_t slash = full.find_last_of(L'\\');
    return slash == std::wstring::npos ? full : full.substr(slash + 1);
}

// Runs before main: the test program's own windows are unmanaged from its first window on.
struct UnmanagedAtStart {
    UnmanagedAtStart() {
        UseUnmanagedWindows(OwnProgramName());
        // What the tool's application object starts before any window: GDI+ and the rich-edit
        // class of the terms viewer.
        (void)EnsureGdiplus();
        (void)::LoadLibraryW(L"riched20.dll");
    }
} g_unmanagedAtStart;

PromptAnswerer* g_answerer = nullptr;

} // namespace

void UseUnmanagedWindows(const std::wstring& programName) {
    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + programName + L"\\X11 Driver";
    HKEY opened = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) !=
        ERROR_SUCCESS)
        return;
    const UniqueHkey owned(opened);
    static const wchar_t kNo[] = L"N";
    ::RegSetValueExW(owned.Get(), L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(kNo), sizeof kNo);
}

std::wstring MakeFeedbackFolder(const std::wstring& name, FeedbackKind kind) {
    const std::wstring folder = MakeScratchFolder(name);
    const wchar_t* source = nullptr;
    switch (kind) {
    case FeedbackKind::Real:
        source = L"VeltorFeedbackInformation.dll";
        break;
    case FeedbackKind::FakeFull:
        source = L"tsu_fake_feedback_full.dll";
        break;
    case FeedbackKind::FakePartial:
        source = L"tsu_fake_feedback_partial.dll";
        break;
    case FeedbackKind::None:
        break;
    }
    if (source)
        ::CopyFileW((BinDir() + source).c_str(), (folder + L"VeltorFeedbackInformation.dll").c_str(), FALSE);
    return folder;
}

void ConfigureFakeFeedback(const std::wstring& logPath, int initResult, int versionResult) {
    ::DeleteFileW(logPath.c_str());
    ::SetEnvironmentVariableW(L"TSU_FAKE_FEEDBACK_LOG", logPath.c_str());
    ::SetEnvironmentVariableW(L"TSU_FAKE_FEEDBACK_INIT", std::to_wstring(initResult).c_str());
    ::SetEnvironmentVariableW(L"TSU_FAKE_FEEDBACK_VERSION", std::to_wstring(versionResult).c_str());
}

std::vector<std::wstring> ReadFakeFeedbackLog(const std::wstring& logPath) {
    const std::string bytes = ReadFileBytes(logPath);
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        const std::string line = bytes.substr(start, end - start);
        const int length = ::MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
        std::wstring wide(static_cast<size_t>(length), L'\0');
        ::MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(), length);
        if (!wide.empty())
            lines.push_back(wide);
        start = end + 1;
    }
    return lines;
}

PromptAnswerer::PromptAnswerer() {
    g_answerer = this;
    m_timer = ::SetTimer(nullptr, 0, 15, &PromptAnswerer::OnTimer);
}

PromptAnswerer::~PromptAnswerer() {
    if (m_timer)
        ::KillTimer(nullptr, m_timer);
    g_answerer = nullptr;
}

std::vector<std::wstring> PromptAnswerer::Texts() const {
    std::vector<std::wstring> texts;
    for (const SeenPrompt& seen : m_seen)
        texts.push_back(seen.text);
    return texts;
}

void CALLBACK PromptAnswerer::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_answerer)
        g_answerer->Poll();
}

void PromptAnswerer::Poll() {
    if (m_busy)
        return;
    m_busy = true;
    for (CPromptDlg* prompt : CPromptDlg::OpenPrompts()) {
        // Known by its window: the next prompt may be a new object at the same address.
        if (std::find(m_handled.begin(), m_handled.end(), prompt->GetSafeHwnd()) != m_handled.end())
            continue;
        HWND child = prompt->Child().GetSafeHwnd();
        if (!prompt->GetSafeHwnd() || !child || !::IsWindowVisible(prompt->GetSafeHwnd()))
            continue; // not shown yet: next tick
        m_handled.push_back(prompt->GetSafeHwnd());
        m_seen.push_back(
            SeenPrompt{prompt->GetText(), prompt->GetStyle(), ::GetWindow(prompt->GetSafeHwnd(), GW_OWNER)});
        if (onPrompt)
            onPrompt(*prompt);
        const Answer answer = m_next < m_plan.size() ? m_plan[m_next] : Close;
        ++m_next;
        const UINT id = answer == First ? 1007u : answer == Second ? 1008u : 1005u;
        ClickButton(child, id);
    }
    m_busy = false;
}

bool SaveScreenPng(const RECT& rect, const std::wstring& name) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    CMemoryCanvas canvas;
    if (width <= 0 || height <= 0 || !canvas.CreateDib32(width, height))
        return false;
    PumpPending();
    UniqueWindowDc screen(nullptr);
    if (!screen || !::BitBlt(canvas.Dc(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY))
        return false;
    return SaveCanvasPng(canvas, name);
}

bool SaveWindowAreaPng(HWND window, const std::wstring& name) {
    if (!window)
        return false;
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return SaveScreenPng(rect, name);
}

void ClickButton(HWND dialog, UINT id) {
    HWND button = ::GetDlgItem(dialog, static_cast<int>(id));
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

} // namespace tsu::test

namespace tsu::test {

namespace {
std::vector<WhenReady*> g_whenReady;
} // namespace

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
        if (waiter->m_timer != id || waiter->m_ran)
            continue;
        const bool expired = static_cast<LONG>(::GetTickCount() - waiter->m_deadline) > 0;
        if (!expired && !waiter->m_ready())
            continue;
        ::KillTimer(nullptr, waiter->m_timer);
        waiter->m_timer = 0;
        waiter->m_ran = !expired;
        if (!expired)
            waiter->m_action();
    }
}

bool KeyIsSwallowed(HWND window, WPARAM key) {
    MSG msg{};
    msg.hwnd = window;
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    msg.lParam = 1;
    return CWnd::WalkPreTranslateTree(&msg);
}

} // namespace tsu::test

namespace tsu::test {

ScratchInventory::ScratchInventory(const std::wstring& name)
    : m_base(L"Software\\TsuAppTest\\" + name + L"-" + std::to_wstring(::GetCurrentProcessId())),
      m_products(HKEY_CURRENT_USER, m_base + L"\\Products"), m_uninstall(HKEY_CURRENT_USER, m_base + L"\\Uninstall") {}

InventoryLocations ScratchInventory::Locations() const {
    InventoryLocations locations;
    locations.installerProducts = RegistryLocation{kRootCurrentUser, m_base + L"\\Products"};
    locations.uninstallKeys64 = {RegistryLocation{kRootCurrentUser, m_base + L"\\Uninstall"}};
    locations.uninstallKeys32 = locations.uninstallKeys64;
    return locations;
}

void ScratchInventory::AddProgram(const std::wstring& keyName, const std::wstring& displayName,
                                  const std::wstring& version, const std::wstring& uninstallString,
                                  const std::wstring& displayIcon, uint32_t estimatedSizeKb) {
    m_uninstall.CreateSubkey(keyName);
    m_uninstall.SetString(keyName, L"DisplayName", displayName);
    if (!version.empty())
        m_uninstall.SetString(keyName, L"DisplayVersion", version);
    if (!uninstallString.empty())
        m_uninstall.SetString(keyName, L"UninstallString", uninstallString);
    if (!displayIcon.empty())
        m_uninstall.SetString(keyName, L"DisplayIcon", displayIcon);
    if (estimatedSizeKb)
        m_uninstall.SetDword(keyName, L"EstimatedSize", estimatedSizeKb);
}

std::wstring ToolLogText() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, folder)))
        return std::wstring();
    const std::wstring path = std::wstring(folder) + L"\\ToolLog\\" + L"软件卸载工具.txt";
    return FromCp936(ReadFileBytes(path + L"bak")) + FromCp936(ReadFileBytes(path));
}

} // namespace tsu::test
