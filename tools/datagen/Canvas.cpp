// Floating-point RGB picture and colour helpers for the painters.
#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace datagen
{

Rgb Mix(const Rgb& a, const Rgb& b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(const Rgb& c, float s)
{
    return {c.r * s, c.g * s, c.b * s};
}

Rgb Add(const Rgb& a, const Rgb& b)
{
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}

Rgb Hex(int r, int g, int b)
{
    return {r / 255.0f, g / 255.0f, b / 255.0f};
}

cCanvas::cCanvas(int width_, int height_)
    : width(width_), height(height_), pixels(static_cast<size_t>(width_) * height_)
{
}

void cCanvas::Blend(int x, int y, const Rgb& c, float alpha)
{
    if (x < 0 || y < 0 || x >= width || y >= height)
    {
        return;
    }
    Rgb& p = At(x, y);
    p = Mix(p, c, alpha);
}

void cCanvas::FillBand(int y0, int y1, const Rgb& c, float alpha)
{
    for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            Blend(x, y, c, alpha);
        }
    }
}

std::vector<std::uint8_t> cCanvas::ToBytes(int floor) const
{
    std::vector<std::uint8_t> out(pixels.size() * 3);
    auto quantise = [floor](float v)
    {
        const int i = static_cast<int>(std::lround(v * 255.0f));
        return static_cast<std::uint8_t>(std::clamp(i, floor, 255));
    };
    for (size_t i = 0; i < pixels.size(); ++i)
    {
        out[i * 3 + 0] = quantise(pixels[i].r);
        out[i * 3 + 1] = quantise(pixels[i].g);
        out[i * 3 + 2] = quantise(pixels[i].b);
    }
    return out;
}

} // namespace datagen
