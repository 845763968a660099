#pragma once
// The job object an uninstaller runs in. Every process the uninstaller starts, at any depth, joins
// the job unless it breaks away, and the job's completion port reports each one's start and end,
// however short its life. The process monitor's snapshots only see what lives across a pass: an
// uninstaller that starts a copy that starts the worker and ends within milliseconds would leave
// the monitor with nothing to follow while the worker still removes the program.

#include "framework/ScopedHandles.h"

#include <windows.h>

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tsu {

class ProcessMonitor;

class UninstallerJob {
public:
    // Creates the job and its completion port. Breakaway is allowed (some uninstallers start
    // their worker that way) and members are not ended when the job handle closes: a program the
    // uninstaller opened for the user may outlive the tool.
    explicit UninstallerJob(ProcessMonitor& monitor);
    // Stops following the members (they run on) and lets the monitor end its run on its own.
    ~UninstallerJob();
    UninstallerJob(const UninstallerJob&) = delete;
    UninstallerJob& operator=(const UninstallerJob&) = delete;

    // Puts a process created suspended into the job and follows the job's members until none is
    // left but ones the monitor ignores by name (and their descendants). Meanwhile the monitor is
    // told that members run, so it does not end its run; and each member is watched by the
    // monitor, so that what a member starts outside the job is found by its parent id. False when
    // the process cannot join (no job, or Windows 7, where a process in a job cannot join a second
    // one): then nothing is followed here and the monitor works alone.
    bool Follow(HANDLE process);

    // The job's own list of members, read now: every one still running that is waited for (its
    // name is not an ignored one, nor is its parent's), with its creation time. The last word
    // after the monitor has reported the end, whatever order the port's messages came in.
    struct RunningMember {
        uint32_t id = 0;
        uint64_t creationTime = 0;
    };
    [[nodiscard]] std::vector<RunningMember> MembersWaitedFor() const;

private:
    enum class Kind { Unknown, Followed, Ignored };
    struct Member {
        Kind kind = Kind::Unknown;
        UniqueHandle handle; // keeps the id from being handed on while the member is followed
    };

    void PortLoop();
    void OnNewProcess(uint32_t id);
    void OnProcessEnd(uint32_t id);
    void Classify(uint32_t id, Member& member);
    void ClassifyUnknown();
    void ReleaseWhenOnlyIgnoredRemain();

    ProcessMonitor& m_monitor;
    UniqueHandle m_job;
    UniqueHandle m_port;
    UniqueHandle m_thread;
    bool m_holding = false;
    // Only the port thread touches these once it runs.
    std::unordered_map<uint32_t, Member> m_members;
    std::unordered_set<uint32_t> m_unknown; // members whose program name could not be read yet
    size_t m_followed = 0;
};

} // namespace tsu
