// The performance counter, straight from KERNEL32, or a scripted one that
// tests and the capture tool install. Depends on platform/Counter.h and
// platform/win/Native.h.
#include "platform/Counter.h"

#include "platform/win/Native.h"

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
    ::LARGE_INTEGER value{};
    const bool ok = ::QueryPerformanceCounter(&value) != 0;
    *count = value.QuadPart;
    return ok;
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
    ::LARGE_INTEGER value{};
    const bool ok = ::QueryPerformanceFrequency(&value) != 0;
    *frequency = value.QuadPart;
    return ok;
}

} // namespace platform
