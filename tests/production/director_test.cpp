// The director that declares its scenes once: from its list it loads the
// scenes (after its own loading, with its data pointer, their tracks taken
// first), opens each at its window, updates and draws them in list order,
// rewinds them, names them for the overlay; a scene without a readable
// window stops the program at start, naming the scene; the framework loads
// the music's spectrum for any director, into a cDirector's Bands(); and
// the spectrum its scenes read after a seek is the one a run played to that
// time gave them.
#include "production/Director.h"

#include "production/Production.h"

#include "app/TimerSystem.h"
#include "log/ProblemLog.h"
#include "production/ProductionControl.h"
#include "platform/GL.h"
#include "platform/OffscreenGL.h"
#include "render/ParticleEmitter.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace
{

using MivexGL::cDirector;
using MivexGL::cSceneSystem;

std::vector<std::string> calls;

// Says each of its hooks in the shared call list.
class cProbe : public cSceneSystem
{
public:
    explicit cProbe(std::string probeName) : name(std::move(probeName)) {}
    int Init() override
    {
        calls.push_back(name + ".init");
        dataAtInit = data;
        trackTakenFirst = MivexGL::cSyncSystem::Instance().Find("probe:level") != nullptr;
        return 0;
    }
    void Update() override { calls.push_back(name + ".update"); }
    void Draw() override { calls.push_back(name + ".draw"); }
    void Rewind() override
    {
        cSceneSystem::Rewind();
        calls.push_back(name + ".rewind");
    }

    std::string name;
    MivexGL::cResources* dataAtInit = nullptr;
    bool trackTakenFirst = false;
    MivexGL::cSyncSystem::cHandle level;
};

class cListDirector : public cDirector
{
public:
    cListDirector()
    {
        SetData(reinterpret_cast<MivexGL::cResources*>(this));
        Add("first", "0:00", "0:00.099", first).Track("probe:level", first.level);
        Add("second", "0:00.050", "0:01", second);
    }
    void Load() override { calls.push_back("load"); }

    cProbe first{"first"};
    cProbe second{"second"};
};

// One frame as the production runs it: update, tick after ms, draw.
void Frame(cSceneSystem& director, testsupport::ScriptedClock& clock, int ms)
{
    director.UpdateIfActive();
    clock.AdvanceMs(ms);
    MivexGL::cTimerSystem::Instance().Tick();
    director.DrawIfActive();
}

} // namespace

TEST(Director, RunsItsListInOrderWithinEachWindow)
{
    testsupport::ScriptedClock clock;
    MivexGL::cTimerSystem::Instance().Reset();
    calls.clear();
    cListDirector director;
    director.Init();
    director.SetWindow("0:00", "0:02");
    EXPECT_EQ(calls, (std::vector<std::string>{"load", "first.init", "second.init"}));
    EXPECT_EQ(director.first.dataAtInit, director.GetData());
    EXPECT_TRUE(director.first.trackTakenFirst);
    EXPECT_EQ(director.second.GetStartTime(), 50);
    EXPECT_EQ(director.second.GetEndTime(), 1000);

    const std::vector<MivexGL::cNamedScene> named = director.GetScenes();
    ASSERT_EQ(named.size(), 2u);
    EXPECT_EQ(named[1].name, "second");
    EXPECT_EQ(named[1].scene, &director.second);

    // Frames at 0, 60 and 120 ms: both open at 60, only the second at 120.
    calls.clear();
    for (int i = 0; i < 3; ++i)
    {
        Frame(director, clock, 60);
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"first.update", "first.draw", "first.update",
                                               "second.update", "first.draw", "second.draw",
                                               "second.update", "second.draw"}));

    calls.clear();
    director.Rewind();
    EXPECT_EQ(calls, (std::vector<std::string>{"first.rewind", "second.rewind"}));
    EXPECT_FALSE(director.HasStarted());
}

TEST(DirectorDeathTest, AWindowThatDoesNotReadStopsTheStartNamingTheScene)
{
    struct cBadWindow : cDirector
    {
        cBadWindow(const char* start, const char* end)
        {
            Add("intro", "0:00", "0:09.999", intro);
            Add("garden", start, end, garden);
        }
        cSceneSystem intro;
        cSceneSystem garden;
    };
    EXPECT_EXIT(cBadWindow("", "").Init(), ::testing::ExitedWithCode(2), "scene: garden: ");
    EXPECT_EXIT(cBadWindow("0:15:00", "0:20").Init(), ::testing::ExitedWithCode(2),
                "scene: garden: .*0:15:00");
    EXPECT_EXIT(cBadWindow("0:20", "0:15").Init(), ::testing::ExitedWithCode(2),
                "scene: garden: .*ends before it starts");
    EXPECT_EQ(cBadWindow("0:10", "0:19.999").WindowRefusal(), "");
}

namespace
{

constexpr int kToneBin = 20;

// Keeps a level that jumps up with the tone's bin and eases down between:
// state built from the bands, frame by frame.
class cEasedBar : public cSceneSystem
{
public:
    explicit cEasedBar(const cDirector& owner) : director(owner) {}
    void Update() override { level = std::max(director.Bands().Bin(kToneBin), level * 0.9f); }
    void Rewind() override
    {
        cSceneSystem::Rewind();
        level = 0.0f;
    }
    const cDirector& director;
    float level = 0.0f;
};

class cBandsDirector : public cDirector
{
public:
    cBandsDirector()
    {
        Add("bar", "0:00", "0:09.999", bar);
        // A tone every other quarter second, for three seconds.
        std::vector<float> samples(3 * 44100, 0.0f);
        const double hz = static_cast<double>(kToneBin) * 44100 / MivexGL::cSoundBands::kWindow;
        for (std::size_t i = 0; i < samples.size(); ++i)
        {
            if (i / 11025 % 2 == 1)
            {
                samples[i] = 0.5f * static_cast<float>(std::sin(2.0 * 3.14159265358979 * hz *
                                                                static_cast<double>(i) / 44100));
            }
        }
        Bands().SetSamples(std::move(samples));
    }
    cEasedBar bar{*this};
};

struct cBandsSeen
{
    std::int32_t now = 0;
    float bin = 0.0f;
    float level = 0.0f;
};

// Brings a fresh director to ms by playing frames at 60 per second, or by a
// seek (and a pause on the way); then the frame at ms updates.
cBandsSeen BandsAt(std::int32_t ms, bool seek)
{
    testsupport::ScriptedClock clock;
    MivexGL::cTimerSystem& timer = MivexGL::cTimerSystem::Instance();
    timer.Reset();
    cBandsDirector director;
    director.Init();
    director.SetWindow("0:00", "0:10");
    MivexGL::cMusicSystem silent;
    MivexGL::cProductionControl control;
    control.Bind(director, silent, 10000, true);
    control.SetDevMode(true);
    if (seek)
    {
        Frame(director, clock, 16);
        control.SeekTo(400);
        control.TogglePause();
        for (int i = 0; i < 5; ++i)
        {
            Frame(director, clock, 16);
        }
        control.TogglePause();
        control.SeekTo(ms);
    }
    else
    {
        for (std::int64_t k = 0; (k * 1000 + 30) / 60 < ms; ++k)
        {
            director.UpdateIfActive();
            const std::int32_t next = static_cast<std::int32_t>(((k + 1) * 1000 + 30) / 60);
            clock.AdvanceMs(std::min(next, ms) - static_cast<std::int32_t>((k * 1000 + 30) / 60));
            timer.Tick();
        }
    }
    director.UpdateIfActive();
    return {director.GetElapsed(), director.Bands().Bin(kToneBin), director.bar.level};
}

} // namespace

TEST(Director, TheBandsAfterASeekAreThoseOfARunPlayedToThatTime)
{
    for (const std::int32_t ms : {520, 1300, 2260})
    {
        const cBandsSeen played = BandsAt(ms, false);
        const cBandsSeen sought = BandsAt(ms, true);
        ASSERT_EQ(played.now, ms);
        ASSERT_EQ(sought.now, ms);
        EXPECT_EQ(sought.bin, played.bin) << ms;
        EXPECT_EQ(sought.level, played.level) << ms;
        EXPECT_GT(played.level, 0.05f) << ms;
    }
}

namespace
{

// The spectrum the framework gives the overlay.
template <class D> class cShownBands : public MivexGL::cProductionOf<D>
{
public:
    cShownBands()
        : MivexGL::cProductionOf<D>({"bands", "Bands", 5000, "data", "data/General/music.mp3"})
    {
    }
    const MivexGL::cSoundBands& Shown() { return this->Spectrum(); }
};

template <class App> bool BandsHeard(App& app)
{
    app.Start();
    const MivexGL::cSoundBands& shown = app.Shown();
    MivexGL::cSoundBands probe = shown;
    probe.At(2000);
    return shown.IsLoaded() && probe.Band(0, MivexGL::cSoundBands::kBins - 1) > 0.0f;
}

} // namespace

TEST(Director, TheFrameworkLoadsTheMusicsBandsForAnyDirector)
{
    cShownBands<cSceneSystem> plain;
    EXPECT_TRUE(BandsHeard(plain));
    cShownBands<cListDirector> listed;
    EXPECT_TRUE(BandsHeard(listed));
    EXPECT_EQ(&listed.Shown(), &listed.GetDirector().Bands());
}

namespace
{

// Two scenes that meet at 10 s, as a maker writes them.
class cMeetingDirector : public cDirector
{
public:
    cMeetingDirector()
    {
        Add("a", "0:00", "0:10", a);
        Add("b", "0:10", "0:20", b);
        // Written the older way: its last millisecond is its own.
        Add("c", "0:20", "0:29.999", c);
    }
    cProbe a{"a"};
    cProbe b{"b"};
    cProbe c{"c"};
};

} // namespace

TEST(Director, WindowsThatMeetHandTheirLastMillisecondOnToTheNextScene)
{
    testsupport::ScriptedClock clock;
    MivexGL::cTimerSystem::Instance().Reset();
    cMeetingDirector director;
    director.Init();
    director.SetWindow("0:00", "0:30");
    for (const int step : {9999, 1})
    {
        calls.clear();
        Frame(director, clock, step);
    }
    // The frame updated at 9,999 ms closed a's window; the next at 10,000 ms.
    calls.clear();
    Frame(director, clock, 0);
    EXPECT_EQ(director.GetElapsed(), 10000);
    EXPECT_EQ(calls, (std::vector<std::string>{"b.update", "b.draw"}));
    EXPECT_TRUE(director.a.IsFinished());

    Frame(director, clock, 19999);
    calls.clear();
    Frame(director, clock, 0);
    EXPECT_EQ(director.GetElapsed(), 29999);
    EXPECT_EQ(calls, (std::vector<std::string>{"c.update", "c.draw"}));
}

namespace
{

// A fountain scene that keeps its time and particles from the window alone.
class cFountainScene : public MivexGL::cScene
{
public:
    void Load() override
    {
        sparks.SetCount(40);
        sparks.SetSpread(0.8f);
        sparks.SetLifetime(0.5f, 1.5f);
    }
    void Update() override
    {
        seconds = Seconds();
        sparks.Update(WindowMs());
        heard = &Bands();
    }
    void Rewind() override
    {
        cSceneSystem::Rewind();
        seconds = -1.0f;
    }
    MivexGL::cParticleEmitter sparks;
    float seconds = -1.0f;
    const MivexGL::cSoundBands* heard = nullptr;
};

class cFountainDirector : public cDirector
{
public:
    cFountainDirector() { Add("fountain", "0:02", "0:20", fountain); }
    cFountainScene fountain;
};

struct cFountainSeen
{
    float seconds = 0.0f;
    std::int64_t steps = 0;
    std::vector<float> heights;
    bool heardDirector = false;
};

// Brings a fresh director to 10 s at fps frames a second, or by a seek to
// 9 s and then frames of one second; the frame at 10 s updates.
cFountainSeen FountainAtTen(int fps, bool seek)
{
    testsupport::ScriptedClock clock;
    MivexGL::cTimerSystem& timer = MivexGL::cTimerSystem::Instance();
    timer.Reset();
    cFountainDirector director;
    director.Init();
    director.SetWindow("0:00", "0:30");
    MivexGL::cMusicSystem silent;
    MivexGL::cProductionControl control;
    control.Bind(director, silent, 30000, true);
    std::int64_t now = 0;
    if (seek)
    {
        Frame(director, clock, 1000 / fps);
        control.SeekTo(9000);
        now = 9000;
        fps = 1;
    }
    while (now < 10000)
    {
        director.UpdateIfActive();
        const std::int64_t next = std::min<std::int64_t>(10000, now + 1000 / fps);
        clock.AdvanceMs(next - now);
        timer.Tick();
        now = next;
    }
    director.UpdateIfActive();
    cFountainSeen seen;
    seen.seconds = director.fountain.seconds;
    seen.steps = director.fountain.sparks.GetSteps();
    for (int i = 0; i < director.fountain.sparks.GetCount(); ++i)
    {
        seen.heights.push_back(director.fountain.sparks.GetParticle(i).position.y);
    }
    seen.heardDirector = director.fountain.heard == &director.Bands();
    return seen;
}

} // namespace

TEST(Director, AScenesTimeAndFountainAtTenSecondsAreTheSameAtAnyRateAndAfterASeek)
{
    const cFountainSeen at60 = FountainAtTen(60, false);
    const cFountainSeen at30 = FountainAtTen(30, false);
    const cFountainSeen sought = FountainAtTen(60, true);
    // The window opened at 2 s.
    EXPECT_EQ(at60.seconds, 8.0f);
    EXPECT_EQ(at60.steps, 8 * 60);
    EXPECT_TRUE(at60.heardDirector);
    for (const cFountainSeen* other : {&at30, &sought})
    {
        EXPECT_EQ(other->seconds, at60.seconds);
        EXPECT_EQ(other->steps, at60.steps);
        EXPECT_EQ(other->heights, at60.heights);
    }
}

TEST(Director, ASceneDeclaredTwiceOrANameGivenTwiceIsNamed)
{
    struct cTwice : cDirector
    {
        cTwice()
        {
            Add("intro", "0:00", "0:10", intro);
            Add("intro", "0:10", "0:20", outro);
            Add("again", "0:20", "0:30", intro);
        }
        cSceneSystem intro;
        cSceneSystem outro;
    };
    const std::vector<std::string> problems = cTwice().DeclarationProblems();
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("scene: intro: two scenes have this name"), std::string::npos);
    EXPECT_NE(problems[1].find("scene: again: the scene declared as \"intro\""), std::string::npos);
    EXPECT_TRUE(cMeetingDirector().DeclarationProblems().empty());
}

TEST(Director, AHandleReadWithoutATrackIsNamed)
{
    cListDirector director;
    director.Init();
    const auto said = []
    {
        const std::vector<std::string> recent = MivexGL::cProblemLog::Instance().Recent();
        return std::count_if(recent.begin(), recent.end(),
                             [](const std::string& line)
                             { return line.rfind("sync: a track handle is read that", 0) == 0; });
    };
    // Given on its entry: silent.
    EXPECT_EQ(director.first.level.Value(), 0.0f);
    EXPECT_EQ(said(), 0);
    // Forgotten: said once, however often it is read.
    EXPECT_EQ(director.second.level.Value(), 0.0f);
    EXPECT_EQ(director.second.level.At(500), 0.0f);
    EXPECT_EQ(said(), 1);
}

namespace
{

// Says what it found and leaves blending on, as a careless scene might.
class cStateScene : public MivexGL::cScene
{
public:
    void Draw() override
    {
        texturing = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
        depth = glIsEnabled(GL_DEPTH_TEST) == GL_TRUE;
        glEnable(GL_BLEND);
        glTranslatef(1.0f, 2.0f, 3.0f);
    }
    bool texturing = true;
    bool depth = false;
};

class cStateDirector : public cDirector
{
public:
    cStateDirector()
    {
        Add("careless", "0:00", "0:10", careless);
        Add("described", "0:00", "0:10", described);
    }
    cStateScene careless;
    cProbe described{"described"};
};

} // namespace

TEST(Director, ASceneDrawsFromAPlainStateThatIsPutBackAfterIt)
{
    platform::OffscreenGL gl;
    ASSERT_TRUE(gl.Create(32, 32));
    testsupport::ScriptedClock clock;
    MivexGL::cTimerSystem::Instance().Reset();
    cStateDirector director;
    director.Init();
    director.SetWindow("0:00", "0:10");
    // As LoadTexture leaves it.
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    Frame(director, clock, 16);
    EXPECT_FALSE(director.careless.texturing);
    EXPECT_TRUE(director.careless.depth);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    GLfloat matrix[16] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
    EXPECT_EQ(matrix[12], 0.0f);
}
