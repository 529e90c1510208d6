// Instruments and arrangement of the showcase tune.
#include "ShowcaseTune.h"

#include "Mix.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace showcasegen
{

using datagen::cMix;
using datagen::NoteHz;

namespace
{

constexpr double kPi = 3.14159265358979323846;
constexpr int kBeat = kTuneRate / 2;
constexpr int kBar = kBeat * 4;

// Am F C G, one chord per bar: root notes for the bass, triads for the pad.
constexpr int kRoots[4] = {45, 41, 48, 43};
constexpr int kTriads[4][3] = {{57, 60, 64}, {53, 57, 60}, {55, 60, 64}, {55, 59, 62}};

// Same numbers on every platform: a 32-bit xorshift.
struct Noise
{
    std::uint32_t state = 0x9E3779B9u;
    double Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 4294967295.0 * 2.0 - 1.0;
    }
};

void Kick(cMix& mix, long at, double gain)
{
    double phase = 0.0;
    for (long i = 0; i < kBeat; ++i)
    {
        const double t = static_cast<double>(i) / kTuneRate;
        const double hz = 45.0 + 110.0 * std::exp(-t * 30.0);
        phase += 2.0 * kPi * hz / kTuneRate;
        const double v = std::sin(phase) * std::exp(-t * 7.0) * gain;
        mix.Add(at + i, v, v);
    }
}

void Hat(cMix& mix, Noise& noise, long at, double gain)
{
    double previous = 0.0;
    for (long i = 0; i < kTuneRate / 20; ++i)
    {
        const double t = static_cast<double>(i) / kTuneRate;
        const double n = noise.Next();
        // A first difference is a cheap high-pass: only the hiss is left.
        const double v = (n - previous) * 0.5 * std::exp(-t * 70.0) * gain;
        previous = n;
        mix.Add(at + i, v * 0.8, v);
    }
}

void Bass(cMix& mix, long at, long length, int midi, double gain)
{
    const double hz = NoteHz<double>(midi);
    for (long i = 0; i < length; ++i)
    {
        const double t = static_cast<double>(i) / kTuneRate;
        const double p = std::fmod(t * hz, 1.0);
        // A softened saw: the first three partials only.
        const double saw = std::sin(2.0 * kPi * p) + 0.5 * std::sin(4.0 * kPi * p) +
                           0.25 * std::sin(6.0 * kPi * p);
        const double envelope = std::min(1.0, t * 200.0) * std::exp(-t * 3.0);
        const double v = saw * envelope * gain;
        mix.Add(at + i, v, v);
    }
}

void Pad(cMix& mix, long at, long length, const int (&triad)[3], double gain)
{
    for (int n = 0; n < 3; ++n)
    {
        const double hz = NoteHz<double>(triad[n]);
        for (long i = 0; i < length; ++i)
        {
            const double t = static_cast<double>(i) / kTuneRate;
            const double rise = std::min(1.0, t * 2.0);
            const double fall = std::min(1.0, static_cast<double>(length - i) / (kTuneRate * 0.3));
            const double a = std::sin(2.0 * kPi * hz * 1.003 * t);
            const double b = std::sin(2.0 * kPi * hz * 0.997 * t);
            const double v = rise * fall * gain / 3.0;
            mix.Add(at + i, a * v, b * v);
        }
    }
}

void Pluck(cMix& mix, long at, int midi, double gain, double pan)
{
    const double hz = NoteHz<double>(midi);
    for (long i = 0; i < kTuneRate / 4; ++i)
    {
        const double t = static_cast<double>(i) / kTuneRate;
        const double p = std::fmod(t * hz, 1.0);
        const double tri = 4.0 * std::fabs(p - 0.5) - 1.0;
        const double v = tri * std::exp(-t * 14.0) * gain;
        mix.Add(at + i, v * (1.0 - pan), v * (1.0 + pan));
    }
}

} // namespace

std::vector<float> RenderTune()
{
    const long frames = static_cast<long>(kTuneRate) * kTuneSeconds;
    cMix mix(frames, false);
    Noise noise;
    const int bars = static_cast<int>(frames / kBar);
    for (int bar = 0; bar < bars; ++bar)
    {
        const long at = static_cast<long>(bar) * kBar;
        const int chord = bar % 4;
        const double seconds = static_cast<double>(at) / kTuneRate;
        const bool garden = seconds < 20.0;
        const bool crystal = seconds >= 20.0 && seconds < 40.0;
        Pad(mix, at, kBar, kTriads[chord], garden ? 0.16 : 0.10);
        // The beat comes in after the first four bars and drops out for the
        // last two, so the end rings out on the pad alone.
        const bool beat = bar >= 4 && bar < bars - 2;
        for (int b = 0; b < 4; ++b)
        {
            const long beatAt = at + static_cast<long>(b) * kBeat;
            if (beat)
            {
                Kick(mix, beatAt, crystal ? 0.75 : 0.55);
                Hat(mix, noise, beatAt + kBeat / 2, crystal ? 0.35 : 0.2);
            }
            if (!garden || bar >= 2)
            {
                Bass(mix, beatAt, kBeat, kRoots[chord] + (b == 3 ? 7 : 0), crystal ? 0.22 : 0.15);
            }
        }
        // Sixteenth arpeggio over the chord, brighter in the middle part.
        const int steps = crystal ? 16 : 8;
        for (int s = 0; s < steps; ++s)
        {
            const long stepAt = at + static_cast<long>(s) * kBar / steps;
            const int note = kTriads[chord][s % 3] + 12 * ((s / 3) % 2);
            Pluck(mix, stepAt, note, crystal ? 0.12 : 0.09, (s % 2 == 0) ? -0.4 : 0.4);
        }
    }
    // Fade the last two seconds so the file ends in silence, and keep the
    // peaks inside the encoder's range.
    std::vector<float> out(static_cast<std::size_t>(frames) * 2);
    float peak = 0.0f;
    for (long i = 0; i < frames; ++i)
    {
        const std::size_t k = static_cast<std::size_t>(i);
        peak = std::max({peak, std::fabs(mix.left[k]), std::fabs(mix.right[k])});
    }
    const float scale = peak > 0.95f ? 0.95f / peak : 1.0f;
    const long fade = kTuneRate * 2;
    for (long i = 0; i < frames; ++i)
    {
        const std::size_t k = static_cast<std::size_t>(i);
        const float f =
            i > frames - fade ? static_cast<float>(frames - i) / static_cast<float>(fade) : 1.0f;
        out[k * 2] = mix.left[k] * scale * f;
        out[k * 2 + 1] = mix.right[k] * scale * f;
    }
    return out;
}

} // namespace showcasegen
