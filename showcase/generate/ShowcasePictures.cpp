// Painters of the showcase pictures. Normal maps are derived from the same
// height field their colour map is painted from, so the bumps sit under the
// features they belong to.
#include "ShowcasePictures.h"

#include "Noise.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace showcasegen
{

namespace
{

using datagen::Fbm;
using Height = std::function<float(int, int)>;

std::uint8_t Byte(float v)
{
    return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f);
}

Picture Blank(const char* file, int size)
{
    Picture p;
    p.file = file;
    p.width = size;
    p.height = size;
    p.rgba.assign(static_cast<std::size_t>(size) * size * 4, 255);
    return p;
}

void Put(Picture& p, int x, int y, float r, float g, float b, float a = 1.0f)
{
    std::uint8_t* px = &p.rgba[(static_cast<std::size_t>(y) * p.width + x) * 4];
    px[0] = Byte(r);
    px[1] = Byte(g);
    px[2] = Byte(b);
    px[3] = Byte(a);
}

// Tangent-space normals from a wrapping height field, stored 0..1.
Picture NormalsOf(const char* file, int size, const Height& height, float strength)
{
    Picture p = Blank(file, size);
    for (int y = 0; y < size; ++y)
    {
        for (int x = 0; x < size; ++x)
        {
            const float dx = height((x + 1) % size, y) - height((x + size - 1) % size, y);
            // Rows run top first, texture t bottom first: up is -y here.
            const float dy = height(x, (y + size - 1) % size) - height(x, (y + 1) % size);
            float n[3] = {-dx * strength, -dy * strength, 1.0f};
            const float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            Put(p, x, y, n[0] / len * 0.5f + 0.5f, n[1] / len * 0.5f + 0.5f,
                n[2] / len * 0.5f + 0.5f);
        }
    }
    return p;
}

// Noise that repeats every period units each way: four shifted copies
// cross-faded, so a texture drawn with repeat shows no seams. The copies are
// shifted up, not down: the noise's lattice is for coordinates of 0 and up.
float Tiled(float x, float y, float period, int octaves, std::uint32_t seed)
{
    const float u = x / period;
    const float v = y / period;
    const float a = Fbm(x + period, y + period, octaves, seed);
    const float b = Fbm(x, y + period, octaves, seed);
    const float c = Fbm(x + period, y, octaves, seed);
    const float d = Fbm(x, y, octaves, seed);
    return a * (1.0f - u) * (1.0f - v) + b * u * (1.0f - v) + c * (1.0f - u) * v + d * u * v;
}

float BarkHeight(int x, int y)
{
    // Long vertical grooves broken up by noise; twelve grooves fit the width.
    const float fx = static_cast<float>(x) / 256.0f;
    const float fy = static_cast<float>(y) / 256.0f;
    const float grooves = 0.5f + 0.5f * std::sin(fx * 6.2831853f * 12.0f +
                                                 Tiled(fx * 4.0f, fy * 4.0f, 4.0f, 3, 7u) * 6.0f);
    return grooves * 0.7f + Tiled(fx * 8.0f, fy * 8.0f, 8.0f, 4, 11u) * 0.3f;
}

float GroundHeight(int x, int y)
{
    const float fx = static_cast<float>(x) / 256.0f;
    const float fy = static_cast<float>(y) / 256.0f;
    return Tiled(fx * 8.0f, fy * 8.0f, 8.0f, 5, 23u);
}

// Facets: the nearest of a few jittered points per cell decides the normal.
void FacetNormal(int x, int y, float& nx, float& ny)
{
    constexpr int kCells = 6;
    const float fx = static_cast<float>(x) / 256.0f * kCells;
    const float fy = static_cast<float>(y) / 256.0f * kCells;
    float best = 1e9f;
    nx = 0.0f;
    ny = 0.0f;
    for (int cy = -1; cy <= 1; ++cy)
    {
        for (int cx = -1; cx <= 1; ++cx)
        {
            const int gx = static_cast<int>(std::floor(fx)) + cx;
            const int gy = static_cast<int>(std::floor(fy)) + cy;
            const int wx = (gx % kCells + kCells) % kCells;
            const int wy = (gy % kCells + kCells) % kCells;
            const float px = static_cast<float>(gx) + datagen::Hash2(wx, wy, 31u);
            const float py = static_cast<float>(gy) + datagen::Hash2(wx, wy, 37u);
            const float d = (px - fx) * (px - fx) + (py - fy) * (py - fy);
            if (d < best)
            {
                best = d;
                nx = datagen::Hash2(wx, wy, 41u) * 2.0f - 1.0f;
                ny = datagen::Hash2(wx, wy, 43u) * 2.0f - 1.0f;
            }
        }
    }
}

} // namespace

std::vector<Picture> PaintPictures()
{
    std::vector<Picture> out;
    constexpr int kSize = 256;

    Picture bark = Blank("bark.png", kSize);
    Picture barkSpecular = Blank("bark_specular.png", kSize);
    Picture ground = Blank("ground.png", kSize);
    Picture crystal = Blank("crystal_normal.png", kSize);
    for (int y = 0; y < kSize; ++y)
    {
        for (int x = 0; x < kSize; ++x)
        {
            const float h = BarkHeight(x, y);
            Put(bark, x, y, 0.28f + 0.30f * h, 0.18f + 0.20f * h, 0.10f + 0.08f * h);
            // The ridges shine, the grooves do not.
            const float shine = std::clamp((h - 0.45f) * 2.0f, 0.0f, 1.0f);
            Put(barkSpecular, x, y, shine, shine, shine);
            const float g = GroundHeight(x, y);
            const float moss =
                Tiled(static_cast<float>(x) / 64.0f, static_cast<float>(y) / 64.0f, 4.0f, 3, 29u);
            Put(ground, x, y, 0.20f + 0.25f * g * (1.0f - moss), 0.30f + 0.35f * g,
                0.22f + 0.15f * g);
            float nx = 0.0f;
            float ny = 0.0f;
            FacetNormal(x, y, nx, ny);
            Put(crystal, x, y, 0.5f + 0.35f * nx, 0.5f + 0.35f * ny, 0.85f);
        }
    }
    out.push_back(std::move(bark));
    out.push_back(NormalsOf("bark_normal.png", kSize, BarkHeight, 6.0f));
    out.push_back(std::move(barkSpecular));
    out.push_back(std::move(ground));
    out.push_back(NormalsOf("ground_normal.png", kSize, GroundHeight, 6.0f));
    out.push_back(std::move(crystal));

    // A white sprite whose alpha falls off like a Gaussian.
    constexpr int kSprite = 64;
    Picture dot = Blank("sprite.png", kSprite);
    for (int y = 0; y < kSprite; ++y)
    {
        for (int x = 0; x < kSprite; ++x)
        {
            const float dx = (static_cast<float>(x) + 0.5f) / kSprite * 2.0f - 1.0f;
            const float dy = (static_cast<float>(y) + 0.5f) / kSprite * 2.0f - 1.0f;
            const float a = std::exp(-(dx * dx + dy * dy) * 5.0f) *
                            std::clamp(1.0f - std::sqrt(dx * dx + dy * dy), 0.0f, 1.0f);
            Put(dot, x, y, 1.0f, 1.0f, 1.0f, a);
        }
    }
    out.push_back(std::move(dot));

    // The bloom's blur map: more glow towards the edges than in the middle.
    Picture map = Blank("bloom_map.png", kSprite);
    for (int y = 0; y < kSprite; ++y)
    {
        for (int x = 0; x < kSprite; ++x)
        {
            const float dx = (static_cast<float>(x) + 0.5f) / kSprite * 2.0f - 1.0f;
            const float dy = (static_cast<float>(y) + 0.5f) / kSprite * 2.0f - 1.0f;
            const float w = 0.7f + 0.3f * std::clamp(std::sqrt(dx * dx + dy * dy), 0.0f, 1.0f);
            Put(map, x, y, w, w, w);
        }
    }
    out.push_back(std::move(map));
    return out;
}

} // namespace showcasegen
