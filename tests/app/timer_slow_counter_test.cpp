// A counter slower than 1000 Hz: no division by zero, and the right rate.
#include "app/TimerSystem.h"
#include "platform/Counter.h"

#include <gtest/gtest.h>

namespace
{

// A 500 Hz counter must count real milliseconds, not one a tick, and a
// counter far past 2^53 must neither overflow nor lose the frame's length.
TEST(FrameTimer, SlowCounterCountsRealMilliseconds)
{
    std::int64_t ticks = 100;
    platform::SetScriptedCounter({[&ticks]() { return ticks; }, 500});
    MivexGL::cTimerSystem& timer = MivexGL::cTimerSystem::Instance();
    timer.Reset();
    ticks += 250;
    timer.Tick();
    EXPECT_EQ(timer.GetFrameTime(), 500);
    EXPECT_EQ(timer.GetTime(), 700);
    ticks += 1;
    timer.Tick();
    EXPECT_EQ(timer.GetFrameTime(), 2);

    ticks = (std::int64_t(1) << 62) + 7;
    timer.Reset();
    ticks += 500;
    timer.Tick();
    EXPECT_EQ(timer.GetFrameTime(), 1000);
    platform::SetScriptedCounter({nullptr, 0});
}

} // namespace
