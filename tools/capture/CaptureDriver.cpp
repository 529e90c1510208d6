// The capture's side of the application's hooks.
#include "CaptureDriver.h"

#include "app/TimerSystem.h"
#include "platform/GL.h"
#include "platform/Win32.h"

#include <utility>

namespace capture
{

namespace
{

// Frames queued for the writer beyond the one it is writing: enough to ride
// out a pipe that blocks for a frame or two, little memory at any size.
constexpr std::size_t kQueuedFrames = 3;

using Clock = std::chrono::steady_clock;

// Adds the time since `from` to `total` and returns now.
Clock::time_point AddSince(Clock::time_point from, double& total)
{
    const Clock::time_point now = Clock::now();
    total += std::chrono::duration<double>(now - from).count();
    return now;
}

} // namespace

cCaptureDriver::cCaptureDriver(const Schedule& plan, MivexGL::cFrameScript::Clock clock,
                               FrameSink frameSink, ProgressSink progressSink,
                               const volatile std::sig_atomic_t* stopFlag)
    : schedule(plan), script(std::move(clock)), progress(std::move(progressSink)), stop(stopFlag),
      writer(
          [this, sink = std::move(frameSink), frame = std::vector<std::uint8_t>()](
              std::size_t k, const std::vector<std::uint8_t>& pixels) mutable
          {
              // This thread alone adds to these two until Finish joins it.
              Clock::time_point at = Clock::now();
              if (passYuv)
              {
                  cYuv420::FromPacked(pixels, packs.RedFirst(), frameWidth, frameHeight, frame);
              }
              else
              {
                  cPixelPacks::ToRgb(pixels, packs.RedFirst(), frameWidth, frameHeight, frame);
              }
              at = AddSince(at, stages.conversion);
              const bool taken = !sink || sink(k, frame);
              AddSince(at, stages.write);
              return taken;
          },
          kQueuedFrames)
{
}

cCaptureDriver::~cCaptureDriver()
{
    writer.Finish();
}

void cCaptureDriver::End()
{
    if (app != nullptr)
    {
        app->SetKey(platform::VK_ESCAPE, true);
    }
}

void cCaptureDriver::Releasing()
{
    while (packs.Pending() > 0)
    {
        Collect();
    }
    packs.Release();
}

void cCaptureDriver::Finish()
{
    writer.Finish();
}

void cCaptureDriver::Started(const std::function<void()>& update)
{
    if (app != nullptr)
    {
        frameWidth = app->GetWidth();
        frameHeight = app->GetHeight();
    }
    script.Started();
    Seek(update);
}

void cCaptureDriver::Seek(const std::function<void()>& update)
{
    // What a drawn frame leaves behind that a later frame reads is set by
    // Update and the tick: the scene clocks and the timer. So these frames
    // cost an update each, not a render and a read back.
    while (updated < schedule.firstWritten)
    {
        if (stop != nullptr && *stop != 0)
        {
            stopped = true;
            End();
            return;
        }
        if (update)
        {
            update();
        }
        ++updated;
        if (app != nullptr)
        {
            script.Advance(*app, schedule.times, updated);
        }
        MivexGL::cTimerSystem::Instance().Tick();
        ++drawn;
        if (progress)
        {
            progress(drawn, captured);
        }
        // The loop would have presented this frame and stopped.
        if (app != nullptr && app->IsFinished())
        {
            End();
            return;
        }
    }
}

void cCaptureDriver::Updated()
{
    ++updated;
    if (stop != nullptr && *stop != 0)
    {
        stopped = true;
        End();
        return;
    }
    if (app != nullptr)
    {
        script.Advance(*app, schedule.times, updated);
    }
    drawStarted = Clock::now();
}

void cCaptureDriver::Stop()
{
    failed = true;
    End();
}

void cCaptureDriver::Collect()
{
    std::vector<std::uint8_t> pixels = writer.Buffer();
    const Clock::time_point at = Clock::now();
    const bool taken = packs.Take(pixels);
    AddSince(at, stages.readBack);
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

void cCaptureDriver::Drawn(bool result)
{
    // Update always precedes Draw in a pass, so this is frame updated - 1.
    const std::size_t index = updated - 1;
    ++drawn;
    if (!failed && writer.Failed())
    {
        Stop();
    }
    if (!failed && index >= schedule.firstWritten && index < schedule.times.size())
    {
        if (finishBeforeRead)
        {
            glFinish();
        }
        AddSince(drawStarted, stages.draw);
        if (packs.Full())
        {
            Collect();
        }
        const Clock::time_point at = Clock::now();
        packs.Read(frameWidth, frameHeight);
        AddSince(at, stages.readBack);
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
}

} // namespace capture
