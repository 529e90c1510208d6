// F1 re-creates the display in the middle of the slideshow: the frames after
// the switch still show the scheduled slides, flash and all, in both
// directions of the switch.
#include "DemoHarness.h"

#include "demo/Resources.h"
#include "demo/SollanScene.h"
#include "platform/GL.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace demotest;
using MivexGL::cResources;
using MivexGL::cSollanScene;

namespace
{

int ScheduledPicture(std::int32_t t)
{
    return cSollanScene::kSchedule[cSollanScene::SlideAt(t)].texture;
}

class DisplaySwitch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.Path().empty());
        app.times = {0, 100, 500, 1500, 2000, 2500, 3500, 5000, 10000, 20500, 21500, 40000};
    }
    void PressF1After(std::vector<std::int32_t> when)
    {
        app.afterDraw = [when](ScriptedTarnel& a, int index)
        {
            for (std::int32_t t : when)
            {
                if (a.frames[index].elapsed == t)
                {
                    a.SetKey(platform::VK_F1, true);
                }
            }
        };
    }
    void ExpectScheduleFrom(std::int32_t from)
    {
        int checked = 0;
        for (const auto& f : app.frames)
        {
            if (f.elapsed < from)
            {
                continue;
            }
            const Match match = NearestSlide(f.grid);
            EXPECT_EQ(match.index, ScheduledPicture(f.elapsed)) << "at " << f.elapsed;
            EXPECT_LT(match.distance, 12.0f) << "at " << f.elapsed;
            ++checked;
        }
        EXPECT_GE(checked, 5);
    }

    // Fullscreen may be refused; the demo then goes windowed.
    testsupport::BoxRecorder boxes{platform::IDYES};
    WorkingFolder folder{true};
    testsupport::ScriptedClock clock;
    ScriptedTarnel app{clock};
};

TEST_F(DisplaySwitch, SlidesKeepShowingAfterF1)
{
    PressF1After({2000});
    EXPECT_EQ(RunLikeTheEntry(app), 0);
    ASSERT_EQ(app.frames.size(), app.times.size());
    EXPECT_FALSE(app.IsFullscreen()) << "F1 switched to a window";
    ExpectScheduleFrom(2500);
}

TEST_F(DisplaySwitch, SlidesKeepShowingAfterSwitchingTwice)
{
    PressF1After({1500, 3500});
    EXPECT_EQ(RunLikeTheEntry(app), 0);
    ASSERT_EQ(app.frames.size(), app.times.size());
    EXPECT_TRUE(app.IsFullscreen());
    ExpectScheduleFrom(2000);
}

TEST_F(DisplaySwitch, ATargetThatDidNotComeAlongIsMadeAgain)
{
    // Some drivers keep framebuffer objects per context: stand in for one by
    // deleting the intro's target just before the switch.
    GLint depthAttachment = -1;
    app.afterDraw = [&depthAttachment](ScriptedTarnel& a, int index)
    {
        const GLuint framebuffer = a.GetDirector().GetIntro().GetTarget().GetFramebuffer();
        if (a.frames[index].elapsed == 2000)
        {
            glDeleteFramebuffersEXT(1, &framebuffer);
            a.SetKey(platform::VK_F1, true);
        }
        if (a.frames[index].elapsed == 5000)
        {
            // The whole target, depth buffer included, not just a name bound
            // anew with the colour texture on it.
            glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
            glGetFramebufferAttachmentParameterivEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT,
                                                     GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_EXT,
                                                     &depthAttachment);
            glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
        }
    };
    EXPECT_EQ(RunLikeTheEntry(app), 0);
    ASSERT_EQ(app.frames.size(), app.times.size());
    ExpectScheduleFrom(2500);
    EXPECT_EQ(depthAttachment, GL_RENDERBUFFER_EXT);
}

TEST_F(DisplaySwitch, AWideWindowKeepsTheProjectionItWasMadeWith)
{
    // The re-created display loads a projection for its own aspect; the
    // intro must not put its 4:3 one back over it, or the slides stretch.
    GLdouble projection[16] = {};
    app.afterDraw = [&projection](ScriptedTarnel& a, int index)
    {
        if (a.frames[index].elapsed == 2000)
        {
            a.SetSize(1280, 720);
            a.SetKey(platform::VK_F1, true);
        }
        if (a.frames[index].elapsed == 5000)
        {
            glGetDoublev(GL_PROJECTION_MATRIX, projection);
        }
    };
    EXPECT_EQ(RunLikeTheEntry(app), 0);
    ASSERT_EQ(app.frames.size(), app.times.size());
    ASSERT_EQ(app.GetWidth(), 1280);
    EXPECT_NEAR(projection[5] / projection[0], 1280.0 / 720.0, 1e-6);
    // At 16:9 the 4:3 slide leaves a black band at each side, a little
    // wider than one grid column; in between it still shows.
    for (const auto& f : app.frames)
    {
        if (f.elapsed < 2500)
        {
            continue;
        }
        float brightestEdge = 0.0f;
        for (int y = 0; y < kGridY; ++y)
        {
            for (int c = 0; c < 3; ++c)
            {
                brightestEdge =
                    std::max({brightestEdge, f.grid.Cell(0, y)[c], f.grid.Cell(kGridX - 1, y)[c]});
            }
        }
        EXPECT_LT(brightestEdge, 2.0f) << "at " << f.elapsed;
        EXPECT_GT(f.grid.CentralMean(), 10.0f) << "at " << f.elapsed;
    }
}

TEST_F(DisplaySwitch, TheFlashSurvivesASwitchDuringIt)
{
    app.times = {0, 50, 100, 150, 200, 210};
    PressF1After({50});
    EXPECT_EQ(RunLikeTheEntry(app), 0);
    const Picture slide = ManifestPicture(cResources::kTitleFirst);
    const Picture flash = ManifestPicture(cResources::kSpecular);
    const Grid mirrored = QuadGrid(slide, SlideVisibleX(), SlideVisibleY(), &flash, true);
    for (const auto& f : app.frames)
    {
        if (f.elapsed >= 100 && f.elapsed <= 200)
        {
            EXPECT_LT(Distance(f.grid, mirrored), 12.0f) << f.elapsed;
        }
    }
}

} // namespace
