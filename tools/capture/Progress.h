// Progress of a capture on standard error: on a terminal a bar redrawn in
// place with frames written, frames per second and time left; elsewhere (a
// log, a pipe) a plain line every so many frames. The rate is measured on the
// wall clock, which only this report ever reads.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

namespace capture
{

class cProgress
{
public:
    // Plain lines come every this many written frames.
    static constexpr std::size_t kLineEvery = 250;

    // steps: all frames the run steps through; written: those it writes.
    cProgress(std::size_t steps, std::size_t written, std::FILE* stream);

    // After each stepped frame, with the number written so far and the
    // timeline time the frame showed.
    void Step(std::size_t stepped, std::size_t writtenSoFar, std::int32_t atMs);
    // Ends the bar's line.
    void Finish();

    // One report: "[####----]  120/7801 frames  at 0:02.0  58.3 fps  2:11 left".
    static std::string Format(std::size_t writtenSoFar, std::size_t written, std::int32_t atMs,
                              double fps, double secondsLeft, int barWidth);

private:
    std::size_t steps;
    std::size_t written;
    std::FILE* out;
    bool terminal;
    bool open = false;
    // Frames written at the last plain line.
    std::size_t lined = 0;
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point lastDrawn;
};

} // namespace capture
