// Frame times of a capture run.
#include "Schedule.h"

namespace capture
{

std::int64_t FrameOffset(std::int64_t k, std::int64_t num, std::int64_t den)
{
    // k * 1000 * den / num + 1/2, all times two to stay in integers.
    return (2 * k * 1000 * den + num) / (2 * num);
}

Range SegmentRange(std::size_t count, std::int32_t segment, std::int32_t segments)
{
    const auto at = [&](std::int32_t k)
    { return count * static_cast<std::size_t>(k) / static_cast<std::size_t>(segments); };
    return {at(segment - 1), at(segment)};
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
    if (options.segments > 0)
    {
        const Range range =
            SegmentRange(schedule.WrittenCount(), options.segment, options.segments);
        schedule.times.resize(schedule.firstWritten + range.end);
        schedule.firstWritten += range.begin;
        schedule.firstNumber = range.begin;
    }
    return schedule;
}

} // namespace capture
