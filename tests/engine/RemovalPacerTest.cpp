#include "uninstall/engine/core/RemovalPacer.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

using namespace std::chrono_literals;
using Clock = RemovalPacer::Clock;

TEST(RemovalPacerTest, EachRecordWaitsTheIntervalAfterTheLastRemoval) {
    RemovalPacer pacer;
    const Clock::time_point t0{};
    pacer.OnWaiting(t0);
    EXPECT_EQ(pacer.TimeUntilDue(t0), RemovalPacer::kInterval);
    EXPECT_EQ(pacer.TimeUntilDue(t0 + 599ms), 1ms);
    EXPECT_EQ(pacer.TimeUntilDue(t0 + 600ms), Clock::duration::zero());
    pacer.OnWaiting(t0 + 300ms); // a second record arriving does not move the first one's time
    EXPECT_EQ(pacer.TimeUntilDue(t0 + 600ms), Clock::duration::zero());

    pacer.OnRemoved(t0 + 650ms); // the next one waits a full interval from here
    pacer.OnWaiting(t0 + 700ms);
    EXPECT_EQ(pacer.TimeUntilDue(t0 + 700ms), 550ms);
    EXPECT_EQ(pacer.TimeUntilDue(t0 + 1250ms), Clock::duration::zero());
    pacer.OnRemoved(t0 + 1250ms); // a record after an empty spell waits from its arrival
    pacer.OnEmpty();
    pacer.OnWaiting(t0 + 5s);
    EXPECT_EQ(pacer.TimeUntilDue(t0 + 5s), RemovalPacer::kInterval);
}

} // namespace
} // namespace tsu
