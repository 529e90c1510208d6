// The music's spectrum at any moment of the timeline: the tune is decoded
// once, and each request windows the 512 samples that end at the asked
// millisecond and takes their magnitudes with the music player's own
// transform, 256 bins as its FetchSpectrum lays them out. Unlike the
// player's snapshot, which is whatever the mixer last handed out, this
// follows the frame clock, so a seek, a pause, a capture on a virtual clock
// and a plain run all see the same spectrum at the same time. The framework
// loads it from the production's music; a director reads it as Bands().
// Depends on platform/ for decoding and the transform, and log/ProblemLog.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace MivexGL
{

class cSoundBands
{
public:
    static constexpr int kWindow = 512;
    static constexpr int kBins = kWindow / 2;
    // The longest tune decoded when the caller names no length: ten minutes.
    static constexpr std::int32_t kLongestMs = 10 * 60 * 1000;

    cSoundBands();

    // Decodes the file's first upToMs milliseconds (kLongestMs when not
    // positive). A file that is missing, not a regular file, too large or
    // not playable MP3 leaves silence and one "bands: " line; false then.
    bool Load(const std::string& path, std::int32_t upToMs = 0);
    // Takes mono samples directly (44100 per second), for tests.
    void SetSamples(std::vector<float> samples);
    bool IsLoaded() const { return !mono.empty(); }
    // The decoded tune, mono at 44100 a second: the track editor's waveform,
    // and the bands of a director made anew by a reload.
    const std::vector<float>& Samples() const { return mono; }

    // Analyses the window that ends at ms; before the start or past the end
    // of the music the missing samples count as silence. Asking for the
    // time last analysed costs nothing.
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
    bool analysed = false;
    std::int32_t analysedMs = 0;
};

} // namespace MivexGL
