// Runs the frame loop of any application built on the window system on a
// scripted clock instead of the wall clock: every frame's director time comes
// from a list, and the clock is moved after a frame's Update so that the tick
// before its Draw, which the next Update reads, lands on the next listed time.
// Drawn frames can be read back from the back buffer before they are
// presented. Shared by the capture and the in-process tests; depends on
// app/WindowsSystem.h and platform/GL.h.
#pragma once

#include "app/WindowsSystem.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace MivexGL
{

class cFrameScript
{
public:
    // The counter the script moves: its reading, a way to set it, its rate.
    struct Clock
    {
        std::function<std::int64_t()> read;
        std::function<void(std::int64_t)> set;
        std::int64_t frequency;
    };

    explicit cFrameScript(Clock clockToDrive);

    // Call at the end of Start: the application has just reset the timer
    // (a director does when its music starts) on the clock's current
    // reading, so listed times count from it.
    void Started();

    // Call at the end of every Update with the number of frames updated so
    // far (this one included). Moves the clock to times[updated]; after the
    // last listed frame holds Escape down, so the loop ends before drawing
    // another one. Returns whether another frame follows.
    bool Advance(cWindowsSystem& app, const std::vector<std::int32_t>& times, std::size_t updated);

    // The counter reading that the timer turns into `time` ms after the reset.
    std::int64_t TicksAt(std::int32_t time) const;

    // The back buffer as RGB bytes, width x height, tightly packed; rows
    // top first when asked, else as GL keeps them (bottom first). Call after
    // Draw and before the frame is presented.
    static void ReadBack(int width, int height, bool topRowFirst, std::vector<std::uint8_t>& rgb);

    // Run with the application as the target of window messages.
    static int Run(cWindowsSystem& app);

private:
    Clock clock;
    std::int64_t resetTicks;
};

} // namespace MivexGL
