// The raw counter: the monotonic clock in nanoseconds.
#include "platform/BackEnd.h"

#include <ctime>

namespace platform
{

bool SystemCounter(std::int64_t* count)
{
    timespec now{};
    if (count == nullptr || clock_gettime(CLOCK_MONOTONIC, &now) != 0)
    {
        return false;
    }
    *count = static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
    return true;
}

bool SystemCounterFrequency(std::int64_t* frequency)
{
    if (frequency == nullptr)
    {
        return false;
    }
    *frequency = 1000000000;
    return true;
}

} // namespace platform
