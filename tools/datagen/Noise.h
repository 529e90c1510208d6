// Deterministic value noise and fractal sums for the procedural pictures, and
// a small seeded random generator that gives the same numbers on every
// platform (the standard engines' distributions are not portable).
#pragma once

#include <cstdint>

namespace datagen
{

// Integer hash of a lattice point, 0..1.
float Hash2(int x, int y, std::uint32_t seed);
// Smoothly interpolated lattice noise, 0..1.
float ValueNoise(float x, float y, std::uint32_t seed);
// Sum of octaves of value noise, normalised to 0..1.
float Fbm(float x, float y, int octaves, std::uint32_t seed);
float Smoothstep(float edge0, float edge1, float x);

class cRandom
{
public:
    explicit cRandom(std::uint32_t seed) : state(seed * 2654435761u + 1u) {}

    std::uint32_t Next();
    // Uniform in [lo, hi).
    float Range(float lo, float hi);

private:
    std::uint32_t state;
};

} // namespace datagen
