// A counter slower than 1000 Hz must not divide by zero.
#include "app/TimerSystem.h"
#include "platform/Counter.h"

#include <gtest/gtest.h>

namespace
{

TEST(FrameTimer, SlowCounterStillCounts)
{
    std::int64_t ticks = 100;
    platform::SetScriptedCounter({[&ticks]() { return ticks; }, 500});
    MivexGL::cTimerSystem& timer = MivexGL::cTimerSystem::Instance();
    timer.Reset();
    ticks += 250;
    timer.Tick();
    EXPECT_GT(timer.GetFrameTime(), 0);
    platform::SetScriptedCounter({nullptr, 0});
}

} // namespace
