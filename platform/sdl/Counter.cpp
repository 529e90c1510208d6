// The system counter over SDL's performance counter.
#include "platform/BackEnd.h"

#include <SDL.h>

namespace platform
{

bool SystemCounter(std::int64_t* count)
{
    *count = static_cast<std::int64_t>(SDL_GetPerformanceCounter());
    return true;
}

bool SystemCounterFrequency(std::int64_t* frequency)
{
    *frequency = static_cast<std::int64_t>(SDL_GetPerformanceFrequency());
    return true;
}

} // namespace platform
