#include "uninstall/ProcessMonitor.h"

#include "framework/ScopedHandles.h"
#include "log/CLogSave.h"

#include <tlhelp32.h>

#include <vector>

namespace tsu {

namespace {

HANDLE StartWithCreateThread(LPTHREAD_START_ROUTINE entry, void* parameter) {
    return ::CreateThread(nullptr, 0, entry, parameter, 0, nullptr);
}

std::wstring LowerCaseName(std::wstring_view name) {
    std::wstring lower(name);
    if (!lower.empty())
        ::CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
    return lower;
}

} // namespace

bool ProcessMonitor::TakeSystemSnapshot(std::vector<ProcessEntry>& processes) {
    processes.clear();
    UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (!::Process32FirstW(snapshot.Get(), &entry))
        return false;
    do {
        processes.push_back(ProcessEntry{entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
        entry.dwSize = sizeof(entry);
    } while (::Process32NextW(snapshot.Get(), &entry));
    return true;
}

ProcessMonitor::ProcessMonitor() : ProcessMonitor(Seams()) {}

ProcessMonitor::ProcessMonitor(const Seams& seams)
    : m_startThread(seams.startThread ? seams.startThread : &StartWithCreateThread),
      m_takeSnapshot(seams.takeSnapshot ? seams.takeSnapshot : &TakeSystemSnapshot),
      m_stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

ProcessMonitor::~ProcessMonitor() {
    std::lock_guard<std::mutex> guard(m_threadLock);
    if (m_stopEvent)
        ::SetEvent(m_stopEvent.Get());
    JoinThread();
}

ProcessMonitor& ProcessMonitor::GetInstance() {
    static ProcessMonitor instance;
    return instance;
}

bool ProcessMonitor::AddWatchedProcess(uint32_t processId) {
    std::lock_guard<std::mutex> guard(m_listsLock);
    return AddWatchedId(m_lists, processId);
}

bool ProcessMonitor::AddIgnoredName(const std::wstring& exeName) {
    std::wstring lower = LowerCaseName(exeName);
    std::lock_guard<std::mutex> guard(m_listsLock);
    return AddIgnoredLowerName(m_lists, std::move(lower));
}

void ProcessMonitor::ResetLists() {
    std::lock_guard<std::mutex> guard(m_listsLock);
    m_lists = MonitorLists();
}

bool ProcessMonitor::StartMonitor(MonitorCallback callback, uint32_t userValue) {
    {
        std::lock_guard<std::mutex> guard(m_stateLock);
        if (!m_callback && callback) {
            m_callback = callback;
            m_userValue = userValue;
        }
    }
    std::lock_guard<std::mutex> guard(m_threadLock);
    // Two loops over the same lists would report the end twice, so the previous one must be over.
    JoinThread();
    if (!m_stopEvent)
        return false;
    m_thread.Reset(m_startThread(&ThreadEntry, this));
    return m_thread.IsValid();
}

int32_t ProcessMonitor::State() const {
    std::lock_guard<std::mutex> guard(m_stateLock);
    return m_state;
}

MonitorLists ProcessMonitor::Lists() const {
    std::lock_guard<std::mutex> guard(m_listsLock);
    return m_lists;
}

uint32_t ProcessMonitor::SkippedPasses() const {
    std::lock_guard<std::mutex> guard(m_stateLock);
    return m_skippedPasses;
}

DWORD WINAPI ProcessMonitor::ThreadEntry(void* parameter) {
    static_cast<ProcessMonitor*>(parameter)->MonitorLoop();
    return 0;
}

void ProcessMonitor::MonitorLoop() {
    EnterState(kMonitorStateStart);
    std::vector<ProcessEntry> snapshot;
    for (;;) {
        if (m_takeSnapshot(snapshot)) {
            std::vector<int32_t> states;
            {
                std::lock_guard<std::mutex> guard(m_listsLock);
                states = RunMonitorPass(m_lists, snapshot, &LowerCaseName);
            }
            // Reported outside the list lock: a callback may well call back into the monitor.
            for (int32_t state : states)
                EnterState(state);
            if (!states.empty() && states.back() == kMonitorStateFinished)
                return;
        } else {
            // A failed snapshot says nothing about the followed processes; counting them all as
            // gone would end the wait while the uninstaller still runs.
            bool first = false;
            {
                std::lock_guard<std::mutex> guard(m_stateLock);
                first = m_skippedPasses++ == 0;
            }
            if (first)
                WriteToolLog(L"Process snapshot failed; monitor pass skipped");
        }
        if (::WaitForSingleObject(m_stopEvent.Get(), kPollIntervalMs) != WAIT_TIMEOUT)
            return;
    }
}

void ProcessMonitor::EnterState(int32_t stateCode) {
    MonitorCallback callback = nullptr;
    uint32_t userValue = 0;
    {
        std::lock_guard<std::mutex> guard(m_stateLock);
        m_state = stateCode;
        callback = m_callback;
        userValue = m_userValue;
    }
    if (callback) {
        const std::wstring text(MonitorStateText(stateCode));
        callback(stateCode, text.c_str(), userValue);
    }
}

void ProcessMonitor::JoinThread() {
    if (!m_thread)
        return;
    ::WaitForSingleObject(m_thread.Get(), INFINITE);
    m_thread.Reset();
}

} // namespace tsu
