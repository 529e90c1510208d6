// The scene framework on a scripted clock: time texts, anchoring, inclusive
// windows, the scene's own clock, and the disabled and forced flags.
#include "app/TimerSystem.h"
#include "demo/SceneSystem.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>

using MivexGL::cSceneSystem;
using MivexGL::cTimerSystem;
using MivexGL::ParseTime;

namespace
{

TEST(ParseTime, MinutesSecondsAndFraction)
{
    EXPECT_EQ(ParseTime("0:00.0"), 0);
    EXPECT_EQ(ParseTime("2:10.0"), 130000);
    EXPECT_EQ(ParseTime("5:00.0"), 300000);
    // The fraction's digits are whole milliseconds, not tenths.
    EXPECT_EQ(ParseTime("0:01.5"), 1005);
    EXPECT_EQ(ParseTime("0:01.50"), 1050);
}

TEST(ParseTime, MissingPartsKeepTheirOwnUnits)
{
    // Without a point the seconds stay seconds.
    EXPECT_EQ(ParseTime("1:05"), 65);
    EXPECT_EQ(ParseTime("10.250"), 10250);
    EXPECT_EQ(ParseTime("42"), 42);
    EXPECT_EQ(ParseTime(""), 0);
    EXPECT_EQ(ParseTime("3:"), 180);
}

TEST(ParseTime, ASecondColonReplacesTheTotal)
{
    EXPECT_EQ(ParseTime("9:2:01.0"), (2 * 60 + 1) * 1000);
}

TEST(ParseTime, ComponentsThatAreNotNumbersCountAsZero)
{
    EXPECT_EQ(ParseTime("x:10.0"), 10000);
    EXPECT_EQ(ParseTime("1:ab.5"), 60 * 1000 + 5);
    // A number too large for 32 bits is not a number.
    EXPECT_EQ(ParseTime("99999999999.7"), 7);
}

// Counts its own calls and remembers the clock each update saw.
class Probe : public cSceneSystem
{
public:
    int updates = 0;
    int draws = 0;
    void Update() override { ++updates; }
    void Draw() override { ++draws; }
};

class SceneClock : public ::testing::Test
{
protected:
    void SetUp() override { cTimerSystem::Instance().Reset(); }
    // One frame as the owner runs it: update, tick after ms, draw.
    void Frame(Probe& scene, int ms)
    {
        scene.UpdateIfActive();
        clock.AdvanceMs(ms);
        cTimerSystem::Instance().Tick();
        scene.DrawIfActive();
    }
    testsupport::ScriptedClock clock;
};

TEST_F(SceneClock, AnchorsOnTheFirstFrameAndLagsOneFrameBehindTheTick)
{
    Probe scene;
    scene.SetStartTime("0:00.0");
    scene.SetEndTime("0:10.0");
    clock.AdvanceMs(777);
    cTimerSystem::Instance().Tick();
    Frame(scene, 20);
    EXPECT_EQ(scene.GetBase(), cTimerSystem::Instance().GetTime() - 20);
    EXPECT_EQ(scene.GetElapsed(), 0);
    // The first frame's delta is the 777 ms before the scene existed.
    EXPECT_EQ(scene.GetLocalTime(), 777);
    Frame(scene, 30);
    EXPECT_EQ(scene.GetElapsed(), 20);
    Frame(scene, 30);
    EXPECT_EQ(scene.GetElapsed(), 50);
    EXPECT_EQ(scene.updates, 3);
    EXPECT_EQ(scene.draws, 3);
}

TEST_F(SceneClock, BothEndsOfTheWindowAreInsideIt)
{
    Probe scene;
    scene.SetStartTime("0:00.100");
    scene.SetEndTime("0:00.200");
    Frame(scene, 100);
    EXPECT_EQ(scene.updates, 0) << "elapsed 0 lies before the window";
    Frame(scene, 100);
    EXPECT_EQ(scene.GetElapsed(), 100);
    EXPECT_EQ(scene.updates, 1);
    EXPECT_EQ(scene.draws, 1);
    EXPECT_FALSE(scene.IsFinished());
    Frame(scene, 1);
    EXPECT_EQ(scene.GetElapsed(), 200);
    EXPECT_TRUE(scene.IsFinished()) << "finished already at the end itself";
    EXPECT_EQ(scene.updates, 2) << "and that frame is still updated";
    EXPECT_EQ(scene.draws, 2) << "and drawn";
    Frame(scene, 1);
    EXPECT_EQ(scene.GetElapsed(), 201);
    EXPECT_EQ(scene.updates, 2);
    EXPECT_EQ(scene.draws, 2);
}

TEST_F(SceneClock, LocalTimeGrowsOnlyWhileActive)
{
    Probe scene;
    scene.SetStartTime("0:01.0");
    scene.SetEndTime("0:03.0");
    Frame(scene, 0);
    for (int i = 0; i < 10; ++i)
    {
        Frame(scene, 500);
    }
    // Active at elapsed 1000, 1500, ..., 3000: the deltas of those frames.
    EXPECT_EQ(scene.updates, 5);
    EXPECT_EQ(scene.GetLocalTime(), 5 * 500);
    EXPECT_TRUE(scene.IsFinished());
}

TEST_F(SceneClock, DrawBeforeAnyUpdateAnchorsTheScene)
{
    Probe scene;
    scene.SetStartTime("0:00.0");
    scene.SetEndTime("0:01.0");
    clock.AdvanceMs(40);
    cTimerSystem::Instance().Tick();
    const int anchor = cTimerSystem::Instance().GetTime();
    scene.DrawIfActive();
    EXPECT_EQ(scene.GetBase(), anchor);
    EXPECT_EQ(scene.GetElapsed(), 0);
    EXPECT_EQ(scene.draws, 1);
    clock.AdvanceMs(60);
    cTimerSystem::Instance().Tick();
    scene.DrawIfActive();
    EXPECT_EQ(scene.GetElapsed(), 0) << "only an update moves elapsed";
    scene.UpdateIfActive();
    EXPECT_EQ(scene.GetElapsed(), 60);
    EXPECT_EQ(scene.GetBase(), anchor);
}

TEST_F(SceneClock, ADisabledSceneKeepsTimeButNeitherUpdatesNorDraws)
{
    Probe scene;
    scene.SetStartTime("0:00.0");
    scene.SetEndTime("0:00.100");
    scene.SetDisabled(true);
    for (int i = 0; i < 6; ++i)
    {
        Frame(scene, 25);
    }
    EXPECT_EQ(scene.GetElapsed(), 125);
    EXPECT_EQ(scene.GetLocalTime(), 0);
    EXPECT_EQ(scene.updates + scene.draws, 0);
    EXPECT_TRUE(scene.IsFinished());
    scene.SetForceActive(true);
    Frame(scene, 25);
    EXPECT_EQ(scene.updates + scene.draws, 0) << "disabled wins over forced";
}

TEST_F(SceneClock, AForcedSceneRunsOutsideItsWindow)
{
    Probe scene;
    scene.SetStartTime("1:00.0");
    scene.SetEndTime("2:00.0");
    scene.SetForceActive(true);
    Frame(scene, 10);
    Frame(scene, 10);
    EXPECT_EQ(scene.updates, 2);
    EXPECT_EQ(scene.draws, 2);
    EXPECT_EQ(scene.GetLocalTime(), 10);
}

TEST_F(SceneClock, AStallMovesBothClocksByTheWholeGap)
{
    Probe scene;
    scene.SetStartTime("0:00.0");
    scene.SetEndTime("1:00.0");
    Frame(scene, 10);
    Frame(scene, 5000);
    Frame(scene, 10);
    EXPECT_EQ(scene.GetElapsed(), 5010);
    EXPECT_EQ(scene.GetLocalTime(), 5010);
}

TEST_F(SceneClock, NestedScenesShareTheAnchorFrame)
{
    // The director updates its child from inside its own update.
    struct Child : Probe
    {
    };
    struct Parent : Probe
    {
        Child* child = nullptr;
        void Update() override
        {
            Probe::Update();
            child->UpdateIfActive();
        }
        void Draw() override
        {
            Probe::Draw();
            child->DrawIfActive();
        }
    };
    Child child;
    child.SetStartTime("0:00.0");
    child.SetEndTime("0:00.050");
    Parent parent;
    parent.child = &child;
    parent.SetStartTime("0:00.0");
    parent.SetEndTime("0:01.0");
    for (int i = 0; i < 8; ++i)
    {
        Frame(parent, 20);
    }
    EXPECT_EQ(child.GetBase(), parent.GetBase());
    // Child active at elapsed 0, 20, 40; silent from 60 on.
    EXPECT_EQ(child.updates, 3);
    EXPECT_EQ(child.draws, 3);
    EXPECT_EQ(child.GetLocalTime(), 40);
    EXPECT_EQ(parent.GetElapsed(), 140);
}

} // namespace
