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

    // For seeking and pausing while a production is worked on; a plain run
    // never calls these, and then the clock is the counter itself.
    // Moves the clock as one frame of ms would, without the counter.
    void Step(std::int32_t ms);
    // While held, frames tick with time 0; releasing rejoins the counter.
    void Hold(bool held);
    bool IsHeld() const { return held; }
    // From here on the counter continues from the clock's present time.
    void Rejoin();

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
    // Added to every counter reading; moved only by Rejoin.
    std::int32_t offset;
    bool held;
};

} // namespace MivexGL
