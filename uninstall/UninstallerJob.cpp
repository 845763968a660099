#include "uninstall/UninstallerJob.h"

#include "framework/WorkerThread.h"
#include "log/CLogSave.h"
#include "uninstall/ProcessMonitor.h"

#include <winternl.h>

#include <string>

namespace tsu {

namespace {

constexpr ULONG_PTR kJobKey = 1;
constexpr ULONG_PTR kQuitKey = 2;
// How soon a member whose program name could not be read is asked again. Under Wine a process
// that is just being created has no image name yet; it has one some milliseconds later.
constexpr DWORD kNameRetryMs = 10;

std::wstring ProgramFileName(HANDLE process) {
    constexpr DWORD kLongestPath = 32768;
    std::wstring path(kLongestPath, L'\0');
    DWORD size = kLongestPath;
    if (!::QueryFullProcessImageNameW(process, 0, path.data(), &size))
        return std::wstring();
    path.resize(size);
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The id of the process that started this one; 0 when it cannot be read.
uint32_t ParentIdOf(HANDLE process) {
    using QueryFn = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    static const QueryFn query = [] {
        HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        return ntdll ? reinterpret_cast<QueryFn>(
                           reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtQueryInformationProcess")))
                     : nullptr;
    }();
    PROCESS_BASIC_INFORMATION info{};
    ULONG written = 0;
    if (!query || query(process, ProcessBasicInformation, &info, sizeof(info), &written) != 0)
        return 0;
    return static_cast<uint32_t>(info.InheritedFromUniqueProcessId);
}

} // namespace

UninstallerJob::UninstallerJob(ProcessMonitor& monitor)
    : m_monitor(monitor), m_job(::CreateJobObjectW(nullptr, nullptr)),
      m_port(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1)) {
    if (!m_job || !m_port) {
        m_job.Reset();
        return;
    }
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT association{};
    association.CompletionKey = reinterpret_cast<void*>(kJobKey);
    association.CompletionPort = m_port.Get();
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
    if (!::SetInformationJobObject(m_job.Get(), JobObjectAssociateCompletionPortInformation, &association,
                                   sizeof(association)) ||
        !::SetInformationJobObject(m_job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits))) {
        WriteToolLog(L"无法为卸载程序建立作业对象，错误 " + std::to_wstring(::GetLastError()));
        m_job.Reset();
    }
}

UninstallerJob::~UninstallerJob() {
    if (m_thread) {
        if (!::PostQueuedCompletionStatus(m_port.Get(), 0, kQuitKey, nullptr))
            m_port.Reset(); // a closed port ends the wait as well
        (void)::WaitForSingleObject(m_thread.Get(), INFINITE);
    }
    if (m_holding)
        m_monitor.SetOutsideMembers(false);
}

bool UninstallerJob::Follow(HANDLE process) {
    if (!m_job)
        return false;
    if (!::AssignProcessToJobObject(m_job.Get(), process)) {
        WriteToolLog(L"卸载程序未能加入作业对象，错误 " + std::to_wstring(::GetLastError()) +
                     L"，只按进程快照跟踪");
        return false;
    }
    // Held before the port thread runs: the monitor's first pass must not end the run before the
    // job has reported a single member.
    m_holding = true;
    m_monitor.SetOutsideMembers(true);
    // The job reports the process itself as its first new member, then every later one.
    m_thread = StartWorkerThread([this] { PortLoop(); });
    if (m_thread)
        return true;
    m_holding = false; // nothing follows the members: the monitor works alone
    m_monitor.SetOutsideMembers(false);
    return false;
}

void UninstallerJob::PortLoop() {
    for (;;) {
        DWORD message = 0;
        ULONG_PTR key = 0;
        OVERLAPPED* data = nullptr;
        const DWORD wait = m_unknown.empty() ? INFINITE : kNameRetryMs;
        if (!::GetQueuedCompletionStatus(m_port.Get(), &message, &key, &data, wait)) {
            if (data == nullptr && ::GetLastError() == WAIT_TIMEOUT) {
                ClassifyUnknown();
                ReleaseWhenOnlyIgnoredRemain();
                continue;
            }
            break; // the port is unusable: the monitor goes on alone
        }
        if (key == kQuitKey)
            return;
        if (key != kJobKey)
            continue;
        // For process messages the "overlapped" value is the process id.
        const auto id = static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(data));
        switch (message) {
        case JOB_OBJECT_MSG_NEW_PROCESS:
            OnNewProcess(id);
            break;
        case JOB_OBJECT_MSG_EXIT_PROCESS:
        case JOB_OBJECT_MSG_ABNORMAL_EXIT_PROCESS:
            OnProcessEnd(id);
            ReleaseWhenOnlyIgnoredRemain();
            break;
        case JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO:
            m_members.clear();
            m_unknown.clear();
            m_followed = 0;
            ReleaseWhenOnlyIgnoredRemain();
            break;
        default:
            break;
        }
    }
    m_holding = false;
    m_monitor.SetOutsideMembers(false);
}

void UninstallerJob::OnNewProcess(uint32_t id) {
    Member member;
    member.handle.Reset(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    const auto parent = m_members.find(member.handle ? ParentIdOf(member.handle.Get()) : 0);
    // Whatever a browser that is not waited for starts is not waited for either.
    if (parent != m_members.end() && parent->second.kind == Kind::Ignored)
        member.kind = Kind::Ignored;
    else
        Classify(id, member);
    m_members[id] = std::move(member);
}

void UninstallerJob::Classify(uint32_t id, Member& member) {
    if (!member.handle)
        member.handle.Reset(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    const std::wstring name = member.handle ? ProgramFileName(member.handle.Get()) : std::wstring();
    if (name.empty()) {
        member.kind = Kind::Unknown;
        m_unknown.insert(id);
        return;
    }
    m_unknown.erase(id);
    if (m_monitor.IsIgnoredName(name)) {
        member.kind = Kind::Ignored;
        return;
    }
    member.kind = Kind::Followed;
    ++m_followed;
    m_monitor.AddWatchedProcess(id, ProcessCreationTime(member.handle.Get()));
}

void UninstallerJob::ClassifyUnknown() {
    const std::unordered_set<uint32_t> unknown = m_unknown;
    for (uint32_t id : unknown) {
        const auto found = m_members.find(id);
        if (found != m_members.end())
            Classify(id, found->second);
    }
}

void UninstallerJob::OnProcessEnd(uint32_t id) {
    const auto found = m_members.find(id);
    if (found == m_members.end())
        return;
    if (found->second.kind == Kind::Followed) {
        --m_followed;
    } else if (found->second.kind == Kind::Unknown) {
        m_unknown.erase(id);
        // Ended before its name could be read. The monitor's next pass looks for what it started
        // outside the job, checking their names as for any child.
        m_monitor.AddWatchedProcess(id, ProcessCreationTime(found->second.handle.Get()));
    }
    m_members.erase(found);
}

std::vector<UninstallerJob::RunningMember> UninstallerJob::MembersWaitedFor() const {
    std::vector<RunningMember> running;
    if (!m_job)
        return running;
    // The list's header holds the counts; room for more ids is made until all fit.
    std::vector<ULONG_PTR> buffer(2 + 256);
    for (;;) {
        auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
        const DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(ULONG_PTR));
        if (::QueryInformationJobObject(m_job.Get(), JobObjectBasicProcessIdList, list, bytes, nullptr) &&
            list->NumberOfProcessIdsInList >= list->NumberOfAssignedProcesses)
            break;
        if (list->NumberOfAssignedProcesses + 2 <= buffer.size() || buffer.size() > 65536)
            return running; // the list cannot be read: nothing more to learn from it
        buffer.resize(list->NumberOfAssignedProcesses + 2 + 64);
    }
    const auto* list = reinterpret_cast<const JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
    struct Entry {
        RunningMember member;
        uint32_t parent = 0;
        bool ignored = false;
    };
    std::vector<Entry> entries;
    std::unordered_set<uint32_t> ignored;
    for (DWORD i = 0; i < list->NumberOfProcessIdsInList; ++i) {
        const auto id = static_cast<uint32_t>(list->ProcessIdList[i]);
        const UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, id));
        if (!process || ::WaitForSingleObject(process.Get(), 0) != WAIT_TIMEOUT)
            continue; // ended meanwhile
        Entry entry;
        entry.member = RunningMember{id, ProcessCreationTime(process.Get())};
        entry.parent = ParentIdOf(process.Get());
        const std::wstring name = ProgramFileName(process.Get());
        entry.ignored = !name.empty() && m_monitor.IsIgnoredName(name);
        if (entry.ignored)
            ignored.insert(id);
        entries.push_back(entry);
    }
    for (const Entry& entry : entries) {
        if (!entry.ignored && ignored.count(entry.parent) == 0)
            running.push_back(entry.member);
    }
    return running;
}

void UninstallerJob::ReleaseWhenOnlyIgnoredRemain() {
    if (!m_holding || m_followed > 0 || !m_unknown.empty())
        return;
    m_holding = false;
    m_monitor.SetOutsideMembers(false);
}

} // namespace tsu
