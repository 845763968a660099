#include "tests/engine/EngineTestSupport.h"

#include "inventory/InventorySequence.h"
#include "tests/common/TestProcess.h"
#include "uninstall/engine/EngineMessages.h"

namespace tsu::test {

namespace {
constexpr wchar_t kRecorderClass[] = L"TsuEngineTestRecorder";
constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

const struct {
    UINT message;
    const wchar_t* name;
} kEngineMessages[] = {{WM_CLOSE_PROGRESS, L"WM_CLOSE_PROGRESS"},
                       {WM_SOFTWARE_LOADED, L"WM_SOFTWARE_LOADED"},
                       {WM_UNINSTALL_STATE, L"WM_UNINSTALL_STATE/WM_STANDARD_UNINSTALL_RESULT"},
                       {WM_UNINSTALL_REMOVED, L"WM_UNINSTALL_REMOVED"},
                       {WM_ANALYSIS_STATE, L"WM_ANALYSIS_STATE"},
                       {WM_DELETE_RESULT, L"WM_DELETE_RESULT"}};

// Null for messages the engines do not send.
const wchar_t* MessageName(UINT message) {
    for (const auto& known : kEngineMessages) {
        if (known.message == message)
            return known.name;
    }
    return nullptr;
}
} // namespace

std::wstring Describe(const RecordedMessage& message) {
    std::wstring text = MessageName(message.message) ? MessageName(message.message) : L"?";
    text += L" " + std::to_wstring(message.wParam);
    if (message.message == WM_ANALYSIS_STATE)
        text += L" " + std::to_wstring(message.lParam);
    if (!message.text.empty())
        text += L" " + message.text;
    return text;
}

std::wstring Describe(const std::vector<RecordedMessage>& messages) {
    std::wstring text;
    for (const RecordedMessage& message : messages)
        text += L"\n  " + Describe(message);
    return text;
}

MessageRecorder::MessageRecorder() : m_windowThread(kRecorderClass, &MessageRecorder::WindowProc, this) {}

LRESULT CALLBACK MessageRecorder::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<MessageRecorder*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && MessageName(message)) {
        self->Record(message, wParam, lParam);
        return 1;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void MessageRecorder::Record(UINT message, WPARAM wParam, LPARAM lParam) {
    RecordedMessage recorded;
    recorded.message = message;
    recorded.wParam = wParam;
    recorded.lParam = lParam;
    recorded.at = std::chrono::steady_clock::now();
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

size_t CountOf(const std::vector<RecordedMessage>& messages, UINT message) {
    size_t count = 0;
    for (const RecordedMessage& recorded : messages)
        count += recorded.message == message ? 1 : 0;
    return count;
}

std::vector<RecordedMessage> OnlyOf(const std::vector<RecordedMessage>& messages, UINT message) {
    std::vector<RecordedMessage> only;
    for (const RecordedMessage& recorded : messages) {
        if (recorded.message == message)
            only.push_back(recorded);
    }
    return only;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        ::Sleep(5);
    }
    return true;
}

std::wstring FixtureFile(const std::wstring& fileName) {
    return BinDir() + L"..\\fixtures\\" + fileName;
}

std::wstring SystemFolderPath() {
    wchar_t folder[MAX_PATH] = {};
    const UINT written = ::GetSystemDirectoryW(folder, MAX_PATH);
    return written > 0 && written < MAX_PATH ? std::wstring(folder) : std::wstring(L"C:\\windows\\system32");
}

bool InstallNsisFixture(const std::wstring& target) {
    const ProcessResult result = RunProcess(L"\"" + FixtureFile(target + L".exe") + L"\"");
    return result.started && result.exitCode == 0;
}

bool InstallMsiFixture(const std::wstring& target) {
    const ProcessResult result =
        RunProcess(L"\"" + SystemFolderPath() + L"\\msiexec.exe\" /i \"" + FixtureFile(target + L".msi") + L"\" /qn");
    return result.started && result.exitCode == 0;
}

std::optional<SoftwareRecord> FindInstalled(const std::wstring& displayName) {
    ProductIconMap icons;
    SoftwareMap software;
    if (RunInventorySequence(icons, software) != InventoryResult::Loaded)
        return std::nullopt;
    const auto found = software.find(displayName);
    if (found == software.end())
        return std::nullopt;
    return found->second;
}

void RemoveNsisLeftovers(const std::wstring& appKey) {
    DeleteKeyTree(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + appKey);
    RemoveTree(L"C:\\Program Files\\" + appKey);
}

bool UninstallKeyExists(HKEY root, const std::wstring& relativePath) {
    HKEY key = nullptr;
    const LSTATUS status = ::RegOpenKeyExW(root, relativePath.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key);
    if (status == ERROR_SUCCESS)
        ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool SetRegistryString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    const LSTATUS status = ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

SoftwareRecord WriteScratchEntry(ScratchKey& key, const std::wstring& subkey, const std::wstring& displayName,
                                 const std::wstring& uninstallString) {
    (void)key.SetString(subkey, L"DisplayName", displayName);
    (void)key.SetString(subkey, L"UninstallString", uninstallString);
    SoftwareRecord record;
    record.rootKey = kRootCurrentUser;
    record.relativeKeyPath = key.Path() + L"\\" + subkey;
    record.keyPath = L"HKEY_CURRENT_USER\\" + record.relativeKeyPath;
    record.displayName = displayName;
    record.uninstallString = uninstallString;
    return record;
}

} // namespace tsu::test
