// Instruments, patterns and arrangement of the generated music.
#include "Synth.h"

#include "Mix.h"
#include "Noise.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace datagen
{

namespace
{

constexpr float kPi = 3.14159265358979f;
constexpr double kSixteenth = kBeatFrames / 4.0;
constexpr int kBarFrames = kBeatFrames * 4;

// Frame of a sixteenth-note step counted from the start of the piece.
long StepFrame(long step)
{
    return std::lround(step * kSixteenth);
}

float PolyBlep(float t, float dt)
{
    if (t < dt)
    {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt)
    {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

// Band-limited sawtooth oscillator.
struct Saw
{
    float phase = 0.0f;
    float Next(float hz)
    {
        const float dt = hz / kSampleRate;
        const float v = 2.0f * phase - 1.0f - PolyBlep(phase, dt);
        phase += dt;
        if (phase >= 1.0f)
        {
            phase -= 1.0f;
        }
        return v;
    }
};

struct OnePole
{
    float state = 0.0f;
    float coefficient = 1.0f;
    // exp() is costly per sample, so cutoffs are set only when they move.
    void SetCutoff(float hz) { coefficient = 1.0f - std::exp(-2.0f * kPi * hz / kSampleRate); }
    float Next(float x)
    {
        state += coefficient * (x - state);
        return state;
    }
};

// Swept cutoffs are refreshed every this many samples.
constexpr long kControlRate = 32;

void Kick(cMix& mix, long start, float gain)
{
    const long length = kSampleRate * 2 / 5;
    float phase = 0.0f;
    for (long i = 0; i < length; ++i)
    {
        const float t = static_cast<float>(i) / kSampleRate;
        const float hz = 46.0f + 120.0f * std::exp(-t / 0.028f);
        phase += 2.0f * kPi * hz / kSampleRate;
        const float body = std::sin(phase) * std::exp(-t / 0.13f);
        const float click = i < 90 ? 0.35f * (1.0f - i / 90.0f) : 0.0f;
        const float v = gain * (body + click);
        mix.Add(start + i, v, v);
    }
}

void Hat(cMix& mix, long start, float gain, float decay, std::uint32_t seed)
{
    cRandom random(seed);
    OnePole low;
    low.SetCutoff(6000.0f);
    const long length = static_cast<long>(decay * 6.0f * kSampleRate);
    for (long i = 0; i < length; ++i)
    {
        const float noise = random.Range(-1.0f, 1.0f);
        // Noise minus its low part leaves the hiss.
        const float high = noise - low.Next(noise);
        const float v = gain * high * std::exp(-static_cast<float>(i) / (decay * kSampleRate));
        mix.Add(start + i, v * 0.8f, v);
    }
}

void Clap(cMix& mix, long start, float gain, std::uint32_t seed)
{
    cRandom random(seed);
    OnePole low;
    OnePole lower;
    low.SetCutoff(3500.0f);
    lower.SetCutoff(900.0f);
    const long length = kSampleRate / 4;
    for (long i = 0; i < length; ++i)
    {
        const float t = static_cast<float>(i) / kSampleRate;
        const float noise = random.Range(-1.0f, 1.0f);
        const float band = low.Next(noise) - lower.Next(noise);
        // Three quick bursts then a tail, the usual hand-clap shape.
        float envelope = std::exp(-t / 0.07f);
        if (t < 0.03f)
        {
            envelope *= 0.6f + 0.4f * std::cos(t * 2.0f * kPi * 100.0f);
        }
        const float v = gain * 2.5f * band * envelope;
        mix.Add(start + i, v, v * 0.9f);
    }
}

void Bass(cMix& mix, long start, long length, int midi, float gain, float cutoff)
{
    Saw a;
    Saw b;
    b.phase = 0.5f;
    OnePole f1;
    OnePole f2;
    const float hz = NoteHz<float>(midi);
    const long release = kSampleRate / 50;
    for (long i = 0; i < length + release; ++i)
    {
        const float t = static_cast<float>(i) / kSampleRate;
        float envelope = std::min(1.0f, t / 0.003f) * (0.7f + 0.3f * std::exp(-t / 0.05f));
        if (i >= length)
        {
            envelope *= 1.0f - static_cast<float>(i - length) / release;
        }
        if (i % kControlRate == 0)
        {
            const float sweep = cutoff * (0.6f + 1.4f * std::exp(-t / 0.06f));
            f1.SetCutoff(sweep);
            f2.coefficient = f1.coefficient;
        }
        const float raw = 0.5f * (a.Next(hz) + b.Next(hz * 1.004f));
        const float v = gain * envelope * f2.Next(f1.Next(raw));
        mix.Add(start + i, v, v);
    }
}

void Pad(cMix& mix, long start, long length, const int* notes, int count, float gain,
         float brightness, std::uint32_t seed)
{
    cRandom random(seed);
    const long attack = kSampleRate * 2 / 5;
    const long release = kSampleRate * 3 / 5;
    const float detune[3] = {0.9965f, 1.0f, 1.0041f};
    for (int n = 0; n < count; ++n)
    {
        const float hz = NoteHz<float>(notes[n]);
        Saw voices[3];
        for (Saw& s : voices)
        {
            s.phase = random.Range(0.0f, 1.0f);
        }
        OnePole fl;
        OnePole fr;
        fl.SetCutoff(brightness);
        fr.SetCutoff(brightness);
        for (long i = 0; i < length + release; ++i)
        {
            float envelope = std::min(1.0f, static_cast<float>(i) / attack);
            if (i >= length)
            {
                envelope *= 1.0f - static_cast<float>(i - length) / release;
            }
            const float s0 = voices[0].Next(hz * detune[0]);
            const float s1 = voices[1].Next(hz * detune[1]);
            const float s2 = voices[2].Next(hz * detune[2]);
            // Outer voices to opposite sides for width.
            const float l = fl.Next(s0 + 0.7f * s1);
            const float r = fr.Next(s2 + 0.7f * s1);
            const float g = gain * envelope / count;
            mix.Add(start + i, g * l, g * r);
        }
    }
}

// A plucked square-ish voice for melodies and arpeggios; pan -1..1.
void Pluck(cMix& mix, long start, long length, int midi, float gain, float pan, float decay)
{
    const float hz = NoteHz<float>(midi);
    Saw a;
    Saw b;
    b.phase = 0.5f;
    OnePole filter;
    const long release = kSampleRate / 30;
    const float gl = gain * std::min(1.0f, 1.0f - pan);
    const float gr = gain * std::min(1.0f, 1.0f + pan);
    for (long i = 0; i < length + release; ++i)
    {
        const float t = static_cast<float>(i) / kSampleRate;
        float envelope = std::min(1.0f, t / 0.004f) * (0.35f + 0.65f * std::exp(-t / decay));
        if (i >= length)
        {
            envelope *= 1.0f - static_cast<float>(i - length) / release;
        }
        // Difference of two saws half a period apart is a square wave.
        const float vibrato = 1.0f + 0.003f * std::sin(2.0f * kPi * 5.5f * t) * std::min(1.0f, t);
        const float square = a.Next(hz * vibrato) - b.Next(hz * vibrato);
        if (i % kControlRate == 0)
        {
            filter.SetCutoff(1800.0f + 5000.0f * std::exp(-t / 0.08f));
        }
        const float v = envelope * filter.Next(square);
        mix.Add(start + i, gl * v, gr * v);
    }
}

// A pluck with two ping-pong repeats a dotted eighth apart.
void EchoPluck(cMix& mix, long start, long length, int midi, float gain, float decay)
{
    const long delay = StepFrame(3);
    Pluck(mix, start, length, midi, gain, 0.0f, decay);
    Pluck(mix, start + delay, length, midi, gain * 0.4f, -0.7f, decay);
    Pluck(mix, start + 2 * delay, length, midi, gain * 0.18f, 0.7f, decay);
}

void Riser(cMix& mix, long start, long length, float gain, std::uint32_t seed)
{
    cRandom random(seed);
    OnePole low;
    for (long i = 0; i < length; ++i)
    {
        const float t = static_cast<float>(i) / length;
        const float noise = random.Range(-1.0f, 1.0f);
        if (i % kControlRate == 0)
        {
            low.SetCutoff(300.0f + 9000.0f * t * t);
        }
        const float v = gain * t * t * low.Next(noise);
        mix.Add(start + i, v, v);
    }
}

// The four chords of the progression Am - F - C - G, one per bar.
const int kChords[4][3] = {{57, 60, 64}, {57, 60, 65}, {55, 60, 64}, {55, 59, 62}};
const int kBassRoots[4] = {33, 29, 36, 31};

struct Note
{
    int step;
    int length;
    int midi;
};

// Four bars of melody in sixteenth steps over the progression.
const Note kMelody[] = {
    {0, 3, 69},  {3, 3, 72},  {6, 2, 76},  {8, 2, 74},  {10, 2, 72}, {12, 4, 69},
    {16, 3, 69}, {19, 3, 72}, {22, 2, 77}, {24, 4, 76}, {28, 4, 72}, {32, 3, 67},
    {35, 3, 72}, {38, 2, 76}, {40, 4, 79}, {44, 4, 76}, {48, 3, 74}, {51, 3, 71},
    {54, 2, 67}, {56, 2, 71}, {58, 2, 74}, {60, 4, 76},
};

enum class Section
{
    Intro,
    Build,
    Drop,
    Breakdown,
    Outro
};

Section SectionOf(int bar)
{
    if (bar < 8)
    {
        return Section::Intro;
    }
    if (bar < 24)
    {
        return Section::Build;
    }
    if (bar < 48)
    {
        return Section::Drop;
    }
    if (bar < 60)
    {
        return Section::Breakdown;
    }
    if (bar < 72)
    {
        return Section::Drop;
    }
    return Section::Outro;
}

void Arpeggio(cMix& mix, int bar, long barStart, float gain, int octave)
{
    const int* chord = kChords[bar % 4];
    const int order[8] = {0, 1, 2, 1, 0, 2, 1, 2};
    for (int s = 0; s < 16; ++s)
    {
        const long at = barStart + StepFrame(s);
        const int midi = chord[order[s % 8]] + 12 * octave;
        Pluck(mix, at, StepFrame(1) - 200, midi, gain * (s % 4 == 0 ? 1.0f : 0.7f), -0.35f, 0.05f);
    }
}

// Sidechain: the pads and bass dip under every kick so the beat stays clear.
float Duck(long frame)
{
    const float t = static_cast<float>(frame % kBeatFrames) / kSampleRate;
    return 1.0f - 0.65f * std::exp(-t / 0.09f);
}

std::vector<float> Master(const cMix& drums, const cMix& ducked, bool duck, float gain)
{
    const long frames = drums.Frames();
    std::vector<float> out(static_cast<size_t>(frames) * 2);
    for (long i = 0; i < frames; ++i)
    {
        const float d = duck ? Duck(i) : 1.0f;
        const float l = gain * (drums.left[i] + d * ducked.left[i]);
        const float r = gain * (drums.right[i] + d * ducked.right[i]);
        // Gentle saturation instead of hard clipping.
        out[i * 2] = std::tanh(l);
        out[i * 2 + 1] = std::tanh(r);
    }
    return out;
}

} // namespace

std::vector<float> RenderMusic()
{
    // 80 bars of 2 s, then one bar in which the last kick and chord ring out.
    const int bars = 80;
    const long frames = static_cast<long>(bars + 1) * kBarFrames;
    cMix drums(frames, false);
    cMix ducked(frames, false);

    for (int bar = 0; bar < bars; ++bar)
    {
        const Section section = SectionOf(bar);
        const long barStart = static_cast<long>(bar) * kBarFrames;
        const std::uint32_t seed = static_cast<std::uint32_t>(bar) * 977u;
        const int chord = bar % 4;

        // Kick on every beat of the whole piece, softer in the breakdown.
        const float kickGain = section == Section::Breakdown ? 0.6f : 0.95f;
        for (int beat = 0; beat < 4; ++beat)
        {
            Kick(drums, barStart + static_cast<long>(beat) * kBeatFrames, kickGain);
        }

        const bool hats = (section == Section::Intro && bar >= 4) || section == Section::Build ||
                          section == Section::Drop || (section == Section::Outro && bar < 76);
        if (hats)
        {
            for (int beat = 0; beat < 4; ++beat)
            {
                const long offbeat = barStart + beat * kBeatFrames + kBeatFrames / 2;
                Hat(drums, offbeat, 0.22f, 0.045f, seed + beat);
                if (section == Section::Drop || (section == Section::Build && bar >= 16))
                {
                    Hat(drums, offbeat - StepFrame(1), 0.07f, 0.02f, seed + 50 + beat);
                    Hat(drums, offbeat + StepFrame(1), 0.07f, 0.02f, seed + 90 + beat);
                }
            }
        }

        const bool claps = section == Section::Drop || (section == Section::Build && bar >= 16);
        if (claps)
        {
            Clap(drums, barStart + kBeatFrames, 0.35f, seed + 7);
            Clap(drums, barStart + 3 * kBeatFrames, 0.35f, seed + 8);
        }
        // Snare roll into each drop.
        if (bar == 22 || bar == 23 || bar == 58 || bar == 59)
        {
            const int first = (bar % 2 == 0) ? 0 : 16;
            for (int s = 0; s < 16; s += (bar % 2 == 0 ? 2 : 1))
            {
                const float rise = 0.08f + 0.22f * static_cast<float>(first + s) / 32.0f;
                Clap(drums, barStart + StepFrame(s), rise, seed + 300 + s);
            }
        }
        if (bar == 22 || bar == 58)
        {
            Riser(drums, barStart, 2 * kBarFrames, 0.25f, seed + 11);
        }

        // Pads: dark and filtered in the intro, opening up towards the drop.
        float brightness = 1400.0f;
        float padGain = 0.32f;
        if (section == Section::Intro)
        {
            brightness = 400.0f + 100.0f * bar;
        }
        else if (section == Section::Build)
        {
            brightness = 900.0f + 90.0f * (bar - 8);
        }
        else if (section == Section::Drop)
        {
            brightness = 2600.0f;
            padGain = 0.28f;
        }
        else if (section == Section::Breakdown)
        {
            brightness = 1800.0f;
            padGain = 0.4f;
        }
        else
        {
            padGain = 0.32f * (1.0f - (bar - 72) / 9.0f);
            brightness = 1400.0f - 100.0f * (bar - 72);
        }
        Pad(ducked, barStart, kBarFrames, kChords[chord], 3, padGain, brightness, seed + 3);

        // Bass: off-beat eighths in the build, rolling sixteenths in the drops.
        const int root = kBassRoots[chord];
        if (section == Section::Build)
        {
            for (int beat = 0; beat < 4; ++beat)
            {
                Bass(ducked, barStart + beat * kBeatFrames + kBeatFrames / 2, StepFrame(2) - 600,
                     root, 0.45f, 500.0f + 30.0f * (bar - 8));
            }
        }
        else if (section == Section::Drop)
        {
            for (int s = 0; s < 16; ++s)
            {
                if (s % 4 == 0)
                {
                    continue;
                }
                const int midi = root + (s % 4 == 2 ? 12 : 0);
                Bass(ducked, barStart + StepFrame(s), StepFrame(1) - 300, midi, 0.42f, 900.0f);
            }
        }

        if (section == Section::Build || (section == Section::Breakdown && bar >= 56))
        {
            Arpeggio(ducked, bar, barStart, 0.09f + 0.004f * (bar % 16), 1);
        }

        // Melody over the drops (an octave up in the second half of the first
        // drop) and softly, with long echoes, in the breakdown.
        const bool melody = section == Section::Drop || (section == Section::Breakdown && bar < 56);
        if (melody)
        {
            const int octave = (bar >= 36 && bar < 48) ? 12 : 0;
            const float gain = section == Section::Breakdown ? 0.11f : 0.16f;
            const long cycleStart = barStart - static_cast<long>(chord) * kBarFrames;
            for (const Note& note : kMelody)
            {
                if (note.step / 16 != chord)
                {
                    continue;
                }
                EchoPluck(drums, cycleStart + StepFrame(note.step), StepFrame(note.length) - 400,
                          note.midi + octave, gain, section == Section::Breakdown ? 0.3f : 0.12f);
            }
        }
    }

    // Final bar: one kick and the home chord ringing out.
    const long last = static_cast<long>(bars) * kBarFrames;
    Kick(drums, last, 0.95f);
    Pad(ducked, last, kBarFrames / 2, kChords[0], 3, 0.25f, 900.0f, 4242u);
    return Master(drums, ducked, true, 0.9f);
}

std::vector<float> RenderLoadingTune()
{
    // Four bars that wrap: every tail past the end sounds at the start.
    const int bars = 4;
    cMix drums(static_cast<long>(bars) * kBarFrames, true);
    cMix music(static_cast<long>(bars) * kBarFrames, true);
    for (int bar = 0; bar < bars; ++bar)
    {
        const long barStart = static_cast<long>(bar) * kBarFrames;
        const std::uint32_t seed = 5000u + static_cast<std::uint32_t>(bar) * 31u;
        Pad(music, barStart, kBarFrames, kChords[bar], 3, 0.3f, 1200.0f, seed);
        Arpeggio(music, bar, barStart, 0.1f, 1);
        Bass(music, barStart, kBarFrames / 2 - 500, kBassRoots[bar] + 12, 0.25f, 400.0f);
        Bass(music, barStart + kBarFrames / 2, kBarFrames / 2 - 500, kBassRoots[bar] + 12, 0.2f,
             400.0f);
        for (int beat = 0; beat < 4; ++beat)
        {
            Hat(drums, barStart + beat * kBeatFrames + kBeatFrames / 2, 0.12f, 0.04f, seed + beat);
        }
    }
    return Master(drums, music, false, 1.5f);
}

} // namespace datagen
