// The system counter, straight from KERNEL32. Depends on platform/BackEnd.h
// and platform/win/Native.h.
#include "platform/BackEnd.h"

#include "platform/win/Native.h"

namespace platform
{

bool SystemCounter(std::int64_t* count)
{
    ::LARGE_INTEGER value{};
    const bool ok = ::QueryPerformanceCounter(&value) != 0;
    *count = value.QuadPart;
    return ok;
}

bool SystemCounterFrequency(std::int64_t* frequency)
{
    ::LARGE_INTEGER value{};
    const bool ok = ::QueryPerformanceFrequency(&value) != 0;
    *frequency = value.QuadPart;
    return ok;
}

} // namespace platform
