// Procedural scenes, palettes and captions for the generated pictures.
#include "Pictures.h"

#include "Canvas.h"
#include "ImageWriter.h"
#include "KeyedJpeg.h"
#include "Noise.h"
#include "TextRenderer.h"
#include "app/Sollan.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace datagen
{

namespace
{

constexpr float kPi = 3.14159265358979f;

struct Palette
{
    Rgb deep;
    Rgb mid;
    Rgb light;
    Rgb accent;
};

const Palette kPalettes[] = {
    {Hex(20, 10, 42), Hex(90, 30, 110), Hex(240, 122, 90), Hex(255, 210, 122)}, // dusk
    {Hex(6, 18, 42), Hex(29, 78, 137), Hex(127, 200, 248), Hex(232, 246, 255)}, // ice
    {Hex(26, 6, 4), Hex(122, 28, 8), Hex(232, 88, 28), Hex(255, 200, 100)},     // ember
    {Hex(4, 20, 10), Hex(14, 90, 42), Hex(78, 224, 106), Hex(232, 255, 154)},   // toxic
    {Hex(26, 4, 24), Hex(122, 16, 96), Hex(240, 74, 168), Hex(255, 208, 240)},  // magenta
    {Hex(32, 20, 4), Hex(128, 80, 16), Hex(232, 176, 48), Hex(255, 242, 192)},  // gold
    {Hex(2, 24, 24), Hex(10, 90, 90), Hex(48, 200, 192), Hex(208, 255, 248)},   // teal
    {Hex(20, 2, 4), Hex(90, 8, 16), Hex(192, 32, 42), Hex(255, 138, 112)},      // blood
    {Hex(12, 6, 32), Hex(58, 32, 128), Hex(138, 112, 240), Hex(224, 216, 255)}, // violet
    {Hex(28, 10, 16), Hex(160, 58, 48), Hex(248, 160, 72), Hex(255, 240, 176)}, // sunset
    {Hex(10, 12, 16), Hex(58, 66, 80), Hex(138, 152, 168), Hex(232, 238, 244)}, // steel
    {Hex(4, 16, 24), Hex(10, 96, 112), Hex(64, 224, 160), Hex(240, 255, 176)},  // lagoon
    {Hex(24, 10, 8), Hex(138, 74, 64), Hex(240, 160, 144), Hex(255, 240, 224)}, // rose
    {Hex(2, 8, 24), Hex(4, 48, 106), Hex(16, 128, 192), Hex(96, 240, 255)},     // deep sea
    {Hex(16, 16, 4), Hex(96, 96, 8), Hex(216, 224, 32), Hex(255, 255, 208)},    // acid
    {Hex(8, 4, 12), Hex(48, 10, 42), Hex(160, 16, 58), Hex(255, 96, 128)},      // night
};

enum class Style
{
    Grid,
    Nebula,
    Tunnel,
    Beams,
    Mountains,
    Plasma,
    Marble,
    Rings,
    Clouds,
    Lace
};

// How one slide is painted: its file, scene style, palette and noise seed.
struct SlideLook
{
    const char* file;
    Style style;
    int palette;
    std::uint32_t seed;
};

// The demo's picture list, in manifest order: the slides, and the one file
// of each other kind.
const SlideLook kSlides[] = {
#define MIVEX_FLASH(id, file)
#define MIVEX_SLIDE(id, file, style, palette, seed) {file, Style::style, palette, seed},
#define MIVEX_SPRITE(id, file)
#include "demo/Resources.def"
#undef MIVEX_FLASH
#undef MIVEX_SLIDE
#undef MIVEX_SPRITE
};
#define MIVEX_FLASH(id, file) constexpr const char kFlashFile[] = file;
#define MIVEX_SLIDE(id, file, style, palette, seed)
#define MIVEX_SPRITE(id, file) constexpr const char kSpriteFile[] = file;
#include "demo/Resources.def"
#undef MIVEX_FLASH
#undef MIVEX_SLIDE
#undef MIVEX_SPRITE

float Clamp01(float v)
{
    return std::clamp(v, 0.0f, 1.0f);
}

// Four-stop gradient through a palette.
Rgb Ramp(const Palette& p, float t)
{
    t = Clamp01(t);
    if (t < 0.4f)
    {
        return Mix(p.deep, p.mid, t / 0.4f);
    }
    if (t < 0.75f)
    {
        return Mix(p.mid, p.light, (t - 0.4f) / 0.35f);
    }
    return Mix(p.light, p.accent, (t - 0.75f) / 0.25f);
}

// Calls paint(x, y, px, py) for every pixel, with px, py centred and scaled
// by the height so shapes stay round on the 4:3 picture.
template <typename Paint> void ForEachPixel(cCanvas& canvas, Paint paint)
{
    const float w = static_cast<float>(canvas.Width());
    const float h = static_cast<float>(canvas.Height());
    for (int y = 0; y < canvas.Height(); ++y)
    {
        for (int x = 0; x < canvas.Width(); ++x)
        {
            const float px = (x + 0.5f - 0.5f * w) / h;
            const float py = (y + 0.5f - 0.5f * h) / h;
            canvas.At(x, y) = paint(x, y, px, py);
        }
    }
}

// Sun or glow: a hard disc with a soft halo, added over what is there.
Rgb Glow(const Rgb& base, const Rgb& colour, float distance, float radius, float halo)
{
    const float disc = 1.0f - Smoothstep(radius * 0.97f, radius, distance);
    const float fall = std::exp(-std::max(0.0f, distance - radius) / halo) * 0.6f;
    return Add(Mix(base, colour, disc), Scale(colour, fall * (1.0f - disc)));
}

void PaintGrid(cCanvas& c, const Palette& p, std::uint32_t seed)
{
    cRandom random(seed);
    const float horizon = 0.1f;
    const float sunX = random.Range(-0.25f, 0.25f);
    ForEachPixel(c,
                 [&](int x, int y, float px, float py)
                 {
                     if (py < horizon)
                     {
                         const float t = (py + 0.5f) / (horizon + 0.5f);
                         Rgb sky = Ramp(p, 0.1f + 0.7f * t * t);
                         if (Hash2(x, y, seed) > 0.9985f && t < 0.6f)
                         {
                             sky = Mix(sky, p.accent, 0.8f);
                         }
                         const float dx = px - sunX;
                         const float dy = py - (horizon - 0.14f);
                         const float d = std::sqrt(dx * dx + dy * dy);
                         // Stripes cut into the lower half of the sun.
                         const bool gap =
                             dy > 0.0f && std::fmod(dy * 60.0f, 1.0f) < 0.3f + dy * 4.0f;
                         Rgb sun = Mix(p.accent, p.light, Clamp01(dy / 0.2f + 0.5f));
                         if (gap && d < 0.2f)
                         {
                             return Add(sky, Scale(p.light, 0.15f));
                         }
                         return Glow(sky, sun, d, 0.2f, 0.08f);
                     }
                     const float depth = 0.3f / (py - horizon + 0.002f);
                     const float gx = px * depth * 4.0f;
                     const float gz = depth * 2.0f;
                     const float wx = depth * 4.0f * 1.5f / c.Height();
                     const float wz = depth * depth * 2.0f / 0.3f * 1.5f / c.Height();
                     const float dxl = std::fabs(gx - std::round(gx));
                     const float dzl = std::fabs(gz - std::round(gz));
                     const float line = std::max(1.0f - Smoothstep(0.0f, wx + 0.01f, dxl),
                                                 1.0f - Smoothstep(0.0f, wz + 0.01f, dzl));
                     const float fog = std::exp(-depth * 0.25f);
                     Rgb floor = Mix(p.deep, p.mid, 0.3f * (1.0f - fog));
                     floor = Mix(floor, p.light, line * fog);
                     return Mix(floor, Ramp(p, 0.6f), (1.0f - fog) * 0.6f);
                 });
}

void PaintNebula(cCanvas& c, const Palette& p, std::uint32_t seed)
{
    ForEachPixel(c,
                 [&](int x, int y, float px, float py)
                 {
                     const float q = Fbm(px * 1.5f, py * 1.5f, 4, seed + 5);
                     const float n = Fbm(px * 2.2f + q * 1.8f, py * 2.2f - q, 5, seed);
                     float t = Clamp01((n - 0.3f) * 1.8f);
                     t = t * t;
                     Rgb colour = Ramp(p, 0.08f + 0.85f * t);
                     const float star = Hash2(x, y, seed + 9);
                     if (star > 0.998f)
                     {
                         colour = Mix(colour, p.accent, (star - 0.998f) * 500.0f);
                     }
                     return colour;
                 });
    // A few large stars with cross-shaped flares.
    cRandom random(seed);
    for (int s = 0; s < 24; ++s)
    {
        const int cx = static_cast<int>(random.Range(0.0f, static_cast<float>(c.Width())));
        const int cy = static_cast<int>(random.Range(0.0f, static_cast<float>(c.Height())));
        const float size = random.Range(2.0f, 7.0f);
        const int reach = static_cast<int>(size * 8.0f);
        for (int y = cy - reach; y <= cy + reach; ++y)
        {
            for (int x = cx - reach; x <= cx + reach; ++x)
            {
                const float dx = static_cast<float>(x - cx);
                const float dy = static_cast<float>(y - cy);
                const float core = std::exp(-(dx * dx + dy * dy) / (size * size));
                const float cross = std::exp(-std::fabs(dx * dy) / (size * 0.5f)) *
                                    std::exp(-(std::fabs(dx) + std::fabs(dy)) / (size * 3.0f));
                c.Blend(x, y, p.accent, Clamp01(core + 0.6f * cross));
            }
        }
    }
}

void PaintTunnel(cCanvas& c, const Palette& p, std::uint32_t seed)
{
    cRandom random(seed);
    const float cx = random.Range(-0.12f, 0.12f);
    const float cy = random.Range(-0.08f, 0.08f);
    const float twist = random.Range(-1.0f, 1.0f);
    ForEachPixel(c,
                 [&](int, int, float px, float py)
                 {
                     const float dx = px - cx;
                     const float dy = py - cy;
                     const float r = std::sqrt(dx * dx + dy * dy) + 1e-4f;
                     const float a = std::atan2(dy, dx) / kPi;
                     const float u = 0.35f / r;
                     const float v = a * 4.0f + twist * u * 0.2f;
                     const float tex = Fbm(u * 2.0f, (v + 4.0f) * 2.0f, 4, seed);
                     const int checker = (static_cast<int>(std::floor(u * 3.0f)) +
                                          static_cast<int>(std::floor(v * 2.0f))) &
                                         1;
                     const float t = 0.25f + 0.45f * tex + (checker ? 0.2f : 0.0f);
                     const float depthShade = Clamp01(r * 1.8f);
                     Rgb colour = Scale(Ramp(p, t), 0.25f + 0.75f * depthShade);
                     // Light at the far end.
                     return Add(colour, Scale(p.accent, std::exp(-r * 14.0f)));
                 });
}

// Height of a ridge line at px, as a fraction of the picture from the top.
float Ridge(float px, float base, float amplitude, float frequency, std::uint32_t seed)
{
    return base - amplitude * Fbm(px * frequency, 0.5f, 5, seed);
}

void PaintBeams(cCanvas& c, const Palette& p, std::uint32_t seed)
{
    cRandom random(seed);
    const float sx = random.Range(-0.3f, 0.3f);
    const float sy = -0.65f;
    ForEachPixel(c,
                 [&](int, int, float px, float py)
                 {
                     const float dx = px - sx;
                     const float dy = py - sy;
                     const float r = std::sqrt(dx * dx + dy * dy);
                     const float a = std::atan2(dx, dy);
                     const float coarse =
                         Smoothstep(0.45f, 0.85f, ValueNoise(a * 14.0f + 3.0f, 0.5f, seed));
                     const float fine = ValueNoise(a * 45.0f + 9.0f, 0.5f, seed + 1);
                     const float haze = Fbm(px * 3.0f, py * 3.0f, 4, seed + 4);
                     const float beam =
                         coarse * (0.6f + 0.4f * fine) * std::exp(-r * 0.8f) * (0.6f + 0.4f * haze);
                     Rgb colour = Ramp(p, 0.15f + 0.35f * (py + 0.5f) + 0.1f * haze);
                     colour = Add(colour, Scale(p.light, beam * 0.9f));
                     colour = Add(colour, Scale(p.accent, std::exp(-r * 5.0f)));
                     // A dark ridge in front of the light.
                     const float top = 0.3f - 0.12f * Fbm(px * 2.0f, 0.3f, 4, seed + 8);
                     if (py > top)
                     {
                         colour = Mix(p.deep, colour, 0.15f);
                     }
                     return colour;
                 });
}

void PaintMountains(cCanvas& c, const Palette& p, std::uint32_t seed)
{
    cRandom random(seed);
    const float sunX = random.Range(-0.4f, 0.4f);
    const float sunY = random.Range(-0.25f, -0.1f);
    // Ridge lines depend on the column only, so they are traced once.
    const int layers = 4;
    std::vector<float> ridges(static_cast<size_t>(layers) * c.Width());
    for (int x = 0; x < c.Width(); ++x)
    {
        const float px = (x + 0.5f - 0.5f * c.Width()) / c.Height();
        for (int layer = 0; layer < layers; ++layer)
        {
            ridges[static_cast<size_t>(layer) * c.Width() + x] =
                Ridge(px + layer * 3.1f, 0.05f + 0.1f * layer, 0.25f - 0.03f * layer,
                      1.2f + 0.7f * layer, seed + 10 + layer);
        }
    }
    ForEachPixel(c,
                 [&](int x, int, float px, float py)
                 {
                     const float t = (py + 0.5f);
                     Rgb sky =
                         Mix(Ramp(p, 0.3f), Ramp(p, 0.85f), std::pow(Clamp01(t / 0.6f), 1.5f));
                     const float streak = Fbm(px * 1.2f, py * 9.0f, 4, seed + 3);
                     sky = Mix(sky, p.light, Smoothstep(0.55f, 0.8f, streak) * 0.5f * (1.0f - t));
                     const float dx = px - sunX;
                     const float dy = py - sunY;
                     Rgb colour = Glow(sky, p.accent, std::sqrt(dx * dx + dy * dy), 0.06f, 0.12f);
                     // Back to front, each range darker and less fogged.
                     for (int layer = 0; layer < layers; ++layer)
                     {
                         const float top = ridges[static_cast<size_t>(layer) * c.Width() + x];
                         if (py > top)
                         {
                             const float near = (layer + 1) / 4.0f;
                             const Rgb fog = Ramp(p, 0.7f - 0.15f * layer);
                             const Rgb rock = Mix(p.deep, p.mid, 0.3f * (py - top));
                             colour = Mix(fog, rock, near * 0.85f);
                         }
                     }
                     return colour;
                 });
}

void PaintPlasma(cCanvas& c, const Palette& p, std::uint32_t seed)
{
    cRandom random(seed);
    const float k1 = random.Range(5.0f, 9.0f);
    const float k2 = random.Range(4.0f, 8.0f);
    const float k3 = random.Range(3.0f, 6.0f);
    const float ox = random.Range(-0.5f, 0.5f);
    const float oy = random.Range(-0.3f, 0.3f);
    ForEachPixel(c,
                 [&](int, int, float px, float py)
                 {
                     const float dx = px - ox;
                     const float dy = py - oy;
                     const float v = std::sin(px * k1) + std::sin(py * k2 + 1.3f) +
                                     std::sin((px + py) * k3) +
                                     std::sin(std::sqrt(dx * dx + dy * dy) * 14.0f);
                     const float t = 0.5f + 0.5f * std::sin(v * kPi * 0.75f);
                     const float grain = Fbm(px * 8.0f, py * 8.0f, 3, seed) - 0.5f;
                     return Ramp(p, 0.15f + 0.8f * t + 0.15f * grain);
                 });
}

void PaintMarble(cCanvas& c, const Palette& p, std::uint32_t seed)
{
    ForEachPixel(c,
                 [&](int, int, float px, float py)
                 {
                     const float n = Fbm(px * 3.0f, py * 3.0f, 5, seed);
                     const float s = 0.5f + 0.5f * std::sin(px * 6.0f + py * 2.5f + n * 9.0f);
                     Rgb colour = Ramp(p, 0.1f + 0.7f * std::pow(s, 0.8f));
                     // Thin bright veins where the bands peak.
                     const float vein = Smoothstep(0.96f, 1.0f, s);
                     return Mix(colour, p.accent, vein * 0.8f);
                 });
}

void PaintRings(cCanvas& c, const Palette& p, std::uint32_t seed)
{
    cRandom random(seed);
    const float ax = random.Range(-0.5f, -0.1f);
    const float ay = random.Range(-0.3f, 0.3f);
    const float bx = random.Range(0.1f, 0.5f);
    const float by = random.Range(-0.3f, 0.3f);
    ForEachPixel(c,
                 [&](int, int, float px, float py)
                 {
                     const float d1 = std::hypot(px - ax, py - ay);
                     const float d2 = std::hypot(px - bx, py - by);
                     const float v = std::sin(d1 * 55.0f) + std::sin(d2 * 47.0f);
                     const float light = std::exp(-std::min(d1, d2) * 2.5f);
                     const float t = 0.2f + 0.25f * (v + 2.0f) * 0.5f + 0.45f * light;
                     return Ramp(p, t);
                 });
}

void PaintClouds(cCanvas& c, const Palette& p, std::uint32_t seed)
{
    ForEachPixel(c,
                 [&](int, int, float px, float py)
                 {
                     const float t = py + 0.5f;
                     const Rgb sky = Mix(Ramp(p, 0.35f), Ramp(p, 0.7f), t);
                     const float n = Fbm(px * 2.5f, py * 4.5f, 6, seed);
                     const float cover = Smoothstep(0.45f, 0.7f, n);
                     // Lit from above: brighter where the noise falls off upwards.
                     const float above = Fbm(px * 2.5f, (py - 0.03f) * 4.5f, 6, seed);
                     const float lit = Clamp01(0.5f + (n - above) * 6.0f);
                     const Rgb cloud = Mix(Ramp(p, 0.5f), p.accent, lit);
                     return Mix(sky, cloud, cover * 0.9f);
                 });
}

void PaintLace(cCanvas& c, const Palette& p, std::uint32_t seed)
{
    const float scale = 9.0f;
    ForEachPixel(c,
                 [&](int, int, float px, float py)
                 {
                     const float sx = px * scale;
                     const float sy = py * scale;
                     const int ix = static_cast<int>(std::floor(sx));
                     const int iy = static_cast<int>(std::floor(sy));
                     float f1 = 9.0f;
                     float f2 = 9.0f;
                     for (int j = -1; j <= 1; ++j)
                     {
                         for (int i = -1; i <= 1; ++i)
                         {
                             const float fx = ix + i + Hash2(ix + i, iy + j, seed);
                             const float fy = iy + j + Hash2(ix + i, iy + j, seed + 1);
                             const float d = std::hypot(sx - fx, sy - fy);
                             if (d < f1)
                             {
                                 f2 = f1;
                                 f1 = d;
                             }
                             else if (d < f2)
                             {
                                 f2 = d;
                             }
                         }
                     }
                     const float edge = 1.0f - Smoothstep(0.03f, 0.09f, f2 - f1);
                     const float ring = 1.0f - Smoothstep(0.02f, 0.05f, std::fabs(f1 - 0.22f));
                     const float back = Fbm(px * 2.0f, py * 2.0f, 4, seed + 2);
                     Rgb colour = Ramp(p, 0.1f + 0.35f * back);
                     colour = Mix(colour, p.light, std::max(edge, ring) * 0.9f);
                     return Add(colour, Scale(p.accent, 0.35f * std::exp(-f1 * 6.0f)));
                 });
}

// The flash overlay. The texture key makes every pixel that is not exact
// black fully opaque, and the overlay is drawn at one opacity, so a dim
// glow would darken the slide: the flare is a solid star burst, bright out
// to its hard outline, on exact black.
struct FlareRay
{
    float angle;
    float length;
    float width;
};

void PaintFlare(cCanvas& c, std::uint32_t seed)
{
    cRandom random(seed);
    std::vector<FlareRay> rays;
    const int rayCount = 24;
    for (int k = 0; k < rayCount; ++k)
    {
        const bool major = k % 2 == 0;
        const float angle = (k + random.Range(-0.25f, 0.25f)) * 2.0f * kPi / rayCount;
        const float length = major ? random.Range(0.5f, 0.72f) : random.Range(0.3f, 0.42f);
        const float width = major ? random.Range(0.011f, 0.015f) : random.Range(0.007f, 0.01f);
        rays.push_back({angle, length, width});
    }
    // Inside where the field reaches the threshold; the body alone reaches it
    // at about bodyRadius.
    const float threshold = 0.2f;
    const float bodyRadius = 0.24f;
    ForEachPixel(c,
                 [&](int, int, float px, float py)
                 {
                     const float r = std::sqrt(px * px + py * py);
                     const float a = std::atan2(py, px);
                     float field = 3.0f * std::exp(-r / 0.05f) +
                                   0.95f * std::exp(-(r * r) / (0.185f * 0.185f));
                     for (const FlareRay& ray : rays)
                     {
                         const float off = std::remainder(a - ray.angle, 2.0f * kPi);
                         if (std::fabs(off) > 0.5f * kPi)
                         {
                             continue;
                         }
                         const float across = std::sin(std::fabs(off)) * r / ray.width;
                         field += 0.9f * std::exp(-across * across) *
                                  std::max(0.0f, 1.0f - r / ray.length);
                     }
                     // The horizontal streak of a lens.
                     const float streakY = py / 0.007f;
                     field += 0.8f * std::exp(-streakY * streakY) *
                              std::max(0.0f, 1.0f - std::fabs(px) / 0.7f);
                     if (field < threshold)
                     {
                         return Rgb{};
                     }
                     // Near white everywhere, whiter inwards; the warm tint
                     // stays clear of the outline, where the writer keeps
                     // only the brightness.
                     const float heat = std::sqrt(Clamp01((field - threshold) / 1.2f));
                     const float shade = 0.9f + 0.1f * heat;
                     const float tint = 0.7f * Smoothstep(0.03f, 0.08f, r) *
                                        (1.0f - Smoothstep(0.1f, bodyRadius - 0.05f, r));
                     return Scale(Mix(Hex(255, 255, 255), Hex(255, 200, 128), tint), shade);
                 });
}

void Vignette(cCanvas& c)
{
    ForEachPixel(c,
                 [&](int x, int y, float px, float py)
                 {
                     const float r = std::sqrt(px * px * 0.5625f + py * py) * 1.4f;
                     return Scale(c.At(x, y), 1.0f - 0.4f * Smoothstep(0.45f, 1.0f, r));
                 });
}

void Caption(cCanvas& c, cTextRenderer& text, const Palette& p, const std::string& label)
{
    // The image rim is cropped on screen, so the band sits well inside it.
    const int bandTop = c.Height() - 96;
    const int bandBottom = c.Height() - 40;
    c.FillBand(bandTop, bandBottom, p.deep, 0.7f);
    c.FillBand(bandTop, bandTop + 2, p.accent, 0.9f);
    text.Draw(c, label, 56, bandBottom - 17, 32, Hex(250, 250, 250), 1.0f);
    const std::string tag = kSollan.title;
    const int width = text.Measure(tag, 16);
    text.Draw(c, tag, c.Width() - 56 - width, bandBottom - 19, 16, p.accent, 0.9f);
}

void Paint(cCanvas& canvas, const SlideLook& slide)
{
    const Palette& p = kPalettes[slide.palette];
    switch (slide.style)
    {
    case Style::Grid:
        PaintGrid(canvas, p, slide.seed);
        break;
    case Style::Nebula:
        PaintNebula(canvas, p, slide.seed);
        break;
    case Style::Tunnel:
        PaintTunnel(canvas, p, slide.seed);
        break;
    case Style::Beams:
        PaintBeams(canvas, p, slide.seed);
        break;
    case Style::Mountains:
        PaintMountains(canvas, p, slide.seed);
        break;
    case Style::Plasma:
        PaintPlasma(canvas, p, slide.seed);
        break;
    case Style::Marble:
        PaintMarble(canvas, p, slide.seed);
        break;
    case Style::Rings:
        PaintRings(canvas, p, slide.seed);
        break;
    case Style::Clouds:
        PaintClouds(canvas, p, slide.seed);
        break;
    case Style::Lace:
        PaintLace(canvas, p, slide.seed);
        break;
    }
}

std::string Stem(const std::string& file)
{
    return file.substr(0, file.rfind('.'));
}

} // namespace

std::vector<std::string> SlideNames()
{
    std::vector<std::string> names;
    for (const SlideLook& s : kSlides)
    {
        names.push_back(s.file);
    }
    return names;
}

std::string FlashName()
{
    return kFlashFile;
}

std::string SpriteName()
{
    return kSpriteFile;
}

bool WriteSlide(int index, const std::string& folder, const std::string& fontFile)
{
    if (index < 0 || index >= static_cast<int>(std::size(kSlides)))
    {
        return false;
    }
    const SlideLook& slide = kSlides[index];
    cTextRenderer text;
    if (!text.Open(fontFile))
    {
        return false;
    }
    cCanvas canvas(kPictureWidth, kPictureHeight);
    Paint(canvas, slide);
    Vignette(canvas);
    Caption(canvas, text, kPalettes[slide.palette], Stem(slide.file));
    // A floor well above zero: JPEG noise must never turn a dark slide
    // pixel into the transparent colour key.
    return WriteJpeg(folder + "/" + slide.file, canvas.ToBytes(8), kPictureWidth, kPictureHeight,
                     92, kPictureDpi);
}

bool WriteFlash(const std::string& folder)
{
    cCanvas canvas(kPictureWidth, kPictureHeight);
    PaintFlare(canvas, 51);
    // The writer keeps the black exact around the flare's edges, where plain
    // compression would leave near-black specks that the key shows opaque.
    return WriteKeyedJpeg(folder + "/" + kFlashFile, canvas.ToBytes(0), kPictureWidth,
                          kPictureHeight, kPictureDpi);
}

bool WriteLoadingPicture(const std::string& folder, const std::string& fontFile)
{
    cTextRenderer text;
    if (!text.Open(fontFile))
    {
        return false;
    }
    const Palette& p = kPalettes[8];
    cCanvas canvas(kPictureWidth, kPictureHeight);
    PaintGrid(canvas, p, 7);
    Vignette(canvas);
    // The loading quad overfills the screen; only the middle ~70 % shows,
    // so everything sits near the centre.
    canvas.FillBand(300, 470, p.deep, 0.55f);
    const std::string title = kSollan.title;
    const int titleWidth = text.Measure(title, 56);
    text.Draw(canvas, title, (kPictureWidth - titleWidth) / 2, 385, 56, Hex(255, 255, 255), 1.0f);
    const std::string loading = "loading";
    const int loadingWidth = text.Measure(loading, 28);
    text.Draw(canvas, loading, (kPictureWidth - loadingWidth) / 2, 440, 28, p.accent, 1.0f);
    return WriteJpeg(folder + "/General/loading.jpg", canvas.ToBytes(8), kPictureWidth,
                     kPictureHeight, 92, kPictureDpi);
}

bool WriteSprite(const std::string& folder)
{
    const int size = 256;
    std::vector<std::uint8_t> rgba(static_cast<size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y)
    {
        for (int x = 0; x < size; ++x)
        {
            const float px = (x + 0.5f) / size * 2.0f - 1.0f;
            const float py = (y + 0.5f) / size * 2.0f - 1.0f;
            const float r = std::sqrt(px * px + py * py);
            const float a = std::atan2(py, px);
            // A soft six-petalled glow, frayed by noise at its rim.
            const float petals = 0.75f + 0.25f * std::cos(a * 6.0f);
            const float noise = Fbm(px * 4.0f + 10.0f, py * 4.0f + 10.0f, 4, 99);
            const float edge = petals * (0.85f + 0.3f * noise);
            const float alpha = Clamp01(1.0f - r / edge);
            const float glow = alpha * alpha;
            const Rgb colour = Mix(Hex(120, 170, 255), Hex(255, 255, 255), glow);
            std::uint8_t* q = &rgba[(static_cast<size_t>(y) * size + x) * 4];
            q[0] = static_cast<std::uint8_t>(std::lround(Clamp01(colour.r) * 255.0f));
            q[1] = static_cast<std::uint8_t>(std::lround(Clamp01(colour.g) * 255.0f));
            q[2] = static_cast<std::uint8_t>(std::lround(Clamp01(colour.b) * 255.0f));
            q[3] = static_cast<std::uint8_t>(std::lround(std::pow(alpha, 1.5f) * 255.0f));
        }
    }
    return WritePngRgba(folder + "/" + kSpriteFile, rgba, size, size);
}

} // namespace datagen
