// The production framework: a seek or pause asked for on the overlay lands
// where the development keys land; the timeline the overlay shows names the
// director's and each scene's window; in --dev a sync editor's row and
// pause move the timeline as the keys do; a description missing a step stops
// the program at once, naming it; and a production whose loading frame does
// nothing still starts and plays its timeline to the end.
#include "production/Production.h"

#include "app/TimerSystem.h"
#include "sync/SyncSystem.h"
#include "platform/TestSeams.h"
#include "platform/Win32.h"
#include "support/Recorders.h"
#include "support/StandInEditor.h"

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

// A director with a track, setting the tracks' time in its Update as the
// showcase's does: 16 rows a second.
class cTrackedScene : public cCountingScene
{
public:
    int Init() override
    {
        MivexGL::cSyncSystem& sync = MivexGL::cSyncSystem::Instance();
        sync.Configure("", 120.0, 8.0);
        fade = sync.Track("fade");
        return cCountingScene::Init();
    }
    void Update() override
    {
        MivexGL::cSyncSystem::Instance().SetTime(time.elapsed);
        cCountingScene::Update();
    }
    MivexGL::cSyncSystem::cHandle fade;
};

TEST(ProductionControl, ASyncEditorsRowAndPauseMoveTheTimelineAsTheKeysDo)
{
    using testsupport::PauseCommand;
    using testsupport::SetRowCommand;
    testsupport::ScriptedClock clock;
    testsupport::StandInEditor editor;
    ASSERT_NE(editor.listener, platform::kNoSocket);
    MivexGL::cTimerSystem& timer = MivexGL::cTimerSystem::Instance();
    // Where the keys' seek leaves a director at 2 s.
    cCountingScene replayed;
    replayed.SetEndTime("1:00.0");
    MivexGL::cProductionControl byKeys;
    byKeys.Bind(replayed, replayed.music, 60000, true);
    byKeys.SeekTo(2000);
    replayed.UpdateIfActive();

    cTrackedScene director;
    MivexGL::cProductionControl control;
    control.Bind(director, director.music, 60000, true);
    control.SetDevMode(true);
    control.SetSyncEditor("127.0.0.1", editor.port);
    control.BeforeLoading();
    director.Init();
    director.SetEndTime("1:00.0");
    timer.Reset();
    // The frame loop's order; the clock moves only when a step says so.
    std::int64_t step = 0;
    const auto frame = [&]
    {
        control.BeginUpdate(nullptr);
        director.UpdateIfActive();
        clock.AdvanceMs(step);
        timer.Tick();
    };
    // The track taken before the editor answered is asked for again.
    editor.Greet(frame, {"fade"});
    ASSERT_TRUE(editor.Pump(frame, [&] { return editor.Heard(5); }));
    EXPECT_EQ(editor.Take(5), SetRowCommand(0)) << "playing, the row is reported";

    // Row 32 is 2 s in, reached by the replay the keys' seek makes.
    editor.Say(SetRowCommand(32));
    ASSERT_TRUE(editor.Pump(frame, [&] { return director.GetElapsed() == 2000; }));
    EXPECT_EQ(director.updates, replayed.updates);
    EXPECT_EQ(director.sum, replayed.sum);
    editor.Settle(frame);
    EXPECT_TRUE(editor.heard.empty()) << "the editor's own row is not sent back";
    step = 1000;
    frame();
    step = 0;
    ASSERT_TRUE(editor.Pump(frame, [&] { return editor.Heard(5); }));
    EXPECT_EQ(editor.Take(5), SetRowCommand(48));

    // Pause is a state: a second pause keeps it, and the clock stands.
    for (int twice = 0; twice < 2; ++twice)
    {
        editor.Say(PauseCommand(true));
        ASSERT_TRUE(editor.Pump(frame, [&] { return control.IsPaused(); }));
        editor.Settle(frame);
    }
    EXPECT_TRUE(control.IsPaused() && timer.IsHeld());
    step = 500;
    editor.Settle(frame);
    EXPECT_EQ(director.GetElapsed(), 3000);
    editor.Say(SetRowCommand(16));
    ASSERT_TRUE(editor.Pump(frame, [&] { return director.GetElapsed() == 1000; }));
    editor.Settle(frame);
    EXPECT_EQ(director.GetElapsed(), 1000) << "a seek while paused stays paused";
    EXPECT_TRUE(editor.heard.empty()) << "paused, no row is reported";
    editor.Say(PauseCommand(false));
    ASSERT_TRUE(editor.Pump(frame, [&] { return director.GetElapsed() > 1000; }));
    EXPECT_FALSE(control.IsPaused() || timer.IsHeld());
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

// Every box a production shows carries its title; a description that keeps
// the window system's own captions (the demo's) gets those.
TEST(Production, ItsBoxesCarryItsTitleUnlessItKeepsTheirOwn)
{
    for (const bool titled : {true, false})
    {
        MivexGL::cProductionInfo info = Described();
        info.titledBoxes = titled;
        MivexGL::cProductionOf<cCountingScene> app(info);
        app.Configure(64, 48, true);
        platform::SetDisplayFault(platform::DisplayStep::ChangeDisplaySettings, true);
        testsupport::BoxRecorder boxes(platform::IDNO);
        EXPECT_FALSE(app.CreateDisplay());
        platform::SetDisplayFault(platform::DisplayStep::ChangeDisplaySettings, false);
        ASSERT_EQ(boxes.Calls().size(), 2u);
        EXPECT_EQ(boxes.Calls()[0].caption, titled ? "Tiny" : "Pelorin GL");
        EXPECT_EQ(boxes.Calls()[1].caption, titled ? "Tiny" : "ERROR");
        boxes.Clear();
        app.DestroyDisplay();
    }
}

} // namespace
