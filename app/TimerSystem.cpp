// Millisecond timer: counter / ticksPerMs, truncated toward zero, cut to 32
// bits (through the frequency for a counter slower than 1000 Hz); all
// differences taken in 32-bit arithmetic so a wrap stays harmless.
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
      previous(0), offset(0), held(false)
{
    platform::QueryPerformanceFrequency(&frequency);
    platform::QueryPerformanceCounter(&counter);
    // A counter slower than 1000 Hz has no whole ticks per millisecond:
    // ticksPerMs stays 0 and Sample converts through the frequency instead.
    const std::int64_t perMs = frequency / unitsPerSecond;
    ticksPerMs = perMs > 0 ? Wrap32(perMs) : 0;
    now = Milliseconds();
    Reset();
}

std::int32_t cTimerSystem::Milliseconds() const
{
    if (ticksPerMs > 0)
    {
        return Wrap32(counter / ticksPerMs);
    }
    if (frequency <= 0)
    {
        // No counter rate at all: one tick a millisecond.
        return Wrap32(counter);
    }
    // counter * 1000 / frequency, split so the product cannot overflow; the
    // whole seconds wrap in unsigned arithmetic, which keeps the low 32 bits.
    const std::int64_t whole = counter / frequency;
    const std::int64_t part = counter % frequency;
    const std::uint64_t ms = static_cast<std::uint64_t>(whole) * unitsPerSecond +
                             static_cast<std::uint64_t>(part * unitsPerSecond / frequency);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms));
}

std::int32_t cTimerSystem::Sample()
{
    platform::QueryPerformanceCounter(&counter);
    return Wrap32(static_cast<std::int64_t>(Milliseconds()) + offset);
}

void cTimerSystem::Reset()
{
    previous = Sample();
    frameTime = 0;
    now = previous;
}

void cTimerSystem::Step(std::int32_t ms)
{
    now = Wrap32(static_cast<std::int64_t>(now) + ms);
    frameTime = ms;
    previous = now;
}

void cTimerSystem::Hold(bool value)
{
    if (held && !value)
    {
        held = false;
        Rejoin();
    }
    held = value;
}

void cTimerSystem::Rejoin()
{
    platform::QueryPerformanceCounter(&counter);
    offset = Diff32(now, Milliseconds());
    previous = now;
}

void cTimerSystem::Tick()
{
    if (held)
    {
        frameTime = 0;
        return;
    }
    const std::int32_t t = Sample();
    now = t;
    frameTime = Diff32(t, previous);
    previous = t;
}

} // namespace MivexGL
