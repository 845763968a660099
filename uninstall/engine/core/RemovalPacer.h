#pragma once
// When the finished-list watcher may remove the next done row: each removed program shows its
// done state for at least the pacing interval, and several leave one after another at that pace.
// Portable: the caller supplies the clock readings.

#include <chrono>
#include <optional>

namespace tsu {

class RemovalPacer {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kInterval{600};

    // The finished list holds at least one record now; the interval starts when it first does.
    void OnWaiting(Clock::time_point now);
    // A record was taken out; the next one's interval starts here.
    void OnRemoved(Clock::time_point now);
    // The list ran empty without a removal (nothing waits any more).
    void OnEmpty();

    // How long to wait before the oldest waiting record may go; zero when it is due now.
    [[nodiscard]] Clock::duration TimeUntilDue(Clock::time_point now) const;

private:
    std::optional<Clock::time_point> m_intervalStart;
};

} // namespace tsu
