// The resampler of the picture pipeline. Stretching is separable and in
// fixed point with the weights of each axis worked out once (16 bits, so the
// eighths of the usual 3:4 enlargement are exact); an axis that keeps its size
// is not touched, and the decoder writes straight into the memory the next
// step reads, rows already in texture order when nothing is stretched.
#include "render/Resampler.h"

#include "render/PreparedPicture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace MivexGL
{

namespace
{

// 16 bits: the eighths of the usual 3:4 enlargement are exact, and a
// hundred-tap average still lands within a level of the exact sum.
constexpr int kWeightBits = 16;
constexpr int kOne = 1 << kWeightBits;
constexpr int kHalf = kOne / 2;

// Source taps of every output sample along one axis.
struct AxisTaps
{
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int> offset;
    std::vector<std::int32_t> weights;
};

std::int32_t Weight(double w)
{
    return static_cast<std::int32_t>(std::lround(w * kOne));
}

AxisTaps MakeTaps(int srcSize, int dstSize)
{
    AxisTaps taps;
    taps.first.resize(static_cast<std::size_t>(dstSize));
    taps.count.resize(static_cast<std::size_t>(dstSize));
    taps.offset.resize(static_cast<std::size_t>(dstSize));
    const double scale = static_cast<double>(srcSize) / dstSize;
    for (int i = 0; i < dstSize; ++i)
    {
        const std::size_t at = static_cast<std::size_t>(i);
        taps.offset[at] = static_cast<int>(taps.weights.size());
        if (srcSize > dstSize)
        {
            // Each output pixel averages the source span it covers.
            const double a = i * scale;
            const double b = (i + 1) * scale;
            const int first = static_cast<int>(std::floor(a));
            const int last = std::min(srcSize - 1, static_cast<int>(std::ceil(b)) - 1);
            taps.first[at] = first;
            std::int32_t sum = 0;
            std::size_t largest = taps.weights.size();
            for (int j = first; j <= last; ++j)
            {
                const double overlap = std::min(b, j + 1.0) - std::max(a, static_cast<double>(j));
                const std::int32_t w = Weight(std::max(0.0, overlap) / scale);
                if (largest == taps.weights.size() || w > taps.weights[largest])
                {
                    largest = taps.weights.size();
                }
                taps.weights.push_back(w);
                sum += w;
            }
            // Rounded weights that add up to one keep a flat area flat.
            taps.weights[largest] += kOne - sum;
        }
        else
        {
            // Pixel centres line up; the outer half-pixels repeat the edge.
            double x = (i + 0.5) * scale - 0.5;
            x = std::min(std::max(x, 0.0), srcSize - 1.0);
            const int j = static_cast<int>(std::floor(x));
            const double f = x - j;
            taps.first[at] = j;
            taps.weights.push_back(Weight(1.0 - f));
            if (j + 1 < srcSize)
            {
                taps.weights.push_back(Weight(f));
            }
        }
        taps.count[at] = static_cast<int>(taps.weights.size()) - taps.offset[at];
    }
    return taps;
}

inline unsigned char ToByte(std::int32_t sum)
{
    return static_cast<unsigned char>(std::min(255, sum >> kWeightBits));
}

void KeyRows(unsigned char* first, std::ptrdiff_t stride, int rows, std::size_t rowPixels)
{
    for (int y = 0; y < rows; ++y)
    {
        KeyBlackInPlace(first + y * stride, rowPixels);
    }
}

// Across: every row of src to dstWidth pixels of C bytes; keyed when asked.
template <int C>
void StretchAcross(const unsigned char* src, std::ptrdiff_t srcStride, int rows,
                   const AxisTaps& taps, unsigned char* dst, std::ptrdiff_t dstStride, int dstWidth,
                   bool key)
{
    for (int y = 0; y < rows; ++y)
    {
        const unsigned char* in = src + y * srcStride;
        unsigned char* out = dst + y * dstStride;
        for (int x = 0; x < dstWidth; ++x)
        {
            const std::size_t at = static_cast<std::size_t>(x);
            const unsigned char* p = in + static_cast<std::ptrdiff_t>(taps.first[at]) * C;
            const std::int32_t* w = &taps.weights[static_cast<std::size_t>(taps.offset[at])];
            const int n = taps.count[at];
            std::int32_t sum[C];
            for (int c = 0; c < C; ++c)
            {
                sum[c] = kHalf;
            }
            for (int k = 0; k < n; ++k, p += C)
            {
                for (int c = 0; c < C; ++c)
                {
                    sum[c] += w[k] * p[c];
                }
            }
            for (int c = 0; c < C; ++c)
            {
                out[x * C + c] = ToByte(sum[c]);
            }
        }
        if (key)
        {
            KeyBlackInPlace(out, static_cast<std::size_t>(dstWidth));
        }
    }
}

// One output row from n rows of rowBytes bytes, srcStride apart.
void DownRow(const unsigned char* a, std::ptrdiff_t srcStride, const std::int32_t* w, int n,
             std::size_t rowBytes, unsigned char* out, std::vector<std::int32_t>& accum)
{
    // One or two rows is every enlargement; their loops vectorise.
    if (n == 1)
    {
        const std::int32_t w0 = w[0];
        for (std::size_t i = 0; i < rowBytes; ++i)
        {
            out[i] = ToByte(kHalf + w0 * a[i]);
        }
        return;
    }
    const unsigned char* b = a + srcStride;
    if (n == 2 && w[0] % 256 == 0 && w[1] % 256 == 0 && w[0] + w[1] <= kOne)
    {
        // Weights in whole 256ths, as at 3:4 and 1:2, give the same result
        // in 16 bits, twice as many lanes at a time.
        const std::uint16_t w0 = static_cast<std::uint16_t>(w[0] / 256);
        const std::uint16_t w1 = static_cast<std::uint16_t>(w[1] / 256);
        for (std::size_t i = 0; i < rowBytes; ++i)
        {
            const std::uint16_t sum =
                static_cast<std::uint16_t>(static_cast<std::uint16_t>(a[i] * w0) +
                                           static_cast<std::uint16_t>(b[i] * w1) + 128);
            out[i] = static_cast<unsigned char>(sum >> 8);
        }
        return;
    }
    if (n == 2)
    {
        const std::int32_t w0 = w[0];
        const std::int32_t w1 = w[1];
        for (std::size_t i = 0; i < rowBytes; ++i)
        {
            out[i] = ToByte(kHalf + w0 * a[i] + w1 * b[i]);
        }
        return;
    }
    accum.assign(rowBytes, kHalf);
    for (int k = 0; k < n; ++k)
    {
        const unsigned char* in = a + k * srcStride;
        const std::int32_t wk = w[k];
        for (std::size_t i = 0; i < rowBytes; ++i)
        {
            accum[i] += wk * in[i];
        }
    }
    for (std::size_t i = 0; i < rowBytes; ++i)
    {
        out[i] = ToByte(accum[i]);
    }
}

// Down: rows of rowBytes bytes from src to dstHeight rows; keyed when asked
// (then the rows are RGBA).
void StretchDown(const unsigned char* src, std::ptrdiff_t srcStride, const AxisTaps& taps,
                 std::size_t rowBytes, unsigned char* dst, std::ptrdiff_t dstStride, int dstHeight,
                 bool key)
{
    std::vector<std::int32_t> accum;
    for (int y = 0; y < dstHeight; ++y)
    {
        const std::size_t at = static_cast<std::size_t>(y);
        unsigned char* out = dst + y * dstStride;
        DownRow(src + taps.first[at] * srcStride, srcStride,
                &taps.weights[static_cast<std::size_t>(taps.offset[at])], taps.count[at], rowBytes,
                out, accum);
        if (key)
        {
            KeyBlackInPlace(out, rowBytes / 4);
        }
    }
}

// src (srcWidth x srcHeight, C bytes a pixel, rows srcStride apart) to dst
// (rows dstStride apart); an axis that keeps its size is not resampled.
template <int C>
void Stretch(const unsigned char* src, std::ptrdiff_t srcStride, int srcWidth, int srcHeight,
             unsigned char* dst, std::ptrdiff_t dstStride, int dstWidth, int dstHeight, bool key)
{
    const std::size_t dstRowBytes = static_cast<std::size_t>(dstWidth) * C;
    if (srcWidth == dstWidth && srcHeight == dstHeight)
    {
        for (int y = 0; y < dstHeight; ++y)
        {
            std::memcpy(dst + y * dstStride, src + y * srcStride, dstRowBytes);
        }
        if (key)
        {
            KeyRows(dst, dstStride, dstHeight, static_cast<std::size_t>(dstWidth));
        }
        return;
    }
    if (srcHeight == dstHeight)
    {
        StretchAcross<C>(src, srcStride, srcHeight, MakeTaps(srcWidth, dstWidth), dst, dstStride,
                         dstWidth, key);
        return;
    }
    if (srcWidth == dstWidth)
    {
        StretchDown(src, srcStride, MakeTaps(srcHeight, dstHeight), dstRowBytes, dst, dstStride,
                    dstHeight, key);
        return;
    }
    // Across first, into a picture of the final width and the source height.
    const std::ptrdiff_t midStride = static_cast<std::ptrdiff_t>(dstRowBytes);
    std::unique_ptr<unsigned char[]> mid(
        new unsigned char[dstRowBytes * static_cast<std::size_t>(srcHeight)]);
    StretchAcross<C>(src, srcStride, srcHeight, MakeTaps(srcWidth, dstWidth), mid.get(), midStride,
                     dstWidth, false);
    StretchDown(mid.get(), midStride, MakeTaps(srcHeight, dstHeight), dstRowBytes, dst, dstStride,
                dstHeight, key);
}

} // namespace

// Rows decoded a batch at a time.
constexpr int kBatch = 16;

// The decoder's rows (srcWidth x srcHeight) stretched to width x height,
// keyed when asked, into out (rows outStride apart) as they come: the
// picture is never held whole, only the few rows the current output rows
// read.
bool DecodeStretched(platform::PictureDecoder& decoder, int srcWidth, int srcHeight,
                     unsigned char* out, std::ptrdiff_t outStride, int width, int height, bool key)
{
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    const std::ptrdiff_t srcStride = static_cast<std::ptrdiff_t>(srcWidth) * 4;
    const bool across = srcWidth != width;
    AxisTaps acrossTaps;
    std::unique_ptr<unsigned char[]> raw;
    if (across)
    {
        acrossTaps = MakeTaps(srcWidth, width);
        raw.reset(new unsigned char[static_cast<std::size_t>(srcStride) * kBatch]);
    }
    // Reads a batch to rows stride apart, stretched across when needed.
    auto read = [&](unsigned char* rows, std::ptrdiff_t stride, int most, bool keyed)
    {
        if (!across)
        {
            const int got = decoder.ReadSomeRows(rows, stride, most);
            if (keyed && got > 0)
            {
                KeyRows(rows, stride, got, static_cast<std::size_t>(width));
            }
            return got;
        }
        const int got = decoder.ReadSomeRows(raw.get(), srcStride, most);
        if (got > 0)
        {
            StretchAcross<4>(raw.get(), srcStride, got, acrossTaps, rows, stride, width, keyed);
        }
        return got;
    };

    if (srcHeight == height)
    {
        for (int y = 0; y < height;)
        {
            const int got = read(out + y * outStride, outStride, std::min(kBatch, height - y), key);
            if (got <= 0)
            {
                return false;
            }
            y += got;
        }
        return true;
    }

    const AxisTaps down = MakeTaps(srcHeight, height);
    const int widest = *std::max_element(down.count.begin(), down.count.end());
    // Source rows base .. base + held - 1, stretched across.
    const std::ptrdiff_t windowStride = static_cast<std::ptrdiff_t>(rowBytes);
    std::unique_ptr<unsigned char[]> window(
        new unsigned char[rowBytes * static_cast<std::size_t>(kBatch + widest)]);
    std::vector<std::int32_t> accum;
    int base = 0;
    int held = 0;
    for (int y = 0; y < height;)
    {
        const std::size_t at = static_cast<std::size_t>(y);
        const int first = down.first[at];
        if (first + down.count[at] <= base + held)
        {
            unsigned char* row = out + y * outStride;
            DownRow(window.get() + (first - base) * windowStride, windowStride,
                    &down.weights[static_cast<std::size_t>(down.offset[at])], down.count[at],
                    rowBytes, row, accum);
            if (key)
            {
                KeyBlackInPlace(row, static_cast<std::size_t>(width));
            }
            ++y;
            continue;
        }
        // Rows before this output's first are read by no later one.
        if (first > base)
        {
            const int drop = std::min(first - base, held);
            std::memmove(window.get(), window.get() + drop * windowStride,
                         static_cast<std::size_t>(held - drop) * rowBytes);
            held -= drop;
            base += drop;
        }
        // After the drop fewer than widest rows are held, so a batch fits.
        const int got = read(window.get() + held * windowStride, windowStride,
                             std::min(kBatch, kBatch + widest - held), false);
        if (got <= 0)
        {
            return false;
        }
        held += got;
    }
    return true;
}

void StretchPicture(const unsigned char* src, int srcWidth, int srcHeight, unsigned char* dst,
                    int dstWidth, int dstHeight)
{
    if (src == nullptr || dst == nullptr || srcWidth <= 0 || srcHeight <= 0 || dstWidth <= 0 ||
        dstHeight <= 0)
    {
        return;
    }
    Stretch<3>(src, static_cast<std::ptrdiff_t>(srcWidth) * 3, srcWidth, srcHeight, dst,
               static_cast<std::ptrdiff_t>(dstWidth) * 3, dstWidth, dstHeight, false);
}

void KeyBlack(const unsigned char* rgb, std::size_t pixelCount, unsigned char* rgba)
{
    for (std::size_t i = 0; i < pixelCount; ++i, rgb += 3, rgba += 4)
    {
        rgba[0] = rgb[0];
        rgba[1] = rgb[1];
        rgba[2] = rgb[2];
        rgba[3] = (rgb[0] == 0 && rgb[1] == 0 && rgb[2] == 0) ? 0 : 255;
    }
}

void KeyBlackInPlace(unsigned char* rgba, std::size_t pixelCount)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // A whole pixel at a time; this form vectorises.
    for (std::size_t i = 0; i < pixelCount; ++i)
    {
        std::uint32_t p;
        std::memcpy(&p, rgba + i * 4, 4);
        const std::uint32_t colour = p & 0x00FFFFFFu;
        p = colour | (colour != 0 ? 0xFF000000u : 0u);
        std::memcpy(rgba + i * 4, &p, 4);
    }
#else
    for (std::size_t i = 0; i < pixelCount; ++i, rgba += 4)
    {
        rgba[3] = (rgba[0] | rgba[1] | rgba[2]) != 0 ? 255 : 0;
    }
#endif
}

} // namespace MivexGL
