// Bitmap 102, the setup dialog's banner: a night-blue band with a violet
// glow and a row of crystal facets, painted in code at 280 x 45, 24 bits,
// bottom-up BGR rows as a device-independent bitmap stores them.
#include "resources/Resources.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace MivexGL
{

namespace
{

constexpr int kWidth = 280;
constexpr int kHeight = 45;

std::uint8_t Channel(float v)
{
    return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f);
}

} // namespace

platform::BitmapResource MakeBannerBitmap()
{
    platform::BitmapResource bitmap;
    bitmap.width = kWidth;
    bitmap.height = kHeight;
    bitmap.bitsPerPixel = 24;
    const int stride = (kWidth * 3 + 3) & ~3;
    bitmap.pixels.assign(static_cast<std::size_t>(stride * kHeight), 0);
    for (int row = 0; row < kHeight; ++row)
    {
        // Row 0 of the data is the bottom of the picture.
        const float y = static_cast<float>(kHeight - 1 - row) / (kHeight - 1);
        for (int column = 0; column < kWidth; ++column)
        {
            const float x = static_cast<float>(column) / (kWidth - 1);
            float r = 0.03f + 0.10f * y;
            float g = 0.04f + 0.06f * y;
            float b = 0.12f + 0.25f * y;
            // A soft violet glow along a slow wave.
            const float wave = 0.5f + 0.18f * std::sin(x * 9.0f);
            const float glow = std::exp(-std::pow((y - wave) * 7.0f, 2.0f));
            r += 0.45f * glow;
            g += 0.20f * glow;
            b += 0.60f * glow;
            // Crystal facets on the right: diamonds with a lit upper edge.
            for (int k = 0; k < 4; ++k)
            {
                const float cx = 0.70f + 0.08f * k;
                const float cy = 0.5f + (k % 2 == 0 ? -0.08f : 0.08f);
                const float dx = std::fabs(x - cx) * (kWidth / static_cast<float>(kHeight));
                const float dy = std::fabs(y - cy);
                const float d = dx + dy;
                if (d < 0.30f)
                {
                    const float light = y > cy ? 0.9f : 0.55f;
                    r = 0.35f * light + 0.25f;
                    g = 0.55f * light + 0.30f;
                    b = 0.95f * light + 0.05f;
                    if (d > 0.26f)
                    {
                        r = g = b = 0.95f;
                    }
                }
            }
            std::uint8_t* p = &bitmap.pixels[static_cast<std::size_t>(row * stride + column * 3)];
            p[0] = Channel(b);
            p[1] = Channel(g);
            p[2] = Channel(r);
        }
    }
    return bitmap;
}

} // namespace MivexGL
