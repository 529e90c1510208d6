// Clocks and summaries the benchmarks share: milliseconds between two
// points of the steady clock, the process's processor time (every thread's,
// so the renderer's threads count too; a busy machine moves it far less than
// the wall clock), and the median and best of a set of runs. Standard
// library and POSIX only.
#pragma once

#include <algorithm>
#include <chrono>
#include <time.h>
#include <vector>

namespace bench
{

using Clock = std::chrono::steady_clock;

inline double Ms(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

inline double CpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1.0e6;
}

// The upper median; 0 for no runs.
inline double Median(std::vector<double> values)
{
    if (values.empty())
    {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

inline double Best(const std::vector<double>& values)
{
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

// part / whole, or 0 when there is no whole to compare with.
inline double Ratio(double part, double whole)
{
    return whole > 0.0 ? part / whole : 0.0;
}

} // namespace bench
