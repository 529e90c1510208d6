// Tagged problem lines: standard error first, then a bounded copy.
#include "log/ProblemLog.h"

#include <cstdarg>
#include <cstdio>
#include <utility>

namespace MivexGL
{

cProblemLog& cProblemLog::Instance()
{
    static cProblemLog log;
    return log;
}

void cProblemLog::Keep(const std::string& key, const std::string& line)
{
    // One write per line, so lines from two threads never interleave.
    std::fprintf(stderr, "%s\n", line.c_str());
    lines.push_back(cLine{key, line});
    while (lines.size() > kKept)
    {
        lines.pop_front();
    }
    ++count;
}

void cProblemLog::Report(const std::string& line)
{
    std::lock_guard<std::mutex> lock(mutex);
    Keep(std::string(), line);
}

void cProblemLog::ReportKeyed(const std::string& key, const std::string& line)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto at = open.find(key);
    if (at != open.end() && at->second == line)
    {
        return;
    }
    open[key] = line;
    Keep(key, line);
}

void cProblemLog::Resolve(const std::string& key)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (open.erase(key) == 0)
    {
        return;
    }
    std::deque<cLine> kept;
    for (cLine& line : lines)
    {
        if (line.key != key)
        {
            kept.push_back(std::move(line));
        }
    }
    lines.swap(kept);
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
    std::vector<std::string> texts;
    texts.reserve(lines.size());
    for (const cLine& line : lines)
    {
        texts.push_back(line.text);
    }
    return texts;
}

std::uint64_t cProblemLog::Count() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return count;
}

} // namespace MivexGL
