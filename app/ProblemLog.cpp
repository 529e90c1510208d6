// Tagged problem lines: standard error first, then a bounded copy.
#include "app/ProblemLog.h"

#include <cstdarg>
#include <cstdio>

namespace MivexGL
{

cProblemLog& cProblemLog::Instance()
{
    static cProblemLog log;
    return log;
}

void cProblemLog::Report(const std::string& line)
{
    std::lock_guard<std::mutex> lock(mutex);
    // One write per line, so lines from two threads never interleave.
    std::fprintf(stderr, "%s\n", line.c_str());
    lines.push_back(line);
    while (lines.size() > kKept)
    {
        lines.pop_front();
    }
    ++count;
}

void cProblemLog::Reportf(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string line(length > 0 ? static_cast<std::size_t>(length) : 0u, '\0');
    if (length > 0)
    {
        std::vsnprintf(&line[0], line.size() + 1, format, again);
    }
    va_end(again);
    Report(line);
}

std::vector<std::string> cProblemLog::Recent() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return std::vector<std::string>(lines.begin(), lines.end());
}

std::uint64_t cProblemLog::Count() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return count;
}

} // namespace MivexGL
