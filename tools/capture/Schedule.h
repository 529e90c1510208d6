// Which director times the capture steps through: the frames before the
// range, stepped at the same rate so the scene clocks and the flash hold what
// they would hold live, then the written frames at FROM + round(k * 1000 /
// RATE) ms, rounded half up in exact 64-bit arithmetic. Depends on Options.h.
#pragma once

#include "Options.h"

#include <cstdint>
#include <vector>

namespace capture
{

// round(k * 1000 * den / num), halves up; k, num, den as ParseRate allows.
std::int64_t FrameOffset(std::int64_t k, std::int64_t num, std::int64_t den);

struct Schedule
{
    // Director time of every frame in order, the first always 0.
    std::vector<std::int32_t> times;
    // Index in times of written frame 0; the frames before only step.
    std::size_t firstWritten = 0;
    // The number written frame 0 carries in the whole range: a segment's
    // frames keep the numbers a single run gives them.
    std::size_t firstNumber = 0;
    std::size_t WrittenCount() const { return times.size() - firstWritten; }
};

// The written frames [begin, end) of the segment-th (from 1) of `segments`
// ranges of `count` frames, split by frame index so the ranges meet with no
// frame lost or repeated.
struct Range
{
    std::size_t begin = 0;
    std::size_t end = 0;
};
Range SegmentRange(std::size_t count, std::int32_t segment, std::int32_t segments);

// The options' frames; with a segment, only that segment's written frames,
// stepped up to from frame 0 exactly as the whole run steps them.
Schedule BuildSchedule(const Options& options);

} // namespace capture
