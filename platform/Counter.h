// The high-resolution counter and its frequency, standing for
// QueryPerformanceCounter and QueryPerformanceFrequency. Tests and the capture
// tool install a scripted counter to drive time without a wall clock.
#pragma once

#include <cstdint>
#include <functional>

namespace platform
{

bool QueryPerformanceCounter(std::int64_t* count);
bool QueryPerformanceFrequency(std::int64_t* frequency);

struct ScriptedCounter
{
    std::function<std::int64_t()> count;
    std::int64_t frequency;
};

// Installs a counter; an empty count function returns to the real one.
void SetScriptedCounter(ScriptedCounter counter);

} // namespace platform
