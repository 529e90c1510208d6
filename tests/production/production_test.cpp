// The production framework: a seek or pause asked for on the overlay lands
// where the development keys land; the timeline the overlay shows names the
// director's and each scene's window; a description missing a step stops
// the program at once, naming it; and a production whose loading frame does
// nothing still starts and plays its timeline to the end.
#include "production/Production.h"

#include "app/TimerSystem.h"
#include "platform/Win32.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

// A director that keeps what a replayed timeline leaves behind.
class cCountingScene : public MivexGL::cSceneSystem
{
public:
    int Init() override
    {
        ++inits;
        child.SetStartTime("0:00.100");
        child.SetEndTime("0:00.199");
        return 0;
    }
    void Update() override
    {
        ++updates;
        sum += time.elapsed;
    }
    void Draw() override { ++draws; }
    void Rewind() override
    {
        cSceneSystem::Rewind();
        updates = 0;
        sum = 0;
    }

    std::vector<MivexGL::cNamedScene> GetScenes() const { return {{"child", &child}}; }

    int inits = 0;
    int updates = 0;
    int draws = 0;
    long long sum = 0;
    cSceneSystem child;
    // Silent: no file.
    MivexGL::cMusicSystem music;
};

struct Landing
{
    int updates;
    long long sum;
    std::int32_t now;
    bool paused;
    bool held;
};

Landing Land(cCountingScene& director, MivexGL::cProductionControl& control)
{
    const Landing landing{director.updates, director.sum, control.Now(), control.IsPaused(),
                          MivexGL::cTimerSystem::Instance().IsHeld()};
    if (control.IsPaused())
    {
        control.TogglePause();
    }
    return landing;
}

// Runs the director a few frames in, then moves it either with keys or with
// the overlay's request.
Landing Move(bool withKeys)
{
    testsupport::ScriptedClock clock;
    cCountingScene director;
    MivexGL::cProductionControl control;
    control.Bind(director, director.music, 60000, true);
    control.SetDevMode(true);
    MivexGL::cTimerSystem& timer = MivexGL::cTimerSystem::Instance();
    timer.Reset();
    for (int frame = 0; frame < 5; ++frame)
    {
        director.UpdateIfActive();
        clock.AdvanceMs(16);
        timer.Tick();
    }
    if (withKeys)
    {
        for (int key : {platform::VK_RIGHT, platform::VK_RIGHT, platform::VK_RIGHT,
                        platform::VK_LEFT, platform::VK_SPACE})
        {
            control.OnMessage(platform::WM_KEYDOWN, static_cast<platform::WPARAM>(key));
        }
        control.BeginUpdate(nullptr);
    }
    else
    {
        MivexGL::cOverlayRequest request;
        request.seek = true;
        request.seekTo = control.Now() + 10000;
        request.togglePause = true;
        control.Carry(request);
    }
    return Land(director, control);
}

TEST(ProductionControl, AnOverlaySeekLandsWhereTheKeysLand)
{
    const Landing keys = Move(true);
    const Landing overlay = Move(false);
    EXPECT_EQ(keys.now, 80 + 10000);
    EXPECT_EQ(overlay.now, keys.now);
    EXPECT_EQ(overlay.updates, keys.updates);
    EXPECT_EQ(overlay.sum, keys.sum);
    EXPECT_TRUE(keys.paused && keys.held);
    EXPECT_TRUE(overlay.paused && overlay.held);
}

TEST(ProductionControl, TheTimelineNamesEveryWindowAndSeeksStayWithinIt)
{
    testsupport::ScriptedClock clock;
    cCountingScene director;
    director.Init();
    director.SetStartTime("0:00.0");
    director.SetEndTime("0:01.0");
    MivexGL::cProductionControl control;
    control.Bind(director, director.music, 1000, true);
    control.SetScenes(director.GetScenes());
    MivexGL::cTimelineView view = control.View();
    ASSERT_EQ(view.windows.size(), 2u);
    EXPECT_EQ(view.windows[0].end, 1000);
    EXPECT_EQ(view.windows[1].name, "child");
    EXPECT_EQ(view.windows[1].start, 100);
    EXPECT_EQ(view.windows[1].end, 199);
    EXPECT_EQ(view.length, 1000);

    MivexGL::cOverlayRequest past;
    past.seek = true;
    past.seekTo = 5000;
    control.Carry(past);
    EXPECT_EQ(control.Now(), 1000) << "a drag past the end stops at the end";
}

MivexGL::cProductionInfo Described()
{
    MivexGL::cProductionInfo info;
    info.program = "tiny";
    info.title = "Tiny";
    info.length = 300;
    return info;
}

TEST(ProductionDeathTest, ADescriptionMissingAStepStopsNamingIt)
{
    MivexGL::cProductionInfo noLength = Described();
    noLength.length = 0;
    EXPECT_EXIT(MivexGL::cProductionOf<cCountingScene>{noLength}, ::testing::ExitedWithCode(2),
                "length");
    MivexGL::cProductionInfo noTitle = Described();
    noTitle.title = "";
    EXPECT_EXIT(MivexGL::cProductionOf<cCountingScene>{noTitle}, ::testing::ExitedWithCode(2),
                "title");
}

// A loading frame that draws nothing and never touches the loading flag,
// and no message target set by hand: the run still loads, plays the whole
// timeline and ends by itself.
class cForgetful : public MivexGL::cProductionOf<cCountingScene>
{
public:
    cForgetful() : cProductionOf(Described()) {}
    void DrawLoadingFrame() override { ++loadingFrames; }
    int loadingFrames = 0;
};

TEST(Production, ALoadingFrameThatForgetsTheFlagStillStartsAndPlaysToTheEnd)
{
    cForgetful app;
    app.Configure(64, 48, false);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(app.loadingFrames, 1);
    EXPECT_EQ(app.GetDirector().inits, 1);
    EXPECT_TRUE(app.GetDirector().IsFinished());
    EXPECT_GT(app.GetDirector().draws, 0);
    EXPECT_EQ(app.GetDirector().GetEndTime(), 300);
    EXPECT_EQ(app.GetControl().GetOverlay(), nullptr) << "a plain run has no overlay";
}

} // namespace
