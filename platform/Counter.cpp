// The counter every back end offers: the system's, or the scripted one tests
// and the capture tool install. Depends on platform/BackEnd.h.
#include "platform/Counter.h"

#include "platform/BackEnd.h"

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
    if (Script().count)
    {
        *count = Script().count();
        return true;
    }
    return SystemCounter(count);
}

bool QueryPerformanceFrequency(std::int64_t* frequency)
{
    if (frequency == nullptr)
    {
        return false;
    }
    if (Script().count)
    {
        *frequency = Script().frequency;
        return true;
    }
    return SystemCounterFrequency(frequency);
}

} // namespace platform
