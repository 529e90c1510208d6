// The capturing application's hooks.
#include "CaptureTarnel.h"

#include "platform/Win32.h"

#include <utility>

namespace capture
{

cCaptureTarnel::cCaptureTarnel(const Schedule& plan, MivexGL::cFrameScript::Clock clock,
                               FrameSink frameSink, ProgressSink progressSink,
                               const volatile std::sig_atomic_t* stopFlag)
    : schedule(plan), script(std::move(clock)), sink(std::move(frameSink)),
      progress(std::move(progressSink)), stop(stopFlag)
{
}

bool cCaptureTarnel::Start()
{
    const bool result = Tarnel::Start();
    script.Started();
    return result;
}

bool cCaptureTarnel::Update()
{
    const bool result = Tarnel::Update();
    ++updated;
    if (stop != nullptr && *stop != 0)
    {
        stopped = true;
        SetKey(platform::VK_ESCAPE, true);
        return result;
    }
    script.Advance(*this, schedule.times, updated);
    return result;
}

bool cCaptureTarnel::Draw()
{
    const bool result = Tarnel::Draw();
    // Update always precedes Draw in a pass, so this is frame updated - 1.
    const std::size_t index = updated - 1;
    ++drawn;
    if (!failed && index >= schedule.firstWritten && index < schedule.times.size())
    {
        MivexGL::cFrameScript::ReadBack(GetWidth(), GetHeight(), true, pixels);
        if (sink && !sink(index - schedule.firstWritten, pixels))
        {
            failed = true;
            SetKey(platform::VK_ESCAPE, true);
        }
        else
        {
            ++written;
        }
    }
    if (progress)
    {
        progress(drawn, written);
    }
    return result;
}

} // namespace capture
