// The scene framework on a scripted clock: time texts, anchoring, inclusive
// windows, the scene's own clock, and the disabled and forced flags; the
// strict time form, and --dev naming a window the two forms read apart.
#include "log/ProblemLog.h"
#include "app/TimerSystem.h"
#include "demo/SceneSystem.h"
#include "production/Production.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using MivexGL::cProblemLog;
using MivexGL::cSceneSystem;
using MivexGL::cTimerSystem;
using MivexGL::ParseStrictTime;
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
    EXPECT_EQ(ParseTime("0:15.5"), 15005);
}

TEST(ParseTime, MissingPartsKeepTheirOwnUnits)
{
    // Without a point the seconds stay seconds.
    EXPECT_EQ(ParseTime("1:05"), 65);
    EXPECT_EQ(ParseTime("0:15"), 15);
    EXPECT_EQ(ParseTime("1:30"), 90);
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

TEST(ParseStrictTime, ReadsMinutesSecondsAsAReaderMeansThem)
{
    const std::pair<const char*, std::int32_t> cases[] = {
        {"1:30", 90000}, {"0:15.5", 15500}, {"2:10.0", 130000},  {"0:19.999", 19999},
        {"0:00", 0},     {"0:01.05", 1050}, {"125:00", 7500000}, {"35791:23.647", 2147483647},
    };
    for (const auto& [text, expected] : cases)
    {
        std::int32_t ms = -1;
        std::string error;
        EXPECT_TRUE(ParseStrictTime(text, ms, error)) << text << ": " << error;
        EXPECT_EQ(ms, expected) << text;
    }
}

TEST(ParseStrictTime, RefusesWhatItCannotReadNamingTheText)
{
    for (const char* text : {"1:3x", "", "1:75", "35791:23.648", "99999999999:00", "1:5", "90",
                             "1:30.", "1:30.1234", "-1:00", " 1:30", "1:30 ", ":30", "1:30:00"})
    {
        std::int32_t ms = 7;
        std::string error;
        EXPECT_FALSE(ParseStrictTime(text, ms, error)) << text;
        EXPECT_EQ(ms, 7) << text;
        EXPECT_NE(error.find("\"" + std::string(text) + "\""), std::string::npos) << error;
    }
}

// Lines said since mark, oldest first.
std::vector<std::string> ProblemsSince(std::uint64_t mark)
{
    const std::vector<std::string> recent = cProblemLog::Instance().Recent();
    const std::size_t fresh =
        std::min<std::size_t>(cProblemLog::Instance().Count() - mark, recent.size());
    return {recent.end() - static_cast<std::ptrdiff_t>(fresh), recent.end()};
}

TEST(SceneWindow, ARefusedTextIsSaidOnceAndLeavesTheWindow)
{
    cSceneSystem scene;
    ASSERT_TRUE(scene.SetWindow("0:15", "1:30.5"));
    EXPECT_EQ(scene.GetStartTime(), 15000);
    EXPECT_EQ(scene.GetEndTime(), 90500);
    for (const auto& [start, end, named] :
         {std::tuple{"0:20", "1:3x", "\"1:3x\""}, std::tuple{"0:40", "0:20", "\"0:20\""}})
    {
        const std::uint64_t mark = cProblemLog::Instance().Count();
        EXPECT_FALSE(scene.SetWindow(start, end));
        const std::vector<std::string> lines = ProblemsSince(mark);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].rfind("scene: ", 0), 0u) << lines[0];
        EXPECT_NE(lines[0].find(named), std::string::npos) << lines[0];
        EXPECT_EQ(scene.GetStartTime(), 15000);
        EXPECT_EQ(scene.GetEndTime(), 90500);
    }
}

class cTwoPartDirector : public cSceneSystem
{
public:
    int Init() override
    {
        written.SetStartTime("0:15");
        written.SetEndTime("0:30.0");
        agreeing.SetStartTime("0:30.0");
        agreeing.SetEndTime("0:59.999");
        strict.SetWindow("1:00", "1:30");
        return 0;
    }
    std::vector<MivexGL::cNamedScene> GetScenes() const
    {
        return {{"written", &written}, {"agreeing", &agreeing}, {"strict", &strict}};
    }
    cSceneSystem written;
    cSceneSystem agreeing;
    cSceneSystem strict;
};

// Only --dev checks, and only the scene whose texts read apart is named.
TEST(SceneWindow, DevNamesASceneWhoseWindowReadsDifferentlyInMinutesSeconds)
{
    // Start resets the process's timer: built on the scripted counter, as the
    // clock tests after this one expect, and not on the system's.
    testsupport::ScriptedClock clock;
    const MivexGL::cProductionInfo info{"windows", "Windows", 120000, "data", ""};
    for (const bool dev : {false, true})
    {
        MivexGL::cProductionOf<cTwoPartDirector> app(info);
        app.SetDevMode(dev);
        const std::uint64_t mark = cProblemLog::Instance().Count();
        app.Start();
        const std::vector<std::string> lines = ProblemsSince(mark);
        if (!dev)
        {
            EXPECT_TRUE(lines.empty());
            continue;
        }
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].rfind("scene: written: ", 0), 0u) << lines[0];
        EXPECT_NE(lines[0].find("\"0:15\""), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find("15000"), std::string::npos) << lines[0];
    }
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
