// The audio output as the music relies on it: what reaches the device (read
// back through SDL's disk driver), loops, restarts, mixing, shared release,
// the spectrum, and harmless failure without a file or a device.
#include "platform/Audio.h"

#include "AudioFixture.h"
#include "../windows/LoadingTuneReference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

using namespace platform;
using namespace audiotest;

namespace
{

class AudioStreamTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = MakeTempDir();
        disk = dir + "/out.raw";
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }

    void TearDown() override
    {
        while (AudioFree())
        {
        }
    }

    std::string Fixture(const std::string& name, const std::vector<float>& samples,
                        int rate = kRate)
    {
        const std::string path = dir + "/" + name;
        EXPECT_TRUE(WriteMp3(path, samples, {}, rate));
        return path;
    }

    static std::vector<float> Decode(const std::string& path)
    {
        std::vector<float> samples;
        EXPECT_TRUE(AudioDecodeFile(path, samples));
        return samples;
    }

    // Releases the streams and the output, which closes the disk file.
    std::vector<float> Collect(std::initializer_list<AudioHandle> streams)
    {
        for (AudioHandle stream : streams)
        {
            AudioStreamFree(stream);
        }
        AudioFree();
        EXPECT_FALSE(AudioOutputOpen());
        return ReadFloats(disk);
    }

    static std::size_t Frames(const std::vector<float>& samples) { return samples.size() / 2; }

    std::string dir;
    std::string disk;
};

TEST_F(AudioStreamTest, UnreadableFilesGiveNoStreamAndCallsOnDeadHandlesDoNothing)
{
    const std::string good = Fixture("good.mp3", Sine(440.0, 0.2, 0.5f));
    // Streams need an initialised output.
    EXPECT_EQ(AudioStreamCreateFile(good.c_str(), STREAM_PRESCAN), 0u);

    ASSERT_TRUE(AudioInit(1, 44100, 0, nullptr, nullptr));
    WriteText(dir + "/text.mp3", "this is plainly not a compressed audio file\n");
    WriteText(dir + "/empty.mp3", "");
    EXPECT_EQ(AudioStreamCreateFile((dir + "/missing.mp3").c_str(), STREAM_PRESCAN), 0u);
    EXPECT_EQ(AudioStreamCreateFile((dir + "/text.mp3").c_str(), STREAM_PRESCAN), 0u);
    EXPECT_EQ(AudioStreamCreateFile((dir + "/empty.mp3").c_str(), STREAM_PRESCAN), 0u);
    EXPECT_EQ(AudioStreamCreateFile(dir.c_str(), STREAM_PRESCAN), 0u);
    EXPECT_EQ(AudioStreamCreateFile(nullptr, STREAM_PRESCAN), 0u);

    const AudioHandle live = AudioStreamCreateFile(good.c_str(), STREAM_PRESCAN);
    ASSERT_NE(live, 0u);
    ASSERT_TRUE(AudioStreamFree(live));
    for (AudioHandle dead : {AudioHandle{0}, live, AudioHandle{12345}})
    {
        EXPECT_EQ(AudioChannelFlags(dead, SAMPLE_LOOP, SAMPLE_LOOP), 0xFFFFFFFFu);
        EXPECT_FALSE(AudioChannelSetPosition(dead, 0, POS_BYTE));
        EXPECT_FALSE(AudioChannelPlay(dead, true));
        EXPECT_FALSE(AudioChannelStop(dead));
        std::array<float, 512> spectrum{};
        spectrum.fill(7.0f);
        EXPECT_EQ(AudioChannelGetData(dead, spectrum.data(), DATA_FFT512), -1);
        EXPECT_EQ(spectrum[0], 7.0f);
        EXPECT_FALSE(AudioChannelIsActive(dead));
        EXPECT_EQ(AudioChannelGetLength(dead), 0u);
        EXPECT_FALSE(AudioStreamFree(dead));
    }
    EXPECT_TRUE(AudioFree());
    // A second release is harmless.
    EXPECT_FALSE(AudioFree());
}

TEST_F(AudioStreamTest, PositionsOutsideTheStreamAreRefused)
{
    ASSERT_TRUE(AudioInit(1, 44100, 0, nullptr, nullptr));
    const std::string path = Fixture("tone.mp3", Sine(440.0, 0.2, 0.5f));
    const AudioHandle stream = AudioStreamCreateFile(path.c_str(), STREAM_PRESCAN);
    ASSERT_NE(stream, 0u);
    const std::uint64_t length = AudioChannelGetLength(stream);
    EXPECT_EQ(length, Decode(path).size() * sizeof(float));
    EXPECT_TRUE(AudioChannelSetPosition(stream, 0, POS_BYTE));
    EXPECT_TRUE(AudioChannelSetPosition(stream, length, POS_BYTE));
    EXPECT_FALSE(AudioChannelSetPosition(stream, length + 8, POS_BYTE));
    EXPECT_FALSE(AudioChannelSetPosition(stream, 0, 1));
    AudioStreamFree(stream);
}

TEST_F(AudioStreamTest, DecodingIsGaplessAndResamplesOtherRatesTo44100)
{
    const std::vector<float> tone = Sine(1000.0, 0.3, 0.5f);
    const std::vector<float> decoded = Decode(Fixture("tone.mp3", tone));
    // The encoder's delay and padding are removed: exactly the frames encoded.
    EXPECT_EQ(Frames(decoded), tone.size());

    // 0.3 s of 1000 Hz at 22050 Hz (the helper counts in 44100 Hz steps).
    const std::vector<float> slow = Sine(2000.0, 0.15, 0.5f);
    const std::vector<float> resampled = Decode(Fixture("half.mp3", slow, 22050));
    ASSERT_GT(Frames(resampled), 8192u);
    EXPECT_NEAR(static_cast<double>(Frames(resampled)), 2.0 * slow.size(), 64.0);
    // Same pitch after resampling: the tone is still at 1000 Hz.
    EXPECT_GT(ToneLevel(resampled, 2048, 4096, 1000.0), 0.4);
}

// The Windows decoder is held to the same numbers, so the two agree.
TEST_F(AudioStreamTest, LoadingTuneDecodesToTheNumbersBothBackEndsShare)
{
    loadingtune::ExpectMatches(Decode(loadingtune::kPath));
}

TEST_F(AudioStreamTest, PlayingPutsTheWholeFileIntoTheOutputAndThenStops)
{
    const std::string path = Fixture("tone.mp3", Sine(440.0, 0.4, 0.5f));
    const std::vector<float> ref = Decode(path);
    UseDiskOutput(disk);
    ASSERT_TRUE(AudioInit(1, 44100, 0, nullptr, nullptr));
    ASSERT_TRUE(AudioOutputOpen());
    const AudioHandle stream = AudioStreamCreateFile(path.c_str(), STREAM_PRESCAN);
    ASSERT_NE(stream, 0u);
    EXPECT_FALSE(AudioChannelIsActive(stream));
    ASSERT_TRUE(AudioChannelPlay(stream, true));
    EXPECT_TRUE(AudioChannelIsActive(stream));
    ASSERT_TRUE(WaitFor([&] { return !AudioChannelIsActive(stream); }));
    EXPECT_EQ(AudioChannelFramesPlayed(stream), Frames(ref));

    const std::vector<float> out = Collect({stream});
    const std::size_t start = FindStart(out, ref);
    ASSERT_LT(start, out.size());
    EXPECT_TRUE(Same(out, start, ref, 0, ref.size()));
    EXPECT_EQ(FirstSound(out, start + ref.size()), out.size());
}

TEST_F(AudioStreamTest, LoopingStreamContinuesFromItsStartWithoutAGap)
{
    const std::string path = Fixture("clicks.mp3", Clicks(1000, 0.25, 0.5f));
    const std::vector<float> ref = Decode(path);
    UseDiskOutput(disk);
    ASSERT_TRUE(AudioInit(1, 44100, 0, nullptr, nullptr));
    const AudioHandle stream = AudioStreamCreateFile(path.c_str(), STREAM_PRESCAN);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(AudioChannelFlags(stream, SAMPLE_LOOP, SAMPLE_LOOP), SAMPLE_LOOP);
    ASSERT_TRUE(AudioChannelPlay(stream, true));
    ASSERT_TRUE(WaitFor([&] { return AudioChannelFramesPlayed(stream) > 5 * Frames(ref) / 2; }));
    EXPECT_TRUE(AudioChannelIsActive(stream));
    AudioChannelStop(stream);

    const std::vector<float> out = Collect({stream});
    const std::size_t start = FindStart(out, ref);
    ASSERT_LT(start, out.size());
    EXPECT_TRUE(Same(out, start, ref, 0, ref.size()));
    EXPECT_TRUE(Same(out, start + ref.size(), ref, 0, ref.size()));
}

TEST_F(AudioStreamTest, ClearingTheLoopFlagLetsTheStreamEnd)
{
    const std::string path = Fixture("tone.mp3", Sine(440.0, 0.2, 0.5f));
    UseDiskOutput(disk);
    ASSERT_TRUE(AudioInit(1, 44100, 0, nullptr, nullptr));
    const AudioHandle stream = AudioStreamCreateFile(path.c_str(), STREAM_PRESCAN | SAMPLE_LOOP);
    ASSERT_NE(stream, 0u);
    const std::uint64_t frames = AudioChannelGetLength(stream) / 8;
    ASSERT_TRUE(AudioChannelPlay(stream, true));
    ASSERT_TRUE(WaitFor([&] { return AudioChannelFramesPlayed(stream) > frames + 1000; }));
    EXPECT_TRUE(AudioChannelIsActive(stream));
    EXPECT_EQ(AudioChannelFlags(stream, 0, SAMPLE_LOOP), 0u);
    EXPECT_TRUE(WaitFor([&] { return !AudioChannelIsActive(stream); }));
    Collect({stream});
}

TEST_F(AudioStreamTest, PlayWithRestartBeginsAgainFromTheFirstSample)
{
    const std::string path = Fixture("tone.mp3", Sine(440.0, 0.6, 0.5f));
    const std::vector<float> ref = Decode(path);
    UseDiskOutput(disk);
    ASSERT_TRUE(AudioInit(1, 44100, 0, nullptr, nullptr));
    const AudioHandle stream = AudioStreamCreateFile(path.c_str(), STREAM_PRESCAN);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(AudioChannelPlay(stream, true));
    ASSERT_TRUE(WaitFor([&] { return AudioChannelFramesPlayed(stream) >= 8000; }));
    ASSERT_TRUE(AudioChannelPlay(stream, true));
    ASSERT_TRUE(WaitFor([&] { return !AudioChannelIsActive(stream); }));

    const std::vector<float> out = Collect({stream});
    const std::size_t start = FindStart(out, ref);
    ASSERT_LT(start, out.size());
    std::size_t first = 0;
    while (first < ref.size() && Same(out, start + first, ref, first, 1))
    {
        ++first;
    }
    EXPECT_GE(first, 2u * 8000);
    EXPECT_LT(first, ref.size());
    const std::size_t again = FindStart(out, ref, start + first);
    ASSERT_LT(again, out.size());
    EXPECT_TRUE(Same(out, again, ref, 0, ref.size()));
}

// Working on a production pauses the music, moves it, and plays on: the
// position says where it stands, and the sound after the resume is the file
// from exactly there, sample for sample.
TEST_F(AudioStreamTest, ASeekWhilePausedPlaysOnFromExactlyThere)
{
    // A rising tone, so every stretch of it is found in one place only.
    std::vector<float> chirp(static_cast<std::size_t>(1.2 * kRate));
    for (std::size_t i = 0; i < chirp.size(); ++i)
    {
        const double t = static_cast<double>(i) / kRate;
        chirp[i] =
            0.5f * static_cast<float>(std::sin(2.0 * 3.14159265358979 * (200.0 + 300.0 * t) * t));
    }
    const std::string path = Fixture("chirp.mp3", chirp);
    const std::vector<float> ref = Decode(path);
    UseDiskOutput(disk);
    ASSERT_TRUE(AudioInit(1, 44100, 0, nullptr, nullptr));
    const AudioHandle stream = AudioStreamCreateFile(path.c_str(), STREAM_PRESCAN);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(AudioChannelPlay(stream, true));
    ASSERT_TRUE(WaitFor([&] { return AudioChannelFramesPlayed(stream) >= 8000; }));
    ASSERT_TRUE(AudioChannelStop(stream));
    const std::uint64_t target = 30000;
    const std::uint64_t bytes = target * 2 * sizeof(float);
    ASSERT_TRUE(AudioChannelSetPosition(stream, bytes, POS_BYTE));
    EXPECT_EQ(AudioChannelGetPosition(stream, POS_BYTE), bytes);
    ASSERT_TRUE(AudioChannelPlay(stream, false));
    ASSERT_TRUE(WaitFor([&] { return !AudioChannelIsActive(stream); }));
    EXPECT_EQ(AudioChannelGetPosition(stream, POS_BYTE), ref.size() * sizeof(float))
        << "a stream that played to its end stands at its end";

    const std::vector<float> out = Collect({stream});
    const std::size_t start = FindStart(out, ref);
    ASSERT_LT(start, out.size());
    std::size_t heard = 0;
    while (heard < ref.size() && Same(out, start + heard, ref, heard, 1))
    {
        ++heard;
    }
    EXPECT_GE(heard, 2u * 8000);
    // Silence while paused, then the file from the target on, to its end.
    const std::size_t resumed = FirstSound(out, start + heard);
    ASSERT_LT(resumed, out.size());
    EXPECT_TRUE(Same(out, resumed, ref, 2 * target, ref.size() - 2 * target));
}

TEST_F(AudioStreamTest, TwoStreamsAreHeardTogether)
{
    // Both tones sit on spectrum bins, so each reads its own amplitude.
    const double low = 10.0 * kRate / 512;
    const double high = 40.0 * kRate / 512;
    const std::string a = Fixture("low.mp3", Sine(low, 0.5, 0.3f));
    const std::string b = Fixture("high.mp3", Sine(high, 0.5, 0.3f));
    UseDiskOutput(disk);
    ASSERT_TRUE(AudioInit(1, 44100, 0, nullptr, nullptr));
    const AudioHandle first = AudioStreamCreateFile(a.c_str(), STREAM_PRESCAN);
    const AudioHandle second = AudioStreamCreateFile(b.c_str(), STREAM_PRESCAN);
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    ASSERT_NE(first, second);
    AudioChannelPlay(first, true);
    AudioChannelPlay(second, true);
    ASSERT_TRUE(
        WaitFor([&] { return !AudioChannelIsActive(first) && !AudioChannelIsActive(second); }));

    const std::vector<float> out = Collect({first, second});
    const std::size_t start = FirstSound(out) / 2;
    ASSERT_LT(start + 12288, Frames(out));
    EXPECT_NEAR(ToneLevel(out, start + 4096, 8192, low), 0.3, 0.03);
    EXPECT_NEAR(ToneLevel(out, start + 4096, 8192, high), 0.3, 0.03);
}

TEST_F(AudioStreamTest, ReleasingOneUserKeepsTheOtherStreamPlaying)
{
    const std::string path = Fixture("tone.mp3", Sine(440.0, 0.5, 0.5f));
    const std::vector<float> ref = Decode(path);
    UseDiskOutput(disk);
    ASSERT_TRUE(AudioInit(1, 44100, 0, nullptr, nullptr));
    // The second owner initialises again; that must not disturb anything.
    ASSERT_TRUE(AudioInit(1, 44100, 0, nullptr, nullptr));
    const AudioHandle stream = AudioStreamCreateFile(path.c_str(), STREAM_PRESCAN);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(AudioChannelPlay(stream, true));
    // The first owner lets go while the second's stream plays.
    ASSERT_TRUE(AudioFree());
    EXPECT_TRUE(AudioOutputOpen());
    ASSERT_TRUE(WaitFor([&] { return !AudioChannelIsActive(stream); }));
    EXPECT_EQ(AudioChannelFramesPlayed(stream), Frames(ref));
    // Even with no users left, a live stream keeps the output.
    ASSERT_TRUE(AudioFree());
    EXPECT_TRUE(AudioOutputOpen());
    ASSERT_TRUE(AudioStreamFree(stream));
    EXPECT_FALSE(AudioOutputOpen());

    const std::vector<float> out = ReadFloats(disk);
    const std::size_t start = FindStart(out, ref);
    ASSERT_LT(start, out.size());
    EXPECT_TRUE(Same(out, start, ref, 0, ref.size()));
}

TEST_F(AudioStreamTest, SpectrumPeaksInTheBinOfThePlayedTone)
{
    UseDiskOutput(disk);
    ASSERT_TRUE(AudioInit(1, 44100, 0, nullptr, nullptr));
    struct Case
    {
        double frequency;
        std::size_t bin;
    };
    for (const Case& tone : {Case{24.0 * kRate / 512, 24}, Case{1000.0, 12}})
    {
        const std::string path = Fixture("tone.mp3", Sine(tone.frequency, 0.3, 0.5f));
        const AudioHandle stream =
            AudioStreamCreateFile(path.c_str(), STREAM_PRESCAN | SAMPLE_LOOP);
        ASSERT_NE(stream, 0u);
        std::array<float, 512> spectrum{};
        ASSERT_EQ(AudioChannelGetData(stream, spectrum.data(), DATA_FFT512), 1024);
        // Nothing played yet: nothing to show.
        EXPECT_EQ(*std::max_element(spectrum.begin(), spectrum.begin() + 256), 0.0f);
        AudioChannelPlay(stream, true);
        ASSERT_TRUE(WaitFor([&] { return AudioChannelFramesPlayed(stream) > 4096; }));
        spectrum.fill(-1.0f);
        ASSERT_EQ(AudioChannelGetData(stream, spectrum.data(), DATA_FFT512), 1024);
        const auto peak = std::max_element(spectrum.begin(), spectrum.begin() + 256);
        EXPECT_EQ(static_cast<std::size_t>(peak - spectrum.begin()), tone.bin) << tone.frequency;
        if (tone.frequency != 1000.0)
        {
            // Scaled so that a bin-centred sine reads its amplitude.
            EXPECT_NEAR(*peak, 0.5f, 0.03f);
        }
        // Only the first half is written.
        EXPECT_EQ(spectrum[256], -1.0f);
        AudioStreamFree(stream);
    }
    AudioFree();
}

TEST_F(AudioStreamTest, FetchingTheSpectrumLeavesThePlayedSoundUntouched)
{
    const std::string path = Fixture("clicks.mp3", Clicks(700, 0.4, 0.5f));
    const std::vector<float> ref = Decode(path);
    UseDiskOutput(disk);
    ASSERT_TRUE(AudioInit(1, 44100, 0, nullptr, nullptr));
    const AudioHandle stream = AudioStreamCreateFile(path.c_str(), STREAM_PRESCAN);
    ASSERT_NE(stream, 0u);
    AudioChannelPlay(stream, true);
    std::array<float, 512> spectrum{};
    int fetches = 0;
    ASSERT_TRUE(WaitFor(
        [&]
        {
            fetches += AudioChannelGetData(stream, spectrum.data(), DATA_FFT512) == 1024 ? 1 : 0;
            return !AudioChannelIsActive(stream);
        }));
    EXPECT_GT(fetches, 1);

    const std::vector<float> out = Collect({stream});
    const std::size_t start = FindStart(out, ref);
    ASSERT_LT(start, out.size());
    EXPECT_TRUE(Same(out, start, ref, 0, ref.size()));
}

TEST_F(AudioStreamTest, WithoutADeviceEverythingSucceedsSilentlyAndNothingBlocks)
{
    const std::string path = Fixture("tone.mp3", Sine(440.0, 0.2, 0.5f));
    for (const char* driver : {"no-such-driver", "dummy"})
    {
        setenv("SDL_AUDIODRIVER", driver, 1);
        ASSERT_TRUE(AudioInit(1, 44100, 0, nullptr, nullptr)) << driver;
        const AudioHandle stream = AudioStreamCreateFile(path.c_str(), STREAM_PRESCAN);
        ASSERT_NE(stream, 0u) << driver;
        EXPECT_EQ(AudioChannelFlags(stream, SAMPLE_LOOP, SAMPLE_LOOP), SAMPLE_LOOP);
        EXPECT_TRUE(AudioChannelSetPosition(stream, 0, POS_BYTE));
        EXPECT_TRUE(AudioChannelPlay(stream, true));
        std::array<float, 512> spectrum{};
        EXPECT_EQ(AudioChannelGetData(stream, spectrum.data(), DATA_FFT512), 1024);
        EXPECT_TRUE(AudioChannelStop(stream));
        EXPECT_TRUE(AudioStreamFree(stream));
        EXPECT_TRUE(AudioFree());
    }
    // Device 0 asks for no sound at all.
    ASSERT_TRUE(AudioInit(0, 44100, 0, nullptr, nullptr));
    EXPECT_FALSE(AudioOutputOpen());
    const AudioHandle stream = AudioStreamCreateFile(path.c_str(), STREAM_PRESCAN);
    EXPECT_NE(stream, 0u);
    EXPECT_TRUE(AudioChannelPlay(stream, true));
    EXPECT_EQ(AudioChannelFramesPlayed(stream), 0u);
    AudioStreamFree(stream);
    AudioFree();
}

} // namespace
