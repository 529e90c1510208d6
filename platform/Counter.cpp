// Counter over SDL's performance counter, or a scripted one.
#include "platform/Counter.h"

#include <SDL.h>

namespace platform
{

namespace
{

ScriptedCounter& Script()
{
    static ScriptedCounter script{nullptr, 0};
    return script;
}

} // namespace

void SetScriptedCounter(ScriptedCounter counter)
{
    Script() = std::move(counter);
}

bool QueryPerformanceCounter(std::int64_t* count)
{
    if (count == nullptr)
    {
        return false;
    }
    *count =
        Script().count ? Script().count() : static_cast<std::int64_t>(SDL_GetPerformanceCounter());
    return true;
}

bool QueryPerformanceFrequency(std::int64_t* frequency)
{
    if (frequency == nullptr)
    {
        return false;
    }
    *frequency = Script().count ? Script().frequency
                                : static_cast<std::int64_t>(SDL_GetPerformanceFrequency());
    return true;
}

} // namespace platform
