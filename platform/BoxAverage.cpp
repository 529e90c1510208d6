// Box averages by integer sums, rounded to nearest.
#include "platform/BoxAverage.h"

#include <algorithm>

namespace platform
{

BoxAverage::BoxAverage()
    : channels(0), width(0), height(0), outWidth(0), shift(0), band(0), y(0), done(0)
{
}

void BoxAverage::Start(std::size_t pixelBytes, unsigned sourceWidth, unsigned sourceHeight,
                       int halvings)
{
    channels = pixelBytes;
    width = sourceWidth;
    height = sourceHeight;
    shift = std::min(std::max(halvings, 0), 31);
    outWidth =
        static_cast<unsigned>((static_cast<std::uint64_t>(width) + (1ull << shift) - 1) >> shift);
    band = y = done = 0;
    sums.assign(static_cast<std::size_t>(outWidth) * channels, 0);
}

bool BoxAverage::Add(const unsigned char* row)
{
    for (unsigned x = 0; x < width; ++x)
    {
        std::uint64_t* sum = &sums[static_cast<std::size_t>(x >> shift) * channels];
        for (std::size_t c = 0; c < channels; ++c)
        {
            sum[c] += row[static_cast<std::size_t>(x) * channels + c];
        }
    }
    ++band;
    ++y;
    return band == (1ull << shift) || y == height;
}

void BoxAverage::Emit(unsigned char* out)
{
    for (unsigned ox = 0; ox < outWidth; ++ox)
    {
        const std::uint64_t columns = std::min<std::uint64_t>(
            1ull << shift, width - (static_cast<std::uint64_t>(ox) << shift));
        const std::uint64_t count = columns * band;
        for (std::size_t c = 0; c < channels; ++c)
        {
            std::uint64_t& sum = sums[ox * channels + c];
            out[ox * channels + c] = static_cast<unsigned char>((sum + count / 2) / count);
            sum = 0;
        }
    }
    band = 0;
    ++done;
}

} // namespace platform
