#include "tests/engine/EngineTestSupport.h"

#include "inventory/InventorySequence.h"
#include "tests/common/ProcessTestSupport.h"
#include "uninstall/engine/EngineMessages.h"

namespace tsu::test {

namespace {
constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

bool IsEngineMessage(UINT message) {
    for (const UINT sent : {WM_CLOSE_PROGRESS, WM_SOFTWARE_LOADED, WM_UNINSTALL_STATE, WM_UNINSTALL_REMOVED,
                            WM_ANALYSIS_STATE, WM_DELETE_RESULT}) {
        if (sent == message)
            return true;
    }
    return false;
}

bool Succeeded(const ProcessResult& result) { return result.started && result.exitCode == 0; }

std::wstring FixtureFile(const std::wstring& fileName) { return BinDir() + L"..\\fixtures\\" + fileName; }
} // namespace

MessageRecorder::MessageRecorder() : m_windowThread(L"TsuEngineTestRecorder", &MessageRecorder::WindowProc, this) {}

LRESULT CALLBACK MessageRecorder::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<MessageRecorder*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || !IsEngineMessage(message))
        return ::DefWindowProcW(window, message, wParam, lParam);
    self->Record(message, wParam, lParam);
    return 1;
}

void MessageRecorder::Record(UINT message, WPARAM wParam, LPARAM lParam) {
    RecordedMessage recorded{message, wParam, lParam, L"", std::chrono::steady_clock::now()};
    if ((message == WM_UNINSTALL_STATE || message == WM_UNINSTALL_REMOVED) && lParam != 0) {
        // The record lives only during the call: copy what the test looks at.
        recorded.text = reinterpret_cast<const SoftwareRecord*>(lParam)->displayName;
        recorded.lParam = 0;
    } else if (message == WM_ANALYSIS_STATE && wParam != 0) {
        recorded.text = reinterpret_cast<const wchar_t*>(wParam);
        recorded.wParam = 0;
    }
    Hook hook;
    {
        const std::lock_guard<std::mutex> lock(m_lock);
        m_messages.push_back(recorded);
        hook = m_hook;
    }
    m_changed.notify_all();
    if (hook)
        hook(recorded);
}

void MessageRecorder::SetHook(Hook hook) {
    const std::lock_guard<std::mutex> lock(m_lock);
    m_hook = std::move(hook);
}

std::vector<RecordedMessage> MessageRecorder::Messages() const {
    const std::lock_guard<std::mutex> lock(m_lock);
    return m_messages;
}

bool MessageRecorder::WaitFor(const std::function<bool(const std::vector<RecordedMessage>&)>& predicate,
                              DWORD timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return predicate(m_messages); });
}

bool MessageRecorder::WaitForCount(UINT message, size_t count, DWORD timeoutMs) const {
    return WaitFor([&](const std::vector<RecordedMessage>& messages) { return CountOf(messages, message) >= count; },
                   timeoutMs);
}

void MessageRecorder::Clear() {
    const std::lock_guard<std::mutex> lock(m_lock);
    m_messages.clear();
}

size_t CountOf(const std::vector<RecordedMessage>& messages, UINT message) { return OnlyOf(messages, message).size(); }

std::vector<RecordedMessage> OnlyOf(const std::vector<RecordedMessage>& messages, UINT message) {
    std::vector<RecordedMessage> only;
    for (const RecordedMessage& recorded : messages) {
        if (recorded.message == message)
            only.push_back(recorded);
    }
    return only;
}

std::vector<std::wstring> Steps(const std::vector<RecordedMessage>& messages) {
    std::vector<std::wstring> steps;
    for (const RecordedMessage& message : messages) {
        if (message.message == WM_UNINSTALL_STATE || message.message == WM_UNINSTALL_REMOVED)
            steps.push_back((message.message == WM_UNINSTALL_STATE ? std::to_wstring(message.wParam) : L"removed") +
                            L" " + message.text);
    }
    return steps;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (; !condition(); ::Sleep(5)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
    }
    return true;
}

std::wstring SystemFolderPath() {
    wchar_t folder[MAX_PATH] = {};
    return ::GetSystemDirectoryW(folder, MAX_PATH) ? folder : L"C:\\windows\\system32";
}

bool InstallNsisFixture(const std::wstring& target) {
    return Succeeded(RunProcess(Quoted(FixtureFile(target + L".exe"))));
}

bool InstallMsiFixture(const std::wstring& target) {
    return Succeeded(RunProcess(Quoted(SystemFolderPath() + L"\\msiexec.exe") + L" /i " +
                                Quoted(FixtureFile(target + L".msi")) + L" /qn"));
}

std::optional<SoftwareRecord> FindInstalled(const std::wstring& displayName) {
    ProductIconMap icons;
    SoftwareMap software;
    if (RunInventorySequence(icons, software) != InventoryResult::Loaded || !software.count(displayName))
        return std::nullopt;
    return software.at(displayName);
}

void RemoveNsisLeftovers(const std::wstring& appKey) {
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey + appKey);
    RemoveTree(L"C:\\Program Files\\" + appKey);
}

bool UninstallKeyExists(HKEY root, const std::wstring& relativePath) {
    UniqueHkey key;
    return ::RegOpenKeyExW(root, relativePath.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.Put()) == ERROR_SUCCESS;
}

SoftwareRecord WriteScratchEntry(ScratchKey& key, const std::wstring& subkey, const std::wstring& displayName,
                                 const std::wstring& uninstallString) {
    (void)(key.SetString(subkey, L"DisplayName", displayName) &&
           key.SetString(subkey, L"UninstallString", uninstallString));
    SoftwareRecord record;
    record.rootKey = kRootCurrentUser;
    record.relativeKeyPath = key.Path() + L"\\" + subkey;
    record.keyPath = L"HKEY_CURRENT_USER\\" + record.relativeKeyPath;
    record.displayName = displayName;
    record.uninstallString = uninstallString;
    return record;
}

} // namespace tsu::test
