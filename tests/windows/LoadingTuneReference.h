// What libmpg123 makes of the generated loading tune (data/General/loading.mp3):
// its exact length, the RMS of each second over both channels, and the left
// channel at four places. Both decoders are held to these numbers, so they
// agree with each other. If the data generator's tune changes, the Linux
// check fails first; take the new numbers from its decode.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <vector>

namespace loadingtune
{

constexpr const char* kPath = "data/General/loading.mp3";
constexpr std::size_t kFrames = 352800;
// One MP3 frame: two decoders may differ by this much in length.
constexpr std::size_t kLengthTolerance = 1152;

constexpr double kSecondRms[] = {0.168064, 0.169299, 0.174809, 0.175501,
                                 0.170615, 0.169910, 0.177397, 0.174801};
// Relative: a second that differs by more is different sound, not rounding.
constexpr double kRmsTolerance = 0.01;

constexpr std::size_t kExcerptAt[] = {5000, 100000, 200000, 300000};
constexpr std::size_t kExcerptFrames = 16;
constexpr float kExcerpt[4][16] = {
    {0.07681f, 0.08155f, 0.08567f, 0.08545f, 0.08544f, 0.08817f, 0.09206f, 0.09715f, 0.09946f,
     0.10451f, 0.11196f, 0.09464f, 0.05597f, 0.02704f, 0.00917f, -0.00207f},
    {0.15798f, 0.17509f, 0.24316f, 0.17961f, 0.14236f, 0.23944f, 0.18997f, 0.15119f, 0.21152f,
     0.15216f, 0.15761f, 0.22971f, 0.16326f, 0.12270f, 0.17780f, 0.24068f},
    {0.40872f, 0.41608f, 0.42245f, 0.43578f, 0.44152f, 0.44576f, 0.44642f, 0.41902f, 0.37341f,
     0.32748f, 0.28656f, 0.25568f, 0.23205f, 0.21576f, 0.20062f, 0.18356f},
    {-0.04067f, -0.02697f, -0.02744f, -0.01257f, -0.02605f, -0.01794f, 0.02473f, 0.01982f, 0.01144f,
     0.03056f, 0.04531f, 0.05167f, 0.05978f, 0.06765f, 0.05620f, 0.06639f}};
// Per sample: 16-bit output and another decoder's rounding stay far below
// it, while sound shifted by a single sample misses it by tens of times.
constexpr float kSampleTolerance = 2e-3f;

// Holds a decode (interleaved stereo at 44100 Hz) to the numbers above.
inline void ExpectMatches(const std::vector<float>& samples)
{
    EXPECT_NEAR(static_cast<double>(samples.size() / 2), static_cast<double>(kFrames),
                static_cast<double>(kLengthTolerance));
    for (std::size_t second = 0; second < std::size(kSecondRms); ++second)
    {
        double sum = 0.0;
        std::size_t count = 0;
        for (std::size_t i = second * 44100 * 2;
             i < std::min(samples.size(), (second + 1) * 44100 * 2); ++i)
        {
            sum += samples[i] * samples[i];
            ++count;
        }
        ASSERT_GT(count, 0u) << "second " << second;
        EXPECT_NEAR(std::sqrt(sum / count), kSecondRms[second], kSecondRms[second] * kRmsTolerance)
            << "second " << second;
    }
    for (std::size_t e = 0; e < std::size(kExcerptAt); ++e)
    {
        ASSERT_LE((kExcerptAt[e] + kExcerptFrames) * 2, samples.size());
        for (std::size_t i = 0; i < kExcerptFrames; ++i)
        {
            EXPECT_NEAR(samples[(kExcerptAt[e] + i) * 2], kExcerpt[e][i], kSampleTolerance)
                << "frame " << kExcerptAt[e] + i;
        }
    }
}

} // namespace loadingtune
