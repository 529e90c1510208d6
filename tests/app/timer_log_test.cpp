// The frame timer's millisecond arithmetic on a scripted counter, and the
// debug log's exact bytes.
#include "app/DebugSystem.h"
#include "log/ProblemLog.h"
#include "app/TimerSystem.h"
#include "platform/Counter.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using MivexGL::cDebugSystem;
using MivexGL::cTimerSystem;
using testsupport::ScriptedClock;

namespace
{

constexpr std::int64_t kPerMs = ScriptedClock::kFrequency / 1000;

TEST(FrameTimer, ResetTickAndPauses)
{
    ScriptedClock clock;
    cTimerSystem& timer = cTimerSystem::Instance();

    clock.Set(1234 * kPerMs + 999);
    timer.Reset();
    EXPECT_EQ(timer.GetFrameTime(), 0);
    EXPECT_EQ(timer.GetTime(), 1234) << "whole milliseconds, truncated";

    // The first tick measures from the reset.
    clock.AdvanceMs(16);
    timer.Tick();
    EXPECT_EQ(timer.GetTime(), 1250);
    EXPECT_EQ(timer.GetFrameTime(), 16);

    // Two samples within one millisecond.
    clock.AdvanceTicks(kPerMs / 3);
    timer.Tick();
    EXPECT_EQ(timer.GetFrameTime(), 0);

    // Reading samples nothing: the values stay until the next tick.
    clock.AdvanceMs(500);
    EXPECT_EQ(timer.GetTime(), 1250);
    EXPECT_EQ(timer.GetFrameTime(), 0);

    // A long pause (a minimised window) arrives whole in one frame time.
    clock.AdvanceMs(60000);
    timer.Tick();
    EXPECT_EQ(timer.GetFrameTime(), 60500);
}

TEST(FrameTimer, DifferencesSurviveThe32BitWrap)
{
    ScriptedClock clock;
    cTimerSystem& timer = cTimerSystem::Instance();
    // Just below 2^31 ms: the next samples wrap to negative 32-bit values.
    clock.Set((static_cast<std::int64_t>(1) << 31) * kPerMs - 5 * kPerMs);
    timer.Reset();
    clock.AdvanceMs(10);
    timer.Tick();
    EXPECT_EQ(timer.GetFrameTime(), 10);
    EXPECT_LT(timer.GetTime(), 0);
}

std::string TempPath(const std::string& name)
{
    return testsupport::MakeTempFolder("mivex-log") + "/" + name;
}

TEST(DebugLog, LinesAreNumberedTaggedAndEndInCrLf)
{
    const std::string path = TempPath("debug.log");
    {
        std::ofstream old(path, std::ios::binary);
        old << "stale content from an earlier run\r\n";
    }
    cDebugSystem& log = cDebugSystem::Instance();
    ASSERT_TRUE(log.Open(path));
    log.Write("cDemoScene", "Dette er ifra Init(void)");
    log.Write("cDemoScene()", 0);
    log.Write("cDemoScene()", -17);
    log.Write("cDemoScene()", 2147483647);

    const std::string expected = "[1](cDebugSystem) Opening " + path + "\r\n\r\n" +
                                 "[2](cDemoScene) Dette er ifra Init(void)\r\n"
                                 "[3](cDemoScene()) 0\r\n"
                                 "[4](cDemoScene()) -17\r\n"
                                 "[5](cDemoScene()) 2147483647\r\n";
    // Each line is flushed as written: the file is complete right now.
    EXPECT_EQ(testsupport::ReadFile(path), expected);

    // A path that cannot be opened: false, and lines are dropped while the
    // numbering goes on.
    EXPECT_FALSE(log.Open("/nonexistent-folder/debug.log"));
    log.Write("x", "lost");
    EXPECT_EQ(testsupport::ReadFile(path), expected) << "the old file is closed, not written";
    const std::string next = TempPath("again.log");
    ASSERT_TRUE(log.Open(next));
    EXPECT_EQ(testsupport::ReadFile(next).rfind("[8](cDebugSystem) Opening ", 0), 0u)
        << testsupport::ReadFile(next);
}

} // namespace

TEST(ProblemLog, AKeyedFailureIsSaidOnceUntilItChangesAndLeavesTheListWhenResolved)
{
    MivexGL::cProblemLog& log = MivexGL::cProblemLog::Instance();
    const std::uint64_t mark = log.Count();
    for (int retry = 0; retry < 5; ++retry)
    {
        log.ReportKeyed("sync:link", "sync: 127.0.0.1:1338: no editor");
    }
    EXPECT_EQ(log.Count() - mark, 1u);
    log.ReportKeyed("sync:link", "sync: 127.0.0.1:1338: dropped");
    log.Report("texture: other: unkeyed");
    EXPECT_EQ(log.Count() - mark, 3u);

    log.Resolve("sync:link");
    const std::vector<std::string> kept = log.Recent();
    for (const std::string& line : kept)
    {
        EXPECT_EQ(line.find("sync: 127.0.0.1"), std::string::npos) << line;
    }
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ(kept.back(), "texture: other: unkeyed");
    // Broken again after the fix: said again.
    log.ReportKeyed("sync:link", "sync: 127.0.0.1:1338: no editor");
    EXPECT_EQ(log.Count() - mark, 4u);
}
