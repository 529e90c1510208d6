// The capture's progress report.
#include "Progress.h"

#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace capture
{

cProgress::cProgress(std::size_t stepCount, std::size_t writtenCount, std::FILE* stream)
    : steps(stepCount), written(writtenCount), out(stream),
      terminal(stream != nullptr && isatty(fileno(stream)) != 0),
      started(std::chrono::steady_clock::now()), lastDrawn(started)
{
}

std::string cProgress::Format(std::size_t writtenSoFar, std::size_t writtenCount, std::int32_t atMs,
                              double fps, double secondsLeft, int barWidth)
{
    std::string text;
    if (barWidth > 0)
    {
        const double share =
            writtenCount > 0 ? static_cast<double>(writtenSoFar) / static_cast<double>(writtenCount)
                             : 1.0;
        const int filled = std::clamp(static_cast<int>(share * barWidth), 0, barWidth);
        text = "[" + std::string(static_cast<std::size_t>(filled), '#') +
               std::string(static_cast<std::size_t>(barWidth - filled), '-') + "] ";
    }
    const long left = std::lround(std::max(0.0, secondsLeft));
    char tail[128];
    std::snprintf(tail, sizeof tail, "%zu/%zu frames  at %d:%02d.%d  %.1f fps  %ld:%02ld left",
                  writtenSoFar, writtenCount, static_cast<int>(atMs / 60000),
                  static_cast<int>(atMs / 1000 % 60), static_cast<int>(atMs / 100 % 10), fps,
                  left / 60, left % 60);
    return text + tail;
}

void cProgress::Step(std::size_t stepped, std::size_t writtenSoFar, std::int32_t atMs)
{
    if (out == nullptr)
    {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    const bool last = stepped >= steps;
    if (terminal)
    {
        // A tenth of a second between redraws is smooth and costs nothing.
        if (!last && now - lastDrawn < std::chrono::milliseconds(100))
        {
            return;
        }
    }
    // Counts summed over jobs jump: a line each time a multiple is passed.
    else if (!last && writtenSoFar / kLineEvery <= lined / kLineEvery)
    {
        return;
    }
    lined = writtenSoFar;
    lastDrawn = now;
    const double seconds = std::chrono::duration<double>(now - started).count();
    const double rate = seconds > 0.0 ? static_cast<double>(stepped) / seconds : 0.0;
    const double left =
        rate > 0.0 ? static_cast<double>(steps - std::min(stepped, steps)) / rate : 0.0;
    const std::string text = Format(writtenSoFar, written, atMs, rate, left, terminal ? 30 : 0);
    if (terminal)
    {
        std::fprintf(out, "\r%s\033[K", text.c_str());
        open = true;
    }
    else
    {
        std::fprintf(out, "%s\n", text.c_str());
    }
    std::fflush(out);
}

void cProgress::Finish()
{
    if (open && out != nullptr)
    {
        std::fprintf(out, "\n");
        std::fflush(out);
        open = false;
    }
}

} // namespace capture
