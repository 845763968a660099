#pragma once
// What the engine tests share: a hidden owner window on a thread of its own that records every
// engine message, real installers from the fixtures folder, and scratch uninstall entries.

#include "framework/MessageWindowThread.h"
#include "inventory/core/SoftwareRecord.h"
#include "tests/common/ProcessTestSupport.h"
#include "tests/common/ScratchKey.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tsu::test {

// The engines' messages to a page. lParam of WM_UNINSTALL_STATE and WM_UNINSTALL_REMOVED is read as a
// record when it is not 0: text is its displayName (or the target path of WM_ANALYSIS_STATE).
struct RecordedMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::wstring text;
    std::chrono::steady_clock::time_point at;
};

class MessageRecorder {
public:
    using Hook = std::function<void(const RecordedMessage&)>; // on the window's thread, after recording

    MessageRecorder();

    [[nodiscard]] HWND Window() const { return m_windowThread.Window(); }
    void SetHook(Hook hook);

    [[nodiscard]] std::vector<RecordedMessage> Messages() const;
    [[nodiscard]] bool WaitFor(const std::function<bool(const std::vector<RecordedMessage>&)>& predicate,
                               DWORD timeoutMs = kMustHappenMs) const;
    [[nodiscard]] bool WaitForCount(UINT message, size_t count, DWORD timeoutMs = kMustHappenMs) const;
    void Clear();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Record(UINT message, WPARAM wParam, LPARAM lParam);

    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    std::vector<RecordedMessage> m_messages;
    Hook m_hook;
    MessageWindowThread m_windowThread; // last: its window reaches the members above until it ends
};

[[nodiscard]] size_t CountOf(const std::vector<RecordedMessage>& messages, UINT message);
// "3 Name" for each WM_UNINSTALL_STATE, "removed Name" for each WM_UNINSTALL_REMOVED.
[[nodiscard]] std::vector<std::wstring> Steps(const std::vector<RecordedMessage>& messages);
[[nodiscard]] std::vector<RecordedMessage> OnlyOf(const std::vector<RecordedMessage>& messages, UINT message);

// Polls a condition that no message announces; false on timeout.
[[nodiscard]] bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kMustHappenMs);

[[nodiscard]] std::wstring SystemFolderPath();
// Runs an NSIS fixture's silent installer, or installs an MSI fixture with msiexec /i ... /qn.
[[nodiscard]] bool InstallNsisFixture(const std::wstring& target);
[[nodiscard]] bool InstallMsiFixture(const std::wstring& target);
[[nodiscard]] std::optional<SoftwareRecord> FindInstalled(const std::wstring& displayName);
// Removes what an NSIS fixture left (files, folder, uninstall key) whatever state it is in.
void RemoveNsisLeftovers(const std::wstring& appKey);
[[nodiscard]] bool UninstallKeyExists(HKEY root, const std::wstring& relativePath);

// An uninstall entry below a scratch key of HKEY_CURRENT_USER, and the record the scan would make of it.
[[nodiscard]] SoftwareRecord WriteScratchEntry(ScratchKey& key, const std::wstring& subkey,
                                               const std::wstring& displayName, const std::wstring& uninstallString);

} // namespace tsu::test
