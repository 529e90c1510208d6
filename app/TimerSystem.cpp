// Millisecond timer: counter / ticksPerMs, truncated toward zero, cut to 32
// bits; all differences taken in 32-bit arithmetic so a wrap stays harmless.
#include "app/TimerSystem.h"

#include "platform/Counter.h"

namespace MivexGL
{

namespace
{

std::int32_t Wrap32(std::int64_t v)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

std::int32_t Diff32(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

} // namespace

cTimerSystem& cTimerSystem::Instance()
{
    static cTimerSystem timer;
    return timer;
}

cTimerSystem::cTimerSystem()
    : counter(0), frequency(0), frameTime(0), now(0), unitsPerSecond(1000), ticksPerMs(1),
      previous(0)
{
    platform::QueryPerformanceFrequency(&frequency);
    platform::QueryPerformanceCounter(&counter);
    // A counter slower than 1000 Hz would make ticksPerMs 0; count at least
    // one tick per millisecond rather than divide by zero.
    const std::int64_t perMs = frequency / unitsPerSecond;
    ticksPerMs = perMs > 0 ? Wrap32(perMs) : 1;
    now = Wrap32(counter / ticksPerMs);
    Reset();
}

std::int32_t cTimerSystem::Sample()
{
    platform::QueryPerformanceCounter(&counter);
    return Wrap32(counter / ticksPerMs);
}

void cTimerSystem::Reset()
{
    previous = Sample();
    frameTime = 0;
    now = previous;
}

void cTimerSystem::Tick()
{
    const std::int32_t t = Sample();
    now = t;
    frameTime = Diff32(t, previous);
    previous = t;
}

} // namespace MivexGL
