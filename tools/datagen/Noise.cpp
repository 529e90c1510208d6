// Value noise, fractal sums and the portable random generator.
#include "Noise.h"

#include <cmath>

namespace datagen
{

float Hash2(int x, int y, std::uint32_t seed)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                      static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xffffffu) / 16777215.0f;
}

float ValueNoise(float x, float y, std::uint32_t seed)
{
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    float tx = x - fx;
    float ty = y - fy;
    tx = tx * tx * (3.0f - 2.0f * tx);
    ty = ty * ty * (3.0f - 2.0f * ty);
    const float a = Hash2(ix, iy, seed);
    const float b = Hash2(ix + 1, iy, seed);
    const float c = Hash2(ix, iy + 1, seed);
    const float d = Hash2(ix + 1, iy + 1, seed);
    const float top = a + (b - a) * tx;
    const float bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

float Fbm(float x, float y, int octaves, std::uint32_t seed)
{
    float sum = 0.0f;
    float amplitude = 0.5f;
    float norm = 0.0f;
    for (int i = 0; i < octaves; ++i)
    {
        sum += amplitude * ValueNoise(x, y, seed + static_cast<std::uint32_t>(i) * 101u);
        norm += amplitude;
        // Rotate a little between octaves so the lattice does not show.
        const float nx = 1.6f * x + 1.2f * y + 17.0f;
        const float ny = -1.2f * x + 1.6f * y + 31.0f;
        x = nx;
        y = ny;
        amplitude *= 0.5f;
    }
    return sum / norm;
}

float Smoothstep(float edge0, float edge1, float x)
{
    float t = (x - edge0) / (edge1 - edge0);
    t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
    return t * t * (3.0f - 2.0f * t);
}

std::uint32_t cRandom::Next()
{
    // xorshift32: tiny, fast and identical everywhere.
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

float cRandom::Range(float lo, float hi)
{
    return lo + (hi - lo) * static_cast<float>(Next() >> 8) / 16777216.0f;
}

} // namespace datagen
