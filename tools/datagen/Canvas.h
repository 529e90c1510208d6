// A floating-point RGB picture that the painters draw into, with the few
// blending and conversion helpers they share. Depends on nothing but the
// standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace datagen
{

struct Rgb
{
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

Rgb Mix(const Rgb& a, const Rgb& b, float t);
Rgb Scale(const Rgb& c, float s);
Rgb Add(const Rgb& a, const Rgb& b);
// Colour from 0..255 components, as palettes are written.
Rgb Hex(int r, int g, int b);

class cCanvas
{
public:
    cCanvas(int width, int height);

    int Width() const { return width; }
    int Height() const { return height; }

    Rgb& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    const Rgb& At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }

    // Blends a colour over one pixel with the given opacity; out-of-range
    // coordinates are ignored so glyphs may overhang the edges.
    void Blend(int x, int y, const Rgb& c, float alpha);
    // Darkens a horizontal band towards the given colour.
    void FillBand(int y0, int y1, const Rgb& c, float alpha);

    // 8-bit RGB rows, top row first. Every channel is raised to at least
    // floor, so a picture can be kept clear of the colour key.
    std::vector<std::uint8_t> ToBytes(int floor) const;

private:
    int width;
    int height;
    std::vector<Rgb> pixels;
};

} // namespace datagen
