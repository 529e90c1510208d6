// Frame times of a capture run.
#include "Schedule.h"

namespace capture
{

std::int64_t FrameOffset(std::int64_t k, std::int64_t num, std::int64_t den)
{
    // k * 1000 * den / num + 1/2, all times two to stay in integers.
    return (2 * k * 1000 * den + num) / (2 * num);
}

Schedule BuildSchedule(const Options& options)
{
    Schedule schedule;
    for (std::int64_t j = 0;; ++j)
    {
        const std::int64_t t = FrameOffset(j, options.rateNum, options.rateDen);
        if (t >= options.from)
        {
            break;
        }
        schedule.times.push_back(static_cast<std::int32_t>(t));
    }
    schedule.firstWritten = schedule.times.size();
    for (std::int64_t k = 0;; ++k)
    {
        const std::int64_t t = options.from + FrameOffset(k, options.rateNum, options.rateDen);
        if (t > options.to)
        {
            break;
        }
        schedule.times.push_back(static_cast<std::int32_t>(t));
    }
    return schedule;
}

} // namespace capture
