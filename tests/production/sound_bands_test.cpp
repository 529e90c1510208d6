// The spectrum a production's scenes follow: the window ends at the asked
// millisecond (a tone that starts then is not heard a moment before and is
// heard in full half a window later), a full window of a sine on a bin's
// centre reads as its amplitude, asking before the start or past the end of
// the music reads silence instead of memory that is not the music's, and a
// file that is no music leaves silence without being read.
#include "production/SoundBands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

constexpr int kRate = 44100;
constexpr int kToneBin = 20;

// One second of silence, then a second of a sine on bin 20's centre.
std::vector<float> SilenceThenTone(float amplitude)
{
    std::vector<float> samples(2 * kRate, 0.0f);
    const double hz = static_cast<double>(kToneBin) * kRate / MivexGL::cSoundBands::kWindow;
    for (int i = kRate; i < 2 * kRate; ++i)
    {
        samples[static_cast<std::size_t>(i)] =
            amplitude *
            static_cast<float>(std::sin(2.0 * 3.14159265358979323846 * hz * (i - kRate) / kRate));
    }
    return samples;
}

} // namespace

TEST(SoundBands, FollowsTheClockAndReadsAmplitudes)
{
    MivexGL::cSoundBands spectrum;
    spectrum.SetSamples(SilenceThenTone(0.5f));

    spectrum.At(1000);
    EXPECT_EQ(spectrum.Bin(kToneBin), 0.0f) << "the tone is heard before it starts";

    // 12 ms is 529 samples: the whole window lies inside the tone.
    spectrum.At(1012);
    EXPECT_NEAR(spectrum.Bin(kToneBin), 0.5f, 0.03f);
    EXPECT_LT(spectrum.Bin(kToneBin * 3), 0.01f);
    EXPECT_NEAR(spectrum.Band(kToneBin - 1, kToneBin + 1), (0.25f + 0.5f + 0.25f) / 3.0f, 0.03f);

    for (std::int32_t outside : {-5000, 2012, 2147483})
    {
        spectrum.At(outside);
        EXPECT_EQ(spectrum.Band(0, MivexGL::cSoundBands::kBins - 1), 0.0f) << outside;
    }
}

TEST(SoundBands, ADirectoryOrAMissingFileLeavesSilence)
{
    MivexGL::cSoundBands spectrum;
    spectrum.SetSamples(SilenceThenTone(0.5f));
    for (const char* path : {".", "no-such-music.mp3"})
    {
        EXPECT_FALSE(spectrum.Load(path)) << path;
        EXPECT_FALSE(spectrum.IsLoaded()) << path;
        spectrum.At(1012);
        EXPECT_EQ(spectrum.Bin(kToneBin), 0.0f) << path;
    }
}
