// Whole runs seen from outside: the debug log byte for byte, a data folder
// without a single file, and a driver below OpenGL 2.1 (the real binary as
// a child process).
#include "DemoHarness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

using namespace demotest;

namespace
{

TEST(DemoLog, OneLineFromLoadingAndOnePerDrawnFrame)
{
    WorkingFolder folder(true);
    ASSERT_FALSE(folder.Path().empty());
    testsupport::ScriptedClock clock;
    ScriptedTarnel app(clock);
    app.times = {0, 16, 33, 50, 1234};
    EXPECT_EQ(RunLikeTheEntry(app), 0);
    ASSERT_EQ(app.frames.size(), 5u);
    const std::string expected = "[1](cDebugSystem) Opening debug.log\r\n"
                                 "\r\n"
                                 "[2](cDemoScene) Dette er ifra Init(void)\r\n"
                                 "[3](cDemoScene()) 0\r\n"
                                 "[4](cDemoScene()) 16\r\n"
                                 "[5](cDemoScene()) 33\r\n"
                                 "[6](cDemoScene()) 50\r\n"
                                 "[7](cDemoScene()) 1234\r\n";
    // The Escape pass that ends the run draws nothing and logs nothing.
    EXPECT_EQ(testsupport::ReadFile(folder.Path() + "/debug.log"), expected);
}

TEST(DemoWithoutData, TheWholeTimelineRunsOnWhiteQuadsInSilence)
{
    WorkingFolder folder(false);
    ASSERT_FALSE(folder.Path().empty());
    testsupport::BoxRecorder boxes(platform::IDYES);
    testsupport::ScriptedClock clock;
    ScriptedTarnel app(clock);
    app.times = {0, 100, 500, 5000, 60000, 129999, 130000, 130001, 200000, 300000};
    EXPECT_EQ(RunLikeTheEntry(app), 0);
    EXPECT_EQ(app.loadingCalls, 1);
    EXPECT_GT(app.loadingGrid.CentralMean(), 250.0f) << "a white loading quad";
    EXPECT_EQ(app.GetLoadingMusic().GetStream(), 0u);
    EXPECT_EQ(app.GetDirector().GetResources().GetMusic().GetStream(), 0u);
    ASSERT_EQ(app.frames.size(), app.times.size());
    for (const auto& f : app.frames)
    {
        if (f.elapsed <= 130000)
        {
            EXPECT_GT(f.grid.CentralMean(), 250.0f) << "white at " << f.elapsed;
        }
        else
        {
            EXPECT_LT(f.grid.CentralMean(), 1.0f) << "black at " << f.elapsed;
        }
    }
    EXPECT_FALSE(app.frames.back().drawResult);
    // Only a refused fullscreen mode may ask anything; missing files never do.
    for (const auto& call : boxes.Calls())
    {
        EXPECT_EQ(call.caption, "Pelorin GL") << call.text;
    }
}

TEST(DemoWithoutGL21, TheRealProgramSaysSoAndExitsWithOne)
{
    WorkingFolder folder(true);
    ASSERT_FALSE(folder.Path().empty());
    const std::string binary = std::string(MIVEX_BINARY_DIR) + "/sollan";
    const std::string command = "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "
                                "MESA_GL_VERSION_OVERRIDE=2.0 timeout 120 '" +
                                binary + "' >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string err = testsupport::ReadFile(folder.Path() + "/err.txt");
    // Caption and text, not the framework's default message under the title.
    EXPECT_NE(err.find("OpenGL 2.1 not supported: OpenGL 2.1 not supported.. lol"),
              std::string::npos)
        << err;
    // It ended in the loading frame: the log holds the opening line only.
    EXPECT_EQ(testsupport::ReadFile(folder.Path() + "/debug.log"),
              "[1](cDebugSystem) Opening debug.log\r\n\r\n");
}

} // namespace
