// What turns a production's application into a capture: the frames before
// the written range are stepped inside Start through the update path alone
// (the production's Update, the clock, the timer's tick), since nothing they
// draw is kept; then the frame loop runs unchanged, the virtual clock moves
// after each Update so every Draw lands on its scheduled director time, and
// each written frame's read back is started after Draw, before it is
// presented, and collected a frame later for a writer thread, which turns it
// into RGB (or, for a video alone, the encoder's YUV) and hands it to the
// sink. cCaptureApp calls it from the hooks. Depends on app/WindowsSystem.h,
// app/TimerSystem.h, app/FrameScript.h, Schedule.h, PixelPacks.h, Yuv420.h
// and FrameWriter.h.
#pragma once

#include "FrameWriter.h"
#include "PixelPacks.h"
#include "Schedule.h"
#include "Yuv420.h"
#include "app/FrameScript.h"
#include "app/WindowsSystem.h"

#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace capture
{

class cCaptureDriver
{
public:
    // Wall seconds spent in each stage of the written frames, summed: the
    // production's Draw, the read back (starting it and mapping the
    // buffer), the conversion to RGB or YUV and the sink's writing.
    struct Stages
    {
        double draw = 0.0;
        double readBack = 0.0;
        double conversion = 0.0;
        double write = 0.0;
    };

    // Takes written frame k (rows top first), on the writer thread, in
    // order; false stops the run.
    using FrameSink = cFrameWriter::Sink;
    // After each frame: frames stepped and frames written so far.
    using ProgressSink = std::function<void(std::size_t stepped, std::size_t written)>;

    cCaptureDriver(const Schedule& plan, MivexGL::cFrameScript::Clock clock, FrameSink frameSink,
                   ProgressSink progressSink, const volatile std::sig_atomic_t* stopFlag);
    ~cCaptureDriver();
    cCaptureDriver(const cCaptureDriver&) = delete;
    cCaptureDriver& operator=(const cCaptureDriver&) = delete;

    // The application whose frames are captured; its keys end the run.
    void Attach(MivexGL::cWindowsSystem& application) { app = &application; }

    // Each after the production's own hook of that name. Started steps the
    // frames before the range with `update`, the production's own Update.
    void Started(const std::function<void()>& update);
    void Updated();
    void Drawn(bool result);
    // Before the production's Release: collects the frames still being read
    // while the context they were drawn in is current. A display is also
    // torn down and made again inside a run (a multisample format found,
    // F1), so the writing goes on.
    void Releasing();
    // After the run: writes what is queued and ends the writer thread.
    void Finish();

    std::size_t Stepped() const { return drawn; }
    // Frames the sink took; complete once Finish has returned.
    std::size_t Written() const { return writer.Written(); }
    bool Failed() const { return failed || writer.Failed(); }
    bool Stopped() const { return stopped; }
    // Why the run failed when the sink did not say: empty otherwise.
    const std::string& Problem() const { return problem; }
    // Complete once Finish has returned.
    const Stages& StageSeconds() const { return stages; }
    // Waits for the GL to finish each frame before its read back, so that
    // rendering a software GL defers to the read counts as drawing. Costs
    // the overlap of the two; for --timings only.
    void SeparateStages(bool separate) { finishBeforeRead = separate; }
    // Hands the sink yuv420p frames (cYuv420's) instead of RGB, for a sink
    // that writes only a video.
    void PassYuv(bool converted) { passYuv = converted; }

private:
    // Steps the frames before the written range without drawing them.
    void Seek(const std::function<void()>& update);
    // Hands the oldest frame being read to the writer.
    void Collect();
    void Stop();
    // Ends the frame loop after the frame under way.
    void End();

    const Schedule& schedule;
    MivexGL::cFrameScript script;
    ProgressSink progress;
    const volatile std::sig_atomic_t* stop;
    MivexGL::cWindowsSystem* app = nullptr;
    // The frames' size, fixed before the first one is queued.
    int frameWidth = 0;
    int frameHeight = 0;
    Stages stages;
    bool finishBeforeRead = false;
    bool passYuv = false;
    std::chrono::steady_clock::time_point drawStarted;
    cPixelPacks packs;
    cFrameWriter writer;
    std::string problem;
    std::size_t updated = 0;
    std::size_t drawn = 0;
    // Frames whose read back has started; the next one's number.
    std::size_t captured = 0;
    // Frames handed to the writer.
    std::size_t collected = 0;
    bool failed = false;
    bool stopped = false;
};

} // namespace capture
