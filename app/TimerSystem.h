// The program's one clock: whole milliseconds in signed 32 bits over the
// high-resolution counter, sampled once per frame by the frame loop.
#pragma once

#include <cstdint>

namespace MivexGL
{

class cTimerSystem
{
public:
    static cTimerSystem& Instance();

    // Samples once: now and the frame time since the previous sample.
    void Tick();
    // Re-bases so that the next frame time is measured from this moment.
    void Reset();
    std::int32_t GetTime() const { return now; }
    std::int32_t GetFrameTime() const { return frameTime; }

private:
    cTimerSystem();
    std::int32_t Sample();
    // The last counter value in milliseconds, cut to 32 bits.
    std::int32_t Milliseconds() const;

    std::int64_t counter;
    std::int64_t frequency;
    std::int32_t frameTime;
    std::int32_t now;
    std::int32_t unitsPerSecond;
    std::int32_t ticksPerMs;
    std::int32_t previous;
};

} // namespace MivexGL
