// The capture's conversion to the encoder's YUV.
#include "Yuv420.h"

#include <algorithm>
#include <cstddef>

namespace capture
{

namespace
{

// Width x height pixels of Size bytes, red at byte Red and blue across from
// it, rows `step` bytes apart from the top one, into yuv420p. Both sides even.
template <std::size_t Size, std::size_t Red>
void Convert(const std::uint8_t* top, std::ptrdiff_t step, std::size_t w, std::size_t h,
             std::uint8_t* yuv)
{
    constexpr std::size_t kBlue = 2 - Red;
    if (w % 2 != 0 || h % 2 != 0)
    {
        std::fill(yuv, yuv + w * h + w * h / 2, std::uint8_t{0});
        return;
    }
    const std::size_t cw = w / 2;
    std::uint8_t* u = yuv + w * h;
    std::uint8_t* v = u + cw * (h / 2);
    for (std::size_t y = 0; y < h; ++y)
    {
        // 16 bits hold the sum: 220 * 255 + 128 < 65536.
        const std::uint8_t* p = top + static_cast<std::ptrdiff_t>(y) * step;
        std::uint8_t* out = yuv + y * w;
        for (std::size_t x = 0; x < w; ++x, p += Size)
        {
            const auto sum =
                static_cast<std::uint16_t>(66 * p[Red] + 129 * p[1] + 25 * p[kBlue] + 128);
            out[x] = static_cast<std::uint8_t>((sum >> 8) + 16);
        }
    }
    for (std::size_t y = 0; y < h; y += 2)
    {
        const std::uint8_t* p = top + static_cast<std::ptrdiff_t>(y) * step;
        const std::uint8_t* q = p + step;
        std::uint8_t* ur = u + y / 2 * cw;
        std::uint8_t* vr = v + y / 2 * cw;
        for (std::size_t x = 0; x < cw; ++x, p += 2 * Size, q += 2 * Size)
        {
            const int r = p[Red] + p[Size + Red] + q[Red] + q[Size + Red];
            const int g = p[1] + p[Size + 1] + q[1] + q[Size + 1];
            const int b = p[kBlue] + p[Size + kBlue] + q[kBlue] + q[Size + kBlue];
            // From the sum of the 2 x 2 pixels; the shift of a negative sum
            // rounds down, as every compiler the tool builds with does it.
            ur[x] = static_cast<std::uint8_t>(((-38 * r - 74 * g + 112 * b + 512) >> 10) + 128);
            vr[x] = static_cast<std::uint8_t>(((112 * r - 94 * g - 18 * b + 512) >> 10) + 128);
        }
    }
}

} // namespace

std::size_t cYuv420::FrameBytes(int width, int height)
{
    const auto pixels = static_cast<std::size_t>(std::max(width, 0)) *
                        static_cast<std::size_t>(std::max(height, 0));
    return pixels + pixels / 2;
}

void cYuv420::FromRgb(const std::vector<std::uint8_t>& rgb, int width, int height,
                      std::vector<std::uint8_t>& yuv)
{
    const std::size_t w = static_cast<std::size_t>(std::max(width, 0));
    const std::size_t h = static_cast<std::size_t>(std::max(height, 0));
    yuv.resize(FrameBytes(width, height));
    if (rgb.size() >= w * h * 3)
    {
        Convert<3, 0>(rgb.data(), static_cast<std::ptrdiff_t>(w * 3), w, h, yuv.data());
    }
}

void cYuv420::FromPacked(const std::vector<std::uint8_t>& pixels, bool redFirst, int width,
                         int height, std::vector<std::uint8_t>& yuv)
{
    const std::size_t w = static_cast<std::size_t>(std::max(width, 0));
    const std::size_t h = static_cast<std::size_t>(std::max(height, 0));
    yuv.resize(FrameBytes(width, height));
    if (pixels.size() < w * h * 4 || h == 0)
    {
        return;
    }
    // Rows bottom first: the top row is the last.
    const std::uint8_t* top = pixels.data() + (h - 1) * w * 4;
    const auto step = -static_cast<std::ptrdiff_t>(w * 4);
    if (redFirst)
    {
        Convert<4, 0>(top, step, w, h, yuv.data());
    }
    else
    {
        Convert<4, 2>(top, step, w, h, yuv.data());
    }
}

} // namespace capture
