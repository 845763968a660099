#include "uninstall/ProcessMonitor.h"

#include "framework/WorkerThread.h"
#include "log/CLogSave.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>

#include <vector>

namespace tsu {

namespace {

std::wstring LowerCaseName(std::wstring_view name) {
    std::wstring lower(name);
    if (!lower.empty())
        ::CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
    return lower;
}

// The process list straight from NtQuerySystemInformation, into a buffer kept between passes.
// Toolhelp builds its snapshot from the same call, but under Wine it starts from a 4 KB buffer,
// doubles it call by call, and maps the snapshot section again for every entry walked: four times
// the processor time of one pass, and twice a second for as long as an uninstall runs. This call
// also gives the creation times that tell a process from a later one with the same id.
class SystemProcessQuery {
public:
    bool Take(std::vector<ProcessEntry>& processes) {
        if (!m_query)
            return false;
        for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
            ULONG needed = 0;
            const NTSTATUS status = m_query(SystemProcessInformation, m_buffer.data(), BufferBytes(), &needed);
            if (status == kStatusSuccess)
                return Parse(std::min<size_t>(needed ? needed : BufferBytes(), BufferBytes()), processes);
            if (status != kStatusInfoLengthMismatch)
                return false;
            const size_t wanted = std::max<size_t>(static_cast<size_t>(needed) + kGrowthBytes, BufferBytes() * 2);
            if (wanted > kMaxBufferBytes)
                return false;
            m_buffer.resize(wanted / sizeof(ULONGLONG) + 1);
        }
        return false;
    }

private:
    using QueryFn = LONG(WINAPI*)(SYSTEM_INFORMATION_CLASS, void*, ULONG, ULONG*);
    static constexpr LONG kStatusSuccess = 0;
    static constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004L);
    static constexpr int kMaxAttempts = 4;
    static constexpr size_t kInitialBufferBytes = 64 * 1024;
    static constexpr size_t kGrowthBytes = 16 * 1024; // room for processes started meanwhile
    static constexpr size_t kMaxBufferBytes = 64 * 1024 * 1024;

    static QueryFn LookUp() {
        HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        if (!ntdll)
            return nullptr;
        return reinterpret_cast<QueryFn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtQuerySystemInformation")));
    }

    ULONG BufferBytes() const { return static_cast<ULONG>(m_buffer.size() * sizeof(ULONGLONG)); }

    // Walks the entries, checking every offset against the bytes returned.
    bool Parse(size_t bytes, std::vector<ProcessEntry>& processes) const {
        const auto* base = reinterpret_cast<const unsigned char*>(m_buffer.data());
        size_t offset = 0;
        for (;;) {
            if (offset + sizeof(SYSTEM_PROCESS_INFORMATION) > bytes)
                return false;
            const auto* info = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(base + offset);
            ProcessEntry entry;
            entry.id = static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(info->UniqueProcessId));
            entry.parentId = static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(info->InheritedFromUniqueProcessId));
            entry.creationTime = static_cast<uint64_t>(info->CreateTime.QuadPart);
            const auto* name = reinterpret_cast<const unsigned char*>(info->ImageName.Buffer);
            const size_t nameBytes = info->ImageName.Length;
            if (name && nameBytes > 0) {
                if (name < base || name + nameBytes > base + bytes)
                    return false;
                entry.exeName.assign(info->ImageName.Buffer, nameBytes / sizeof(wchar_t));
            }
            processes.push_back(std::move(entry));
            if (info->NextEntryOffset == 0)
                return true;
            offset += info->NextEntryOffset;
        }
    }

    QueryFn m_query = LookUp();
    std::vector<ULONGLONG> m_buffer = std::vector<ULONGLONG>(kInitialBufferBytes / sizeof(ULONGLONG));
};

bool TakeToolhelpSnapshot(std::vector<ProcessEntry>& processes) {
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

} // namespace

bool ProcessMonitor::TakeSystemSnapshot(std::vector<ProcessEntry>& processes) {
    // One query object per thread: the buffer is reused from pass to pass without a lock.
    thread_local SystemProcessQuery query;
    processes.clear();
    if (query.Take(processes))
        return true;
    processes.clear();
    return TakeToolhelpSnapshot(processes);
}

uint64_t ProcessCreationTime(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!process || !::GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

ProcessMonitor::ProcessMonitor() : ProcessMonitor(Seams()) {}

ProcessMonitor::ProcessMonitor(const Seams& seams)
    : m_startThread(seams.startThread ? seams.startThread : &StartWorkerThread),
      m_takeSnapshot(seams.takeSnapshot ? seams.takeSnapshot : &TakeSystemSnapshot),
      m_stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_wakeEvent(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

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

bool ProcessMonitor::AddWatchedProcess(uint32_t processId, uint64_t creationTime) {
    std::lock_guard<std::mutex> guard(m_listsLock);
    return AddWatchedId(m_lists, processId, creationTime);
}

bool ProcessMonitor::AddIgnoredName(const std::wstring& exeName) {
    std::wstring lower = LowerCaseName(exeName);
    std::lock_guard<std::mutex> guard(m_listsLock);
    return AddIgnoredLowerName(m_lists, std::move(lower));
}

bool ProcessMonitor::IsIgnoredName(std::wstring_view exeName) const {
    const std::wstring lower = LowerCaseName(exeName);
    std::lock_guard<std::mutex> guard(m_listsLock);
    return m_lists.ignoredNames.count(lower) != 0;
}

void ProcessMonitor::SetOutsideMembers(bool running) {
    {
        std::lock_guard<std::mutex> guard(m_stateLock);
        m_outsideMembers = running;
    }
    if (!running && m_wakeEvent)
        ::SetEvent(m_wakeEvent.Get());
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
    if (!m_stopEvent || !m_wakeEvent)
        return false;
    m_thread = m_startThread([this] { MonitorLoop(); });
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

void ProcessMonitor::MonitorLoop() {
    EnterState(kMonitorStateStart);
    std::vector<ProcessEntry> snapshot;
    const HANDLE waits[] = {m_stopEvent.Get(), m_wakeEvent.Get()};
    for (;;) {
        std::vector<int32_t> states;
        bool taken = false;
        {
            // The snapshot is taken under the list lock: an id added while it was being read
            // would otherwise be missing from it and dropped unseen by the pass.
            std::lock_guard<std::mutex> guard(m_listsLock);
            taken = m_takeSnapshot(snapshot);
            if (taken)
                states = RunMonitorPass(m_lists, snapshot, &LowerCaseName);
        }
        if (taken) {
            bool held = false;
            {
                std::lock_guard<std::mutex> guard(m_stateLock);
                held = m_outsideMembers;
            }
            const bool finished = !states.empty() && states.back() == kMonitorStateFinished;
            if (finished && held)
                states.pop_back();
            // Reported outside the list lock: a callback may well call back into the monitor.
            for (int32_t state : states)
                EnterState(state);
            if (finished && !held)
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
                WriteToolLog(L"获取进程快照失败，跳过本次监视");
        }
        const DWORD waited = ::WaitForMultipleObjects(2, waits, FALSE, kPollIntervalMs);
        if (waited != WAIT_TIMEOUT && waited != WAIT_OBJECT_0 + 1)
            return; // stopped, or the wait itself failed
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
