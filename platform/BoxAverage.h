// Halving on the way in, for every decoder that reduces a picture by
// halvings: source rows are fed one at a time, and each output row is the
// rounded average of the boxes of source pixels it covers, the last boxes
// cut short at the edges. Portable, so the PNG readers of every back end
// halve alike. Depends on nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform
{

class BoxAverage
{
public:
    BoxAverage();

    // A width x height picture of channels bytes a pixel, halved that many
    // times (each side rounding up).
    void Start(std::size_t channels, unsigned width, unsigned height, int halvings);
    // Adds the next source row of width x channels bytes; true when it
    // completes an output row, which Emit then writes.
    bool Add(const unsigned char* row);
    // The completed output row, OutputWidth() x channels bytes, to out.
    void Emit(unsigned char* out);
    unsigned OutputWidth() const { return outWidth; }
    // Output rows written so far.
    unsigned RowsDone() const { return done; }

private:
    std::vector<std::uint64_t> sums;
    std::size_t channels;
    unsigned width;
    unsigned height;
    unsigned outWidth;
    int shift;
    unsigned band;
    unsigned y;
    unsigned done;
};

} // namespace platform
