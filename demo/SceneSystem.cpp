// Scene framework: anchoring, the inclusive window test, the scene's own
// clock and the time-text parser.
#include "demo/SceneSystem.h"

#include "app/TimerSystem.h"

#include <sstream>

namespace MivexGL
{

cSceneSystem::cSceneSystem()
    : forceActive(false), disabled(false), localTime(0), data(nullptr), firstFrame(true)
{
}

cSceneSystem::~cSceneSystem() = default;

int cSceneSystem::Init()
{
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
    return (time.elapsed >= time.start && time.elapsed <= time.end) || forceActive;
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
}

void cSceneSystem::SetEndTime(std::string text)
{
    time.end = ParseTime(text);
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

} // namespace MivexGL
