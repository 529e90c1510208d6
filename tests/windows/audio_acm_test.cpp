// The music on Windows: the Audio Compression Manager's decode of the loading
// tune against libmpg123's (through the numbers both are held to), exact
// seeking in it, a stream's position and loop without a sound device, and,
// where audio_played.sh gives Wine a device that writes to a file, the sound
// that went out through waveOut.
#include "platform/Audio.h"
#include "platform/AudioDecoder.h"

#include "LoadingTuneReference.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

using namespace platform;

namespace
{

constexpr std::uint64_t kFrameBytes = sizeof(float) * AUDIO_CHANNELS;

std::vector<float> DecodeTune()
{
    std::vector<float> samples;
    EXPECT_TRUE(AudioDecodeFile(loadingtune::kPath, samples)) << loadingtune::kPath;
    return samples;
}

TEST(AcmDecoderTest, LoadingTuneDecodesAsTheLinuxDecoderDoes)
{
    loadingtune::ExpectMatches(DecodeTune());
}

// Files at another rate or with one channel come out as the mixer takes
// them: 44100 Hz stereo, the same length and the same pitch. The file is
// made on the host by audio_resampled.sh (a 1 kHz sine at 22050 Hz, mono,
// two seconds, amplitude 1/8).
TEST(AcmDecoderTest, MonoAt22050IsBroughtToStereoAt44100)
{
    const char* path = std::getenv("MIVEX_MONO_22050_MP3");
    if (path == nullptr)
    {
        GTEST_SKIP() << "needs the file audio_resampled.sh makes";
    }
    std::vector<float> samples;
    ASSERT_TRUE(AudioDecodeFile(path, samples));
    const std::size_t frames = samples.size() / 2;
    EXPECT_NEAR(static_cast<double>(frames), 2.0 * AUDIO_RATE, 1152.0);
    ASSERT_GT(frames, 3u * 8192);
    std::size_t apart = 0;
    for (std::size_t i = 0; i < frames; ++i)
    {
        apart += samples[2 * i] != samples[2 * i + 1] ? 1 : 0;
    }
    EXPECT_EQ(apart, 0u);
    // A single-bin DFT over whole periods in the middle.
    const double pi = std::acos(-1.0);
    const auto level = [&](double frequency)
    {
        double re = 0.0;
        double im = 0.0;
        for (std::size_t i = 0; i < 8820; ++i)
        {
            const double t = static_cast<double>(i) / AUDIO_RATE;
            re += samples[2 * (8192 + i)] * std::cos(2.0 * pi * frequency * t);
            im -= samples[2 * (8192 + i)] * std::sin(2.0 * pi * frequency * t);
        }
        return 2.0 * std::sqrt(re * re + im * im) / 8820.0;
    };
    EXPECT_NEAR(level(1000.0), 0.125, 0.0125);
    EXPECT_LT(level(500.0), 0.01);
    EXPECT_LT(level(2000.0), 0.01);
}

// A seek restarts the converter a few frames early; what comes out must be
// the decode from the start, at the same sample.
TEST(AcmDecoderTest, SeekingGivesTheSoundOfTheWholeDecodeAtThatFrame)
{
    const std::vector<float> whole = DecodeTune();
    std::unique_ptr<AudioDecoder> decoder = OpenAudioDecoder(loadingtune::kPath, true);
    ASSERT_TRUE(decoder);
    ASSERT_EQ(decoder->LengthFrames() * 2, whole.size());
    for (std::uint64_t target :
         {std::uint64_t{1000}, std::uint64_t{77777}, std::uint64_t{300001}, std::uint64_t{0}})
    {
        ASSERT_TRUE(decoder->Seek(target));
        std::vector<float> part(4096 * 2);
        bool end = false;
        ASSERT_EQ(decoder->Read(part.data(), 4096, end), 4096u);
        float worst = 0.0f;
        for (std::size_t i = 0; i < part.size(); ++i)
        {
            worst = std::max(worst, std::fabs(part[i] - whole[target * 2 + i]));
        }
        EXPECT_LT(worst, 1e-3f) << "seek to " << target;
    }
    EXPECT_FALSE(decoder->Seek(decoder->LengthFrames() + 1));
    // Reading on to the end gives exactly the rest.
    ASSERT_TRUE(decoder->Seek(decoder->LengthFrames() - 100));
    std::vector<float> tail(4096 * 2);
    bool end = false;
    EXPECT_EQ(decoder->Read(tail.data(), 4096, end), 100u);
    EXPECT_TRUE(end);
}

// Without a sound device (as under Wine) the calls succeed and a stream
// keeps its place: it never advances, but flags, seeks and restarts act on
// it as the header says. With a device (a real Windows machine) the looping
// tune must instead play on past its end.
TEST(AcmStreamTest, PositionAndLoopHoldWithOrWithoutADevice)
{
    ASSERT_TRUE(AudioInit(1, 44100, 0, nullptr, nullptr));
    const AudioHandle stream = AudioStreamCreateFile(loadingtune::kPath, STREAM_PRESCAN);
    ASSERT_NE(stream, 0u);
    const std::uint64_t length = AudioChannelGetLength(stream);
    EXPECT_EQ(length, DecodeTune().size() * sizeof(float));
    EXPECT_EQ(AudioChannelFlags(stream, SAMPLE_LOOP, SAMPLE_LOOP), SAMPLE_LOOP);
    EXPECT_FALSE(AudioChannelIsActive(stream));
    ASSERT_TRUE(AudioChannelPlay(stream, true));
    EXPECT_TRUE(AudioChannelIsActive(stream));

    if (!AudioOutputOpen())
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_EQ(AudioChannelFramesPlayed(stream), 0u);
        EXPECT_EQ(AudioChannelGetPosition(stream, POS_BYTE), 0u);
        const std::uint64_t middle = length / 2 / kFrameBytes * kFrameBytes;
        EXPECT_TRUE(AudioChannelSetPosition(stream, middle, POS_BYTE));
        EXPECT_EQ(AudioChannelGetPosition(stream, POS_BYTE), middle);
        EXPECT_TRUE(AudioChannelSetPosition(stream, length, POS_BYTE));
        EXPECT_FALSE(AudioChannelSetPosition(stream, length + kFrameBytes, POS_BYTE));
        EXPECT_EQ(AudioChannelGetPosition(stream, POS_BYTE), length);
        ASSERT_TRUE(AudioChannelPlay(stream, true));
        EXPECT_EQ(AudioChannelGetPosition(stream, POS_BYTE), 0u);
        EXPECT_TRUE(AudioChannelIsActive(stream));
        std::array<float, 512> spectrum{};
        spectrum.fill(-1.0f);
        EXPECT_EQ(AudioChannelGetData(stream, spectrum.data(), DATA_FFT512), 1024);
        EXPECT_EQ(spectrum[0], 0.0f);
        EXPECT_EQ(spectrum[256], -1.0f);
    }
    else
    {
        const std::uint64_t frames = length / kFrameBytes;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (AudioChannelFramesPlayed(stream) <= frames + AUDIO_RATE &&
               std::chrono::steady_clock::now() < until)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_GT(AudioChannelFramesPlayed(stream), frames + AUDIO_RATE);
        EXPECT_TRUE(AudioChannelIsActive(stream));
        EXPECT_LT(AudioChannelGetPosition(stream, POS_BYTE), length);
    }
    EXPECT_TRUE(AudioChannelStop(stream));
    EXPECT_FALSE(AudioChannelIsActive(stream));
    EXPECT_TRUE(AudioStreamFree(stream));
    EXPECT_TRUE(AudioFree());
    EXPECT_FALSE(AudioFree());
    EXPECT_FALSE(AudioOutputOpen());
}

std::vector<std::int16_t> ReadShorts(const char* path)
{
    std::vector<std::int16_t> samples;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
    {
        return samples;
    }
    std::int16_t block[4096];
    std::size_t got = 0;
    while ((got = std::fread(block, sizeof(block[0]), std::size(block), file)) > 0)
    {
        samples.insert(samples.end(), block, block + got);
    }
    std::fclose(file);
    return samples;
}

// The device is 44100 Hz stereo 16-bit; what it was given is compared with
// the decode, through the loop's wrap, to the 16-bit step.
TEST(AcmStreamTest, PlayedSoundIsTheDecodeLoopedWithoutAGap)
{
    const char* played = std::getenv("MIVEX_PLAYED_RAW");
    if (played == nullptr)
    {
        GTEST_SKIP() << "needs the file-backed device of audio_played.sh";
    }
    const std::vector<float> decoded = DecodeTune();
    const std::size_t frames = decoded.size() / 2;
    ASSERT_GT(frames, 0u);
    ASSERT_TRUE(AudioInit(1, 44100, 0, nullptr, nullptr));
    ASSERT_TRUE(AudioOutputOpen());
    const AudioHandle stream = AudioStreamCreateFile(loadingtune::kPath, STREAM_PRESCAN);
    ASSERT_NE(stream, 0u);
    AudioChannelFlags(stream, SAMPLE_LOOP, SAMPLE_LOOP);
    ASSERT_TRUE(AudioChannelPlay(stream, true));
    const std::uint64_t enough = frames + frames / 2;
    // A second more than is compared: the device's queue still holds what
    // was handed to it last.
    const std::uint64_t handed = enough + AUDIO_RATE;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (AudioChannelFramesPlayed(stream) < handed && std::chrono::steady_clock::now() < until)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_GE(AudioChannelFramesPlayed(stream), handed);
    AudioStreamFree(stream);
    AudioFree();

    const std::vector<std::int16_t> out = ReadShorts(played);
    std::size_t start = 0;
    while (start < out.size() && out[start] == 0)
    {
        ++start;
    }
    std::size_t lead = 0;
    while (lead < decoded.size() && std::fabs(decoded[lead]) < 0.5f / 32768.0f)
    {
        ++lead;
    }
    ASSERT_GE(start, lead);
    start -= lead;
    ASSERT_EQ(start % 2, 0u) << "channels swapped";
    // A device starved of time plays silence until it is fed again: on a
    // loaded machine Wine's own mixing thread is late however much is queued,
    // and whole periods of zeros come in between two samples. That delays the
    // sound but loses nothing. What the audio path must never do is drop,
    // repeat or change a sample: a run of zeros is passed over only where the
    // decode goes on, unchanged, right after it.
    const auto near = [&](std::size_t at, std::size_t i)
    { return std::fabs(out[at] / 32767.0f - decoded[i % decoded.size()]) <= 2.0f / 32767.0f; };
    const auto nearFor = [&](std::size_t at, std::size_t i, std::size_t count)
    {
        for (std::size_t k = 0; k < count; ++k)
        {
            if (at + k >= out.size() || !near(at + k, i + k))
            {
                return false;
            }
        }
        return true;
    };
    constexpr std::size_t kResumed = 64;
    std::size_t at = start;
    std::size_t i = 0;
    std::size_t mismatches = 0;
    std::size_t silence = 0;
    // The first output sample of the current run of zeros, and the decode's
    // place there.
    std::size_t zeroAt = start;
    std::size_t zeroI = 0;
    while (i < enough * 2 && at < out.size())
    {
        if (out[at] != 0)
        {
            zeroAt = at + 1;
            zeroI = i + 1;
        }
        if (near(at, i))
        {
            ++i;
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < out.size() && out[end] == 0)
        {
            ++end;
        }
        // Part of the run may be the decode's own quiet samples: the rest was
        // put in by the device.
        bool resumed = false;
        for (std::size_t own = zeroI; out[at] == 0 && own <= zeroI + (end - zeroAt) && !resumed;
             ++own)
        {
            resumed = nearFor(end, own, kResumed) && nearFor(zeroAt, zeroI, own - zeroI);
            if (resumed)
            {
                silence += (end - zeroAt) - (own - zeroI);
                at = end;
                i = own;
            }
        }
        if (!resumed)
        {
            ++mismatches;
            ++i;
            ++at;
        }
    }
    ASSERT_GE(i, enough * 2) << "the device was handed less than the decode";
    EXPECT_EQ(mismatches, 0u);
    // Said, not judged: how long the machine kept the device waiting.
    RecordProperty("silence_inserted_ms", static_cast<int>(silence / 2 * 1000 / AUDIO_RATE));
}

} // namespace
