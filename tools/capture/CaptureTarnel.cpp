// The capturing application's hooks.
#include "CaptureTarnel.h"

#include "app/TimerSystem.h"
#include "platform/Win32.h"

#include <utility>

namespace capture
{

namespace
{

// Frames queued for the writer beyond the one it is writing: enough to ride
// out a pipe that blocks for a frame or two, little memory at any size.
constexpr std::size_t kQueuedFrames = 3;

} // namespace

cCaptureTarnel::cCaptureTarnel(const Schedule& plan, MivexGL::cFrameScript::Clock clock,
                               FrameSink frameSink, ProgressSink progressSink,
                               const volatile std::sig_atomic_t* stopFlag)
    : schedule(plan), script(std::move(clock)), progress(std::move(progressSink)), stop(stopFlag),
      writer(
          [this, sink = std::move(frameSink), rgb = std::vector<std::uint8_t>()](
              std::size_t k, const std::vector<std::uint8_t>& pixels) mutable
          {
              cPixelPacks::ToRgb(pixels, packs.RedFirst(), frameWidth, frameHeight, rgb);
              return !sink || sink(k, rgb);
          },
          kQueuedFrames)
{
}

cCaptureTarnel::~cCaptureTarnel()
{
    writer.Finish();
}

void cCaptureTarnel::Release()
{
    while (packs.Pending() > 0)
    {
        Collect();
    }
    packs.Release();
    writer.Finish();
    Tarnel::Release();
}

bool cCaptureTarnel::Start()
{
    const bool result = Tarnel::Start();
    frameWidth = GetWidth();
    frameHeight = GetHeight();
    script.Started();
    Seek();
    return result;
}

void cCaptureTarnel::Seek()
{
    // What a drawn frame leaves behind that a later frame reads is all set
    // by Update and the tick: the scene clocks, the flash and the timer. So
    // these frames cost an update each, not a render and a read back.
    while (updated < schedule.firstWritten)
    {
        if (stop != nullptr && *stop != 0)
        {
            stopped = true;
            SetKey(platform::VK_ESCAPE, true);
            return;
        }
        Tarnel::Update();
        ++updated;
        script.Advance(*this, schedule.times, updated);
        MivexGL::cTimerSystem::Instance().Tick();
        ++drawn;
        if (progress)
        {
            progress(drawn, captured);
        }
        // The loop would have presented this frame and stopped.
        if (IsFinished())
        {
            SetKey(platform::VK_ESCAPE, true);
            return;
        }
    }
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

void cCaptureTarnel::Stop()
{
    failed = true;
    SetKey(platform::VK_ESCAPE, true);
}

void cCaptureTarnel::Collect()
{
    std::vector<std::uint8_t> pixels = writer.Buffer();
    const bool taken = packs.Take(pixels);
    // After a failure nothing more is written: a frame lost here must not
    // leave the next one written under its number.
    if (failed)
    {
        return;
    }
    if (!taken)
    {
        problem = "cannot read frame " + std::to_string(collected) + " back from OpenGL";
        Stop();
        return;
    }
    // A refused frame stops the run at the next Draw; the writer drops the
    // frames that follow it.
    writer.Push(collected++, std::move(pixels));
}

bool cCaptureTarnel::Draw()
{
    const bool result = Tarnel::Draw();
    // Update always precedes Draw in a pass, so this is frame updated - 1.
    const std::size_t index = updated - 1;
    ++drawn;
    if (!failed && writer.Failed())
    {
        Stop();
    }
    if (!failed && index >= schedule.firstWritten && index < schedule.times.size())
    {
        if (packs.Full())
        {
            Collect();
        }
        packs.Read(frameWidth, frameHeight);
        ++captured;
        // Each frame is mapped one frame after its read started; the last
        // ones as soon as nothing more will be drawn.
        const bool last = index + 1 == schedule.times.size() || !result;
        while (packs.Pending() > (last ? 0 : 1) && !failed)
        {
            Collect();
        }
    }
    if (progress)
    {
        progress(drawn, captured);
    }
    return result;
}

} // namespace capture
