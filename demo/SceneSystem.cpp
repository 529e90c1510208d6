// Scene framework: anchoring, the inclusive window test, the scene's own
// clock and the time-text parsers.
#include "demo/SceneSystem.h"

#include "log/ProblemLog.h"
#include "app/TimerSystem.h"

#include <cctype>
#include <limits>
#include <sstream>
#include <utility>

namespace MivexGL
{

cSceneSystem::cSceneSystem()
    : forceActive(false), disabled(false), localTime(0), data(nullptr), firstFrame(true)
{
}

cSceneSystem::~cSceneSystem() = default;

int cSceneSystem::Init()
{
    Load();
    return 0;
}

bool cSceneSystem::IsFinished()
{
    return time.elapsed >= time.end;
}

void cSceneSystem::Update() {}

void cSceneSystem::Draw() {}

void cSceneSystem::Rewind()
{
    firstFrame = true;
    time.elapsed = 0;
    time.base = 0;
    localTime = 0;
}

void cSceneSystem::Anchor()
{
    if (!firstFrame)
    {
        return;
    }
    time.base = cTimerSystem::Instance().GetTime();
    time.elapsed = 0;
    firstFrame = false;
}

bool cSceneSystem::IsActive() const
{
    const bool beforeEnd = endExclusive ? time.elapsed < time.end : time.elapsed <= time.end;
    return (time.elapsed >= time.start && beforeEnd) || forceActive;
}

std::int32_t cSceneSystem::WindowMs() const
{
    const std::int64_t since = static_cast<std::int64_t>(time.elapsed) - time.start;
    return since > 0 ? static_cast<std::int32_t>(since) : 0;
}

bool cSceneSystem::WillDraw() const
{
    // An unanchored scene's elapsed is still its initial 0, as anchoring
    // would leave it.
    return !disabled && IsActive();
}

int cSceneSystem::UpdateIfActive()
{
    cTimerSystem& timer = cTimerSystem::Instance();
    Anchor();
    // Differences in 32 bits, as the timer's own are.
    time.elapsed = static_cast<std::int32_t>(static_cast<std::uint32_t>(timer.GetTime()) -
                                             static_cast<std::uint32_t>(time.base));
    if (disabled)
    {
        return 0;
    }
    if (IsActive())
    {
        localTime += timer.GetFrameTime();
        Update();
    }
    return 0;
}

int cSceneSystem::DrawIfActive()
{
    Anchor();
    if (WillDraw())
    {
        Draw();
    }
    return 0;
}

void cSceneSystem::SetStartTime(std::string text)
{
    time.start = ParseTime(text);
    startText = std::move(text);
}

void cSceneSystem::SetEndTime(std::string text)
{
    time.end = ParseTime(text);
    endText = std::move(text);
}

bool cSceneSystem::SetWindow(const std::string& start, const std::string& end)
{
    std::int32_t first = 0;
    std::int32_t last = 0;
    std::string error;
    if (!ParseStrictTime(start, first, error) || !ParseStrictTime(end, last, error))
    {
        cProblemLog::Instance().Report("scene: " + error + "; the window stays as it was");
        return false;
    }
    if (last < first)
    {
        cProblemLog::Instance().Report("scene: window \"" + start + "\" to \"" + end +
                                       "\" ends before it starts; the window stays as it was");
        return false;
    }
    time.start = first;
    time.end = last;
    startText.clear();
    endText.clear();
    return true;
}

std::string cSceneSystem::WindowMisreading() const
{
    const std::string* texts[2] = {&startText, &endText};
    const std::int32_t read[2] = {time.start, time.end};
    std::string strict[2];
    bool differs = false;
    for (int i = 0; i < 2; ++i)
    {
        std::int32_t ms = 0;
        std::string error;
        if (texts[i]->empty())
        {
            strict[i] = std::to_string(read[i]);
        }
        else if (!ParseStrictTime(*texts[i], ms, error))
        {
            strict[i] = "?";
            differs = true;
        }
        else
        {
            strict[i] = std::to_string(ms);
            differs = differs || ms != read[i];
        }
    }
    if (!differs)
    {
        return {};
    }
    const auto quoted = [](const std::string& text)
    { return text.empty() ? std::string("(none)") : "\"" + text + "\""; };
    return "window " + quoted(startText) + " to " + quoted(endText) + " is read as " +
           std::to_string(time.start) + " to " + std::to_string(time.end) +
           " ms; as minutes:seconds it would be " + strict[0] + " to " + strict[1] + " ms";
}

std::int32_t ParseTime(const std::string& text)
{
    // Wider than the result so that absurd texts wrap instead of overflowing.
    std::int64_t total = 0;
    std::string pending;
    std::stringstream stream;
    auto convert = [&]() -> std::int64_t
    {
        // 32 bits, as the time values are; an out-of-range number fails.
        std::int32_t value = 0;
        stream.clear();
        // A fresh text each time: leftovers of a malformed component are
        // dropped rather than spoiling the next one.
        stream.str(pending);
        if (!(stream >> value))
        {
            value = 0;
        }
        pending.clear();
        return value;
    };
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i];
        if (c == ':')
        {
            total = convert() * 60;
        }
        else if (c == '.')
        {
            const std::int64_t value = convert();
            total = (total + value) * 1000;
        }
        else
        {
            pending += c;
            if (i + 1 == text.size())
            {
                total += convert();
            }
        }
        total = static_cast<std::int32_t>(static_cast<std::uint32_t>(total));
    }
    total += convert();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(total));
}

bool ParseStrictTime(const std::string& text, std::int32_t& ms, std::string& error)
{
    const auto refuse = [&](const char* why)
    {
        error = "\"" + text + "\" " + why;
        return false;
    };
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    const auto digit = [&](std::size_t i)
    { return i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0; };
    std::size_t i = 0;
    std::int64_t minutes = 0;
    for (; digit(i); ++i)
    {
        minutes = minutes * 10 + (text[i] - '0');
        if (minutes * 60000 > kMax)
        {
            return refuse("is past the longest time (35791:23.647)");
        }
    }
    const char* form = "is not minutes:seconds, as \"1:30\" or \"0:15.5\"";
    if (i == 0 || i >= text.size() || text[i] != ':' || !digit(i + 1) || !digit(i + 2))
    {
        return refuse(form);
    }
    const std::int64_t seconds = (text[i + 1] - '0') * 10 + (text[i + 2] - '0');
    i += 3;
    if (seconds > 59)
    {
        return refuse("has seconds past 59");
    }
    std::int64_t fraction = 0;
    if (i < text.size() && text[i] == '.')
    {
        const std::size_t first = ++i;
        for (int scale = 100; digit(i); ++i, scale /= 10)
        {
            if (i - first == 3)
            {
                return refuse("has more than three digits after the point (whole milliseconds)");
            }
            fraction += (text[i] - '0') * scale;
        }
        if (i == first)
        {
            return refuse(form);
        }
    }
    if (i != text.size())
    {
        return refuse(form);
    }
    const std::int64_t total = minutes * 60000 + seconds * 1000 + fraction;
    if (total > kMax)
    {
        return refuse("is past the longest time (35791:23.647)");
    }
    ms = static_cast<std::int32_t>(total);
    return true;
}

} // namespace MivexGL
