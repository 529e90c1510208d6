// Moving through the timeline while a production is worked on: a run started
// at a time, and one sent back there with the development keys, show what a
// plain run at 60 frames a second shows then, flash and all; a pause holds
// picture and music together, and a seek while paused puts the music at the
// director's time.
#include "DemoHarness.h"

#include "demo/Resources.h"
#include "platform/Messages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

using namespace demotest;

namespace
{

// Real time since it was made, in milliseconds.
class Stopwatch
{
public:
    std::int64_t Ms() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start)
            .count();
    }

private:
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

// The music started at from and has played on for at most the real time the
// run took (however slow the machine), give or take a second of buffering.
::testing::AssertionResult MusicFrom(ScriptedTarnel& app, std::int32_t from, const Stopwatch& run)
{
    const std::int64_t at = app.GetDirector().GetResources().GetMusic().GetPosition();
    if (at >= from - 1000 && at <= from + 1000 + run.Ms())
    {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "the music is at " << at << " ms, started at " << from
                                         << " ms " << run.Ms() << " ms ago";
}

} // namespace

namespace
{

// A frame k of a 60 per second run, rounded half up as seeks replay them.
std::int32_t At60(int k)
{
    return (k * 2000 + 60) / 120;
}

std::vector<std::int32_t> Frames60(int count)
{
    std::vector<std::int32_t> times;
    for (int k = 0; k < count; ++k)
    {
        times.push_back(At60(k));
    }
    return times;
}

void Press(ScriptedTarnel& app, int key, int times = 1)
{
    for (int i = 0; i < times; ++i)
    {
        platform::PostMessageW(app.GetWindowHandle(), platform::WM_KEYDOWN,
                               static_cast<platform::WPARAM>(key), 0);
        platform::PostMessageW(app.GetWindowHandle(), platform::WM_KEYUP,
                               static_cast<platform::WPARAM>(key), 0);
    }
}

class DemoSeek : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.Path().empty());
        testsupport::ScriptedClock clock;
        ScriptedTarnel plainRun(clock);
        plainRun.times = Frames60(52);
        ASSERT_EQ(RunLikeTheEntry(plainRun), 0);
        plain = plainRun.frames;
        ASSERT_EQ(plain.size(), 52u);
    }

    // The plain run's frame at a director time on its grid.
    const FrameRecord& PlainAt(std::int32_t t) const
    {
        for (const FrameRecord& frame : plain)
        {
            if (frame.elapsed == t)
            {
                return frame;
            }
        }
        ADD_FAILURE() << "no plain frame at " << t;
        return plain.front();
    }

    void ExpectSameFrame(const FrameRecord& seen, std::int32_t t) const
    {
        const FrameRecord& expected = PlainAt(t);
        EXPECT_EQ(seen.elapsed, t);
        EXPECT_EQ(seen.introLocal, expected.introLocal);
        // Inside the fade: the flash must have stepped through the same
        // frame times to hold the same opacity.
        EXPECT_FLOAT_EQ(seen.flash, expected.flash);
        EXPECT_GT(seen.flash, 0.0f);
        EXPECT_LT(Distance(seen.grid, expected.grid), 0.5f);
    }

    WorkingFolder folder{true};
    testsupport::BoxRecorder boxes{platform::IDYES};
    std::vector<FrameRecord> plain;
};

TEST_F(DemoSeek, AStartTimeAndASeekBackShowWhatAPlainRunShowsThen)
{
    testsupport::ScriptedClock clock;
    ScriptedTarnel started(clock);
    started.SetStartAt(700);
    started.times = {0, 17};
    Stopwatch startedRun;
    ASSERT_EQ(RunLikeTheEntry(started), 0);
    ASSERT_EQ(started.frames.size(), 2u);
    ExpectSameFrame(started.frames[0], 700);
    EXPECT_TRUE(MusicFrom(started, 700, startedRun)) << "the music started at the start time";

    // 64.75 s into the show: laceHeaven, with the music there too.
    testsupport::ScriptedClock laterClock;
    ScriptedTarnel later(laterClock);
    later.SetStartAt(64750);
    later.times = {0};
    Stopwatch laterRun;
    ASSERT_EQ(RunLikeTheEntry(later), 0);
    ASSERT_EQ(later.frames.size(), 1u);
    EXPECT_EQ(later.frames[0].elapsed, 64750);
    EXPECT_EQ(NearestSlide(later.frames[0].grid).index, MivexGL::cResources::kLaceHeaven);
    EXPECT_TRUE(MusicFrom(later, 64750, laterRun));

    // From 20.7 s four steps back land at 0.717 s: the updates are run again
    // from 0, so the fading flash is back as it was then.
    testsupport::ScriptedClock devClock;
    ScriptedTarnel dev(devClock);
    dev.SetStartAt(20700);
    dev.SetDevMode(true);
    dev.times = {0, 17, 34};
    dev.afterDraw = [](ScriptedTarnel& app, int frame)
    {
        if (frame == 0)
        {
            Press(app, platform::VK_LEFT, 4);
            // The overlay is not part of the picture compared.
            Press(app, platform::VK_F1 + 1);
        }
    };
    ASSERT_EQ(RunLikeTheEntry(dev), 0);
    ASSERT_EQ(dev.frames.size(), 3u);
    EXPECT_EQ(dev.frames[0].elapsed, 20700);
    ExpectSameFrame(dev.frames[1], 717);
}

TEST_F(DemoSeek, APauseHoldsPictureAndMusicAndASeekMovesBothTogether)
{
    testsupport::ScriptedClock clock;
    ScriptedTarnel app(clock);
    app.SetDevMode(true);
    app.times = Frames60(9);
    std::int32_t musicWhilePaused = -1;
    std::int32_t musicAfterSeek = -1;
    app.afterDraw = [&](ScriptedTarnel& self, int frame)
    {
        MivexGL::cMusicSystem& music = self.GetDirector().GetResources().GetMusic();
        if (frame == 1)
        {
            Press(self, platform::VK_SPACE);
        }
        if (frame == 3)
        {
            musicWhilePaused = music.GetPosition();
            Press(self, platform::VK_RIGHT);
        }
        if (frame == 5)
        {
            musicAfterSeek = music.GetPosition();
            EXPECT_TRUE(self.IsPaused());
            Press(self, platform::VK_SPACE);
        }
    };
    ASSERT_EQ(RunLikeTheEntry(app), 0);
    ASSERT_EQ(app.frames.size(), 9u);
    // Paused from frame 2 on: the clock moves, the director does not.
    EXPECT_EQ(app.frames[2].elapsed, app.frames[3].elapsed);
    // Right while paused: 5 s on, still paused, the music exactly there.
    const std::int32_t sought = app.frames[4].elapsed;
    EXPECT_EQ(sought, app.frames[3].elapsed + 5000);
    EXPECT_EQ(app.frames[5].elapsed, sought);
    EXPECT_NEAR(musicAfterSeek, sought, 1);
    EXPECT_LT(musicWhilePaused, sought - 4000);
    // Resumed: the director moves on from where it stood, frame for frame.
    EXPECT_EQ(app.frames[7].elapsed - app.frames[6].elapsed, app.times[7] - app.times[6]);
    EXPECT_FALSE(app.IsPaused());
}

} // namespace
