#include "uninstall/engine/core/RemovalPacer.h"

namespace tsu {

void RemovalPacer::OnWaiting(Clock::time_point now) {
    if (!m_intervalStart)
        m_intervalStart = now;
}

void RemovalPacer::OnRemoved(Clock::time_point now) {
    m_intervalStart = now;
}

void RemovalPacer::OnEmpty() {
    m_intervalStart.reset();
}

RemovalPacer::Clock::duration RemovalPacer::TimeUntilDue(Clock::time_point now) const {
    if (!m_intervalStart)
        return kInterval;
    const Clock::time_point due = *m_intervalStart + kInterval;
    return due > now ? due - now : Clock::duration::zero();
}

} // namespace tsu
