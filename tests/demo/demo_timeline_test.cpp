// The whole demo in this process on a scripted clock: the loading frame, the
// slide schedule on screen, the mirrored flash and its fade, black after the
// intro, the end at five minutes, and a stall across the intro's end.
#include "DemoHarness.h"

#include "demo/Resources.h"
#include "demo/SollanScene.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace demotest;
using MivexGL::cResources;
using MivexGL::cSollanScene;

namespace
{

// The picture the schedule puts on screen at a local time.
int ScheduledPicture(std::int32_t t)
{
    const int row = cSollanScene::SlideAt(t);
    return row < 0 ? -1 : cSollanScene::kSchedule[row].texture;
}

bool IsBlack(const Grid& grid)
{
    return *std::max_element(grid.cells.begin(), grid.cells.end()) < 2.0f;
}

class DemoTimeline : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.Path().empty());
        app.times.push_back(0);
        app.times.push_back(1);
        for (int t = 10; t <= 1300; t += 10)
        {
            app.times.push_back(t);
            if (t == 1000)
            {
                app.times.push_back(1001);
            }
        }
        // The middle of every schedule row after the flash, then both ends
        // of the intro's last millisecond and the long black tail.
        for (const auto& slide : cSollanScene::kSchedule)
        {
            const std::int32_t middle = (slide.from + slide.to) / 2;
            if (middle > app.times.back())
            {
                app.times.push_back(middle);
            }
        }
        for (std::int32_t t : {129999, 130000, 130001, 200000, 299999, 300000})
        {
            app.times.push_back(t);
        }
        result = RunLikeTheEntry(app);
    }

    const FrameRecord* At(std::int32_t elapsed) const
    {
        for (const auto& f : app.frames)
        {
            if (f.elapsed == elapsed)
            {
                return &f;
            }
        }
        return nullptr;
    }

    WorkingFolder folder{true};
    testsupport::ScriptedClock clock;
    ScriptedTarnel app{clock};
    int result = -1;
};

TEST_F(DemoTimeline, TheLoadingPictureIsPresentedOnceBeforeStart)
{
    EXPECT_EQ(result, 0);
    EXPECT_EQ(app.loadingCalls, 1);
    EXPECT_EQ(app.loadingCallsAtStart, 1);
    EXPECT_EQ(app.startCalls, 1);
    const Picture loading = LoadPicture("data/General/loading.jpg");
    ASSERT_FALSE(loading.Empty());
    const Grid expected = QuadGrid(loading, LoadingVisibleX(), LoadingVisibleY());
    EXPECT_LT(Distance(app.loadingGrid, expected), 12.0f);
    // A picture shown the other way up would not match.
    const Grid flipped = QuadGrid(loading, LoadingVisibleX(), -LoadingVisibleY());
    EXPECT_GT(Distance(app.loadingGrid, flipped), Distance(app.loadingGrid, expected));
}

TEST_F(DemoTimeline, EveryFrameShowsTheScheduledSlide)
{
    int checked = 0;
    for (const auto& f : app.frames)
    {
        if (f.elapsed <= 1300 || f.elapsed > 130000)
        {
            continue;
        }
        ASSERT_EQ(f.introLocal, f.elapsed);
        const Match match = NearestSlide(f.grid);
        EXPECT_EQ(match.index, ScheduledPicture(f.introLocal))
            << "at " << f.introLocal << " ms (distance " << match.distance << ", runner-up "
            << match.runnerUp << ")";
        EXPECT_LT(match.distance, 12.0f) << "at " << f.introLocal;
        ++checked;
    }
    EXPECT_GE(checked, 44);
}

TEST_F(DemoTimeline, SlideBoundariesBelongToTheEarlierSlide)
{
    for (std::int32_t t : {0, 1000, 1001, 130000})
    {
        const FrameRecord* f = At(t);
        ASSERT_NE(f, nullptr) << t;
        if (t == 0)
        {
            EXPECT_EQ(f->flash, 0.0f) << "no flash on the very first frame";
        }
        EXPECT_EQ(NearestSlide(f->grid).index, ScheduledPicture(t)) << t;
    }
    EXPECT_EQ(ScheduledPicture(1000), cResources::kTitleFirst);
    EXPECT_EQ(ScheduledPicture(1001), cResources::kTitle2nd);
    EXPECT_EQ(ScheduledPicture(130000), cResources::kHorseMask);
}

TEST_F(DemoTimeline, TheFlashCoversTheFirstSlideMirroredAndFadesOut)
{
    const Picture slide = ManifestPicture(cResources::kTitleFirst);
    const Picture flash = ManifestPicture(cResources::kSpecular);
    ASSERT_FALSE(slide.Empty());
    ASSERT_FALSE(flash.Empty());
    const Grid plain = QuadGrid(slide, SlideVisibleX(), SlideVisibleY());
    const Grid mirrored = QuadGrid(slide, SlideVisibleX(), SlideVisibleY(), &flash, true);
    const Grid upright = QuadGrid(slide, SlideVisibleX(), SlideVisibleY(), &flash, false);
    int opaque = 0;
    for (const auto& f : app.frames)
    {
        if (f.introLocal >= 1 && f.introLocal <= 200)
        {
            EXPECT_EQ(f.flash, 1.0f) << f.introLocal;
            const float toMirrored = Distance(f.grid, mirrored);
            EXPECT_LT(toMirrored, 12.0f) << f.introLocal;
            EXPECT_LT(toMirrored + 3.0f, Distance(f.grid, upright)) << f.introLocal;
            EXPECT_LT(toMirrored + 3.0f, Distance(f.grid, plain)) << f.introLocal;
            ++opaque;
        }
    }
    EXPECT_EQ(opaque, 21);
    // 10 ms frames from 200 on: half gone at 700, all gone from 1200.
    const FrameRecord* half = At(700);
    ASSERT_NE(half, nullptr);
    EXPECT_NEAR(half->flash, 0.5f, 0.02f);
    const Grid halfway = QuadGrid(slide, SlideVisibleX(), SlideVisibleY(), &flash, true, 0.5f);
    EXPECT_LT(Distance(half->grid, halfway), 12.0f);
    for (std::int32_t t : {1200, 1300})
    {
        const FrameRecord* f = At(t);
        ASSERT_NE(f, nullptr);
        // Summed float steps leave at most a trace.
        EXPECT_LT(f->flash, 1e-3f) << t;
        EXPECT_EQ(NearestSlide(f->grid).index, cResources::kTitle2nd) << t;
    }
}

TEST_F(DemoTimeline, BlackAfterTheIntroAndTheEndAtFiveMinutes)
{
    for (const auto& f : app.frames)
    {
        if (f.elapsed > 130000)
        {
            EXPECT_TRUE(IsBlack(f.grid)) << f.elapsed;
            EXPECT_EQ(f.introLocal, 130000) << "the intro's clock stopped with its window";
        }
    }
    ASSERT_EQ(app.frames.size(), app.times.size()) << "the director ended the run, not Escape";
    const FrameRecord& last = app.frames.back();
    EXPECT_EQ(last.elapsed, 300000);
    EXPECT_FALSE(last.drawResult) << "the last frame is drawn and ends the loop";
    EXPECT_TRUE(IsBlack(last.grid));
    EXPECT_TRUE(app.frames[app.frames.size() - 2].drawResult);
    EXPECT_TRUE(app.GetDirector().IsFinished());
}

class DemoStall : public ::testing::Test
{
protected:
    WorkingFolder folder{true};
    testsupport::ScriptedClock clock;
    ScriptedTarnel app{clock};
};

TEST_F(DemoStall, AStallAcrossTheIntrosEndNeverDrawsItAgain)
{
    ASSERT_FALSE(folder.Path().empty());
    for (int t = 0; t <= 500; t += 100)
    {
        app.times.push_back(t);
    }
    for (std::int32_t t : {140000, 140016, 250000, 320000})
    {
        app.times.push_back(t);
    }
    EXPECT_EQ(RunLikeTheEntry(app), 0);
    ASSERT_EQ(app.frames.size(), app.times.size());
    for (const auto& f : app.frames)
    {
        if (f.elapsed <= 500)
        {
            EXPECT_FALSE(IsBlack(f.grid)) << f.elapsed;
        }
        else
        {
            EXPECT_EQ(f.introLocal, 500) << "the intro never ran after the stall";
            EXPECT_TRUE(IsBlack(f.grid)) << f.elapsed;
        }
    }
    // A stall across five minutes ends the demo on the next frame.
    EXPECT_EQ(app.frames.back().elapsed, 320000);
    EXPECT_FALSE(app.frames.back().drawResult);
}

} // namespace
