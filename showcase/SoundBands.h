// The music's spectrum at any moment of the timeline: the whole tune is
// decoded once, and each request windows the 512 samples that end at the
// asked millisecond and takes their magnitudes with the music player's own
// transform, 256 bins as its FetchSpectrum lays them out. Unlike the player's own snapshot,
// which is whatever the mixer last handed out, this follows the frame clock,
// so a seek, a capture on a virtual clock and a plain run all see the same
// spectrum at the same time. Depends on platform/Audio.h for decoding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace showcase
{

class cSoundBands
{
public:
    static constexpr int kWindow = 512;
    static constexpr int kBins = kWindow / 2;

    cSoundBands();

    // Decodes the file; false (and silence from then on) when it cannot.
    bool Load(const std::string& path);
    // Takes mono samples directly (44100 per second), for tests.
    void SetSamples(std::vector<float> samples);
    bool IsLoaded() const { return !mono.empty(); }

    // Analyses the window that ends at ms; before the start or past the end
    // of the music the missing samples count as silence.
    void At(std::int32_t ms);

    // Magnitude of bin i (bin i is i * 44100 / 512 Hz); a full-scale sine
    // on a bin's centre gives about 1.
    float Bin(int i) const;
    // Mean magnitude of bins first..last, inclusive.
    float Band(int first, int last) const;
    // All kBins magnitudes.
    const float* Bins() const { return bins; }

private:
    std::vector<float> mono;
    float bins[kBins];
};

} // namespace showcase
