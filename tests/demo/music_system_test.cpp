// cMusicSystem as the demo uses it: the loading tune looping while the main
// music starts, a missing file running silently and saying why, restarts and the spectrum the
// director fetches each frame. Sound is read back through SDL's disk driver.
#include "demo/MusicSystem.h"

#include "../platform/AudioFixture.h"
#include "log/ProblemLog.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

using MivexGL::cMusicSystem;
using namespace audiotest;

namespace
{

class MusicSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = MakeTempDir();
        disk = dir + "/out.raw";
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }

    std::string Fixture(const std::string& name, const std::vector<float>& samples)
    {
        const std::string path = dir + "/" + name;
        EXPECT_TRUE(WriteMp3(path, samples));
        return path;
    }

    static std::vector<float> Decode(const std::string& path)
    {
        std::vector<float> samples;
        EXPECT_TRUE(platform::AudioDecodeFile(path, samples));
        return samples;
    }

    static bool Active(const cMusicSystem& music)
    {
        return platform::AudioChannelIsActive(music.GetStream());
    }

    static std::uint64_t Played(const cMusicSystem& music)
    {
        return platform::AudioChannelFramesPlayed(music.GetStream());
    }

    std::string dir;
    std::string disk;
};

// Each says one "music: <file>: <reason>" line. A FIFO is never opened: the
// open would wait for a writer that never comes.
TEST_F(MusicSystemTest, MissingOrBrokenFileLeavesNoStreamSaysWhyAndEverythingStaysHarmless)
{
    WriteText(dir + "/broken.mp3", "ID3 but nothing after it");
    ASSERT_EQ(mkfifo((dir + "/fifo.mp3").c_str(), 0600), 0);
    ASSERT_EQ(mkdir((dir + "/folder.mp3").c_str(), 0700), 0);
    const std::pair<const char*, const char*> files[] = {{"missing.mp3", "no such file"},
                                                         {"broken.mp3", "not an MP3 file"},
                                                         {"fifo.mp3", "not a regular file"},
                                                         {"folder.mp3", "not a regular file"}};
    for (const auto& [name, reason] : files)
    {
        const std::string path = dir + "/" + name;
        EXPECT_EQ(cMusicSystem::Check(path).rfind(reason, 0), 0u) << name;
        cMusicSystem music;
        EXPECT_EQ(music.GetStream(), 0u);
        music.SetFile(path);
        music.SetLoop(true);
        const std::uint64_t mark = MivexGL::cProblemLog::Instance().Count();
        EXPECT_TRUE(music.Init(nullptr));
        EXPECT_EQ(music.GetStream(), 0u);
        const std::vector<std::string> lines = MivexGL::cProblemLog::Instance().Recent();
        ASSERT_EQ(MivexGL::cProblemLog::Instance().Count() - mark, 1u) << name;
        EXPECT_EQ(lines.back().rfind("music: " + path + ": " + reason, 0), 0u) << lines.back();
        EXPECT_TRUE(music.Play());
        music.FetchSpectrum();
        EXPECT_TRUE(music.Stop());
        const float* spectrum = music.GetSpectrum();
        EXPECT_TRUE(std::all_of(spectrum, spectrum + 512, [](float v) { return v == 0.0f; }));
    }
    // Both owners released the output again.
    EXPECT_FALSE(platform::AudioOutputOpen());
    EXPECT_FALSE(platform::AudioFree());
}

TEST_F(MusicSystemTest, FileIsFoundWithTheProgramsSeparatorsAndLetterCase)
{
    ASSERT_EQ(system(("mkdir -p " + dir + "/Data/General").c_str()), 0);
    Fixture("Data/General/Loading.mp3", Sine(440.0, 0.2, 0.5f));
    cMusicSystem music;
    music.SetFile(dir + "\\data\\general\\loading.mp3");
    const std::uint64_t mark = MivexGL::cProblemLog::Instance().Count();
    music.Init(nullptr);
    EXPECT_NE(music.GetStream(), 0u);
    EXPECT_EQ(MivexGL::cProblemLog::Instance().Count(), mark);
    EXPECT_EQ(cMusicSystem::Check(dir + "\\data\\general\\loading.mp3"), "");
}

TEST_F(MusicSystemTest, LoopingMusicPlaysOnPastItsEndAndTheOtherEnds)
{
    const std::string path = Fixture("tone.mp3", Sine(440.0, 0.2, 0.5f));
    const std::size_t frames = Decode(path).size() / 2;
    UseDiskOutput(disk);
    cMusicSystem tune;
    tune.SetFile(path);
    tune.SetLoop(true);
    tune.Init(nullptr);
    cMusicSystem once;
    once.SetFile(path);
    once.Init(nullptr);
    ASSERT_NE(tune.GetStream(), 0u);
    ASSERT_NE(once.GetStream(), 0u);
    tune.Play();
    once.Play();
    ASSERT_TRUE(WaitFor([&] { return !Active(once); }));
    EXPECT_EQ(Played(once), frames);
    ASSERT_TRUE(WaitFor([&] { return Played(tune) > 2 * frames; }));
    EXPECT_TRUE(Active(tune));
    tune.Stop();
    EXPECT_FALSE(Active(tune));
}

TEST_F(MusicSystemTest, PlayAgainRestartsFromTheBeginning)
{
    const std::string path = Fixture("clicks.mp3", Clicks(900, 0.5, 0.5f));
    const std::vector<float> ref = Decode(path);
    UseDiskOutput(disk);
    {
        cMusicSystem music;
        music.SetFile(path);
        music.Init(nullptr);
        music.Play();
        ASSERT_TRUE(WaitFor([&] { return Played(music) >= 6000; }));
        music.Play();
        ASSERT_TRUE(WaitFor([&] { return !Active(music); }));
    }
    const std::vector<float> out = ReadFloats(disk);
    const std::size_t start = FindStart(out, ref);
    ASSERT_LT(start, out.size());
    std::size_t first = 0;
    while (first < ref.size() && Same(out, start + first, ref, first, 1))
    {
        ++first;
    }
    EXPECT_GE(first, 2u * 6000);
    EXPECT_LT(first, ref.size());
    const std::size_t again = FindStart(out, ref, start + first);
    ASSERT_LT(again, out.size());
    EXPECT_TRUE(Same(out, again, ref, 0, ref.size()));
}

// The program's hand-over: the loading tune loops, the main music starts on
// top of it, the tune stops, and the tune's owner going away first must not
// cut the main music short.
TEST_F(MusicSystemTest, MainMusicStartsOverTheLoadingTuneAndOutlivesItsRelease)
{
    const double tuneTone = 10.0 * kRate / 512;
    const double musicTone = 40.0 * kRate / 512;
    const std::string tunePath = Fixture("loading.mp3", Sine(tuneTone, 0.2, 0.3f));
    const std::string musicPath = Fixture("music.mp3", Sine(musicTone, 0.8, 0.3f));
    const std::size_t musicFrames = Decode(musicPath).size() / 2;
    UseDiskOutput(disk);

    {
        auto tune = std::make_unique<cMusicSystem>();
        tune->SetFile(tunePath);
        tune->SetLoop(true);
        tune->Init(nullptr);
        tune->Play();
        ASSERT_TRUE(WaitFor([&] { return Played(*tune) > 12000; }));

        cMusicSystem music;
        music.SetFile(musicPath);
        music.Init(nullptr);
        ASSERT_NE(music.GetStream(), 0u);
        music.Play();
        ASSERT_TRUE(WaitFor([&] { return Played(music) > 12000; }));
        tune->Stop();
        tune.reset();
        EXPECT_TRUE(platform::AudioOutputOpen());
        ASSERT_TRUE(WaitFor([&] { return !Active(music); }));
        EXPECT_EQ(Played(music), musicFrames);
    }
    EXPECT_FALSE(platform::AudioOutputOpen());

    const std::vector<float> out = ReadFloats(disk);
    const std::size_t end = out.size() / 2;
    std::size_t last = end;
    while (last > 0 && out[2 * (last - 1)] == 0.0f)
    {
        --last;
    }
    ASSERT_GT(last, 8192u);
    // The last stretch is the music alone.
    EXPECT_NEAR(ToneLevel(out, last - 8192, 8192, musicTone), 0.3, 0.03);
    EXPECT_LT(ToneLevel(out, last - 8192, 8192, tuneTone), 0.01);
    // Somewhere before, both were heard together.
    bool together = false;
    for (std::size_t at = FirstSound(out) / 2; at + 4096 < last && !together; at += 2048)
    {
        together =
            ToneLevel(out, at, 4096, tuneTone) > 0.25 && ToneLevel(out, at, 4096, musicTone) > 0.25;
    }
    EXPECT_TRUE(together);
}

// The output stays open while one music is initialised, however many
// others are made and dropped, and closes when that one goes, even after a
// second Init.
TEST_F(MusicSystemTest, OnlyAnInitialisedMusicHoldsTheOutputAndOnlyOnce)
{
    const std::string path = Fixture("music.mp3", Sine(440.0, 0.2, 0.3f));
    UseDiskOutput(disk);
    {
        cMusicSystem music;
        music.SetFile(path);
        music.Init(nullptr);
        music.Init(nullptr);
        ASSERT_NE(music.GetStream(), 0u);
        {
            cMusicSystem unused;
        }
        EXPECT_TRUE(platform::AudioOutputOpen());
    }
    EXPECT_FALSE(platform::AudioOutputOpen());
}

TEST_F(MusicSystemTest, SpectrumOfA1000HzToneFillsTheFirstHalfAndPeaksInBin12)
{
    const std::string path = Fixture("tone.mp3", Sine(1000.0, 0.3, 0.5f));
    UseDiskOutput(disk);
    cMusicSystem music;
    music.SetFile(path);
    music.SetLoop(true);
    music.Init(nullptr);
    music.Play();
    ASSERT_TRUE(WaitFor([&] { return Played(music) > 4096; }));
    music.FetchSpectrum();
    const float* spectrum = music.GetSpectrum();
    EXPECT_EQ(std::max_element(spectrum, spectrum + 256) - spectrum, 12);
    EXPECT_GT(spectrum[12], 0.3f);
    EXPECT_TRUE(std::all_of(spectrum + 256, spectrum + 512, [](float v) { return v == 0.0f; }));
}

} // namespace
