// The demo's own application class with a capture's hands on its hooks: the
// frame loop runs unchanged, the virtual clock moves after each Update so
// every Draw lands on its scheduled director time, and each frame of the
// written range is read back after Draw, before it is presented, and handed
// to a sink. Depends on app/Tarnel.h, app/FrameScript.h and Schedule.h.
#pragma once

#include "Schedule.h"
#include "app/FrameScript.h"
#include "app/Tarnel.h"

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace capture
{

class cCaptureTarnel : public Tarnel
{
public:
    // Takes written frame k (rows top first); false stops the run.
    using FrameSink = std::function<bool(std::size_t k, const std::vector<std::uint8_t>& rgb)>;
    // After each frame: frames stepped and frames written so far.
    using ProgressSink = std::function<void(std::size_t stepped, std::size_t written)>;

    cCaptureTarnel(const Schedule& plan, MivexGL::cFrameScript::Clock clock, FrameSink frameSink,
                   ProgressSink progressSink, const volatile std::sig_atomic_t* stopFlag);

    bool Start() override;
    bool Update() override;
    bool Draw() override;

    std::size_t Stepped() const { return drawn; }
    std::size_t Written() const { return written; }
    bool Failed() const { return failed; }
    bool Stopped() const { return stopped; }

private:
    const Schedule& schedule;
    MivexGL::cFrameScript script;
    FrameSink sink;
    ProgressSink progress;
    const volatile std::sig_atomic_t* stop;
    std::vector<std::uint8_t> pixels;
    std::size_t updated = 0;
    std::size_t drawn = 0;
    std::size_t written = 0;
    bool failed = false;
    bool stopped = false;
};

} // namespace capture
