// The frame loop's order and its ways to end, driven by injected messages and
// a scripted counter; keys tapped between frames; and GL objects that survive
// an F1 display switch.
#include "app/TimerSystem.h"
#include "app/WindowsSystem.h"
#include "platform/Display.h"
#include "platform/GL.h"
#include "platform/Messages.h"
#include "platform/TestSeams.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

using namespace platform;
using MivexGL::cTimerSystem;
using MivexGL::cWindowsSystem;

namespace
{

// Records the hooks with the timer values each one saw.
class ScriptedApp : public cWindowsSystem
{
public:
    std::vector<std::string> calls;
    int framesToDraw = 3;
    int frameMs = 20;
    testsupport::ScriptedClock* clock = nullptr;

    bool Update() override
    {
        calls.push_back("Update " + std::to_string(cTimerSystem::Instance().GetFrameTime()));
        clock->AdvanceMs(frameMs);
        return true;
    }
    bool Draw() override
    {
        calls.push_back("Draw " + std::to_string(cTimerSystem::Instance().GetFrameTime()));
        return --framesToDraw > 0;
    }
    int Frames() const
    {
        int n = 0;
        for (const auto& c : calls)
        {
            n += c.rfind("Draw", 0) == 0 ? 1 : 0;
        }
        return n;
    }
};

class FrameLoop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app.clock = &clock;
        app.SetFullscreen(false);
        app.SetAntiAliasing(false);
        cWindowsSystem::SetMessageTarget(&app);
        ASSERT_TRUE(app.CreateDisplay());
        FlushMessages();
        cTimerSystem::Instance().Reset();
    }
    void TearDown() override
    {
        SetIdleHook(nullptr, nullptr);
        app.DestroyDisplay();
        cWindowsSystem::SetMessageTarget(nullptr);
        FlushMessages();
    }
    void Post(UINT message, WPARAM wParam, LPARAM lParam = 0)
    {
        PostMessageW(app.GetWindowHandle(), message, wParam, lParam);
    }
    testsupport::ScriptedClock clock;
    ScriptedApp app;
};

TEST_F(FrameLoop, UpdateSeesThePreviousTickAndDrawTheCurrent)
{
    app.framesToDraw = 3;
    EXPECT_EQ(app.MainLoop(), 0);
    EXPECT_EQ(app.calls, (std::vector<std::string>{"Update 0", "Draw 20", "Update 20", "Draw 20",
                                                   "Update 20", "Draw 20"}))
        << "the frame whose Draw returned false was still drawn";
}

TEST_F(FrameLoop, EscapeHeldWhenTheQueueRunsEmptyEndsBeforeAnyFrame)
{
    Post(WM_KEYDOWN, VK_ESCAPE);
    app.MainLoop();
    EXPECT_EQ(app.Frames(), 0);
}

// A tap whose press and release both wait in the queue when the loop looks
// (a slow frame, or the start) still counts: the key is up again, but the
// press was made.
TEST_F(FrameLoop, EscapeTappedMeanwhileEndsBeforeAnyFrame)
{
    Post(WM_KEYDOWN, VK_ESCAPE);
    Post(WM_KEYUP, VK_ESCAPE);
    app.framesToDraw = 2;
    app.MainLoop();
    EXPECT_EQ(app.Frames(), 0);
    EXPECT_FALSE(app.IsKeyDown(VK_ESCAPE));
}

TEST_F(FrameLoop, ClosingTheWindowQuitsWithCodeZero)
{
    Post(WM_CLOSE, 0);
    app.framesToDraw = 100;
    EXPECT_EQ(app.MainLoop(), 0);
    EXPECT_EQ(app.Frames(), 0);
}

TEST_F(FrameLoop, TheFrameWhoseDrawEndsTheLoopIsStillPresented)
{
    app.framesToDraw = 3;
    app.MainLoop();
    EXPECT_EQ(app.Frames(), 3);
    EXPECT_EQ(PresentedFrames(app.GetWindowHandle()), 3);
}

// F1 whose new display cannot be made: the loop ends with 0, the half-made
// display is gone, and Run tears down once more after it.
class FailingSwitchApp : public cWindowsSystem
{
public:
    bool Start() override { return true; }
    bool Draw() override
    {
        SetDisplayFault(DisplayStep::CreateContext, true);
        SetKey(VK_F1, true);
        return true;
    }
};

TEST(DisplaySwitch, AFailedRecreationEndsTheLoopAndRunTearsDown)
{
    testsupport::BoxRecorder boxes(IDOK);
    FailingSwitchApp app;
    app.SetFullscreen(false);
    app.SetAntiAliasing(false);
    app.SetSetupDialog(false);
    cWindowsSystem::SetMessageTarget(&app);
    EXPECT_EQ(app.Run(), 0);
    ClearDisplayFaults();
    cWindowsSystem::SetMessageTarget(nullptr);
    EXPECT_EQ(app.GetWindowHandle(), nullptr);
    // Run's teardown unregisters the class once more, and says it could not.
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Can't Create A GL Rendering Context.",
                                                       "Could Not Unregister Class."}));
    // The class went with the display, so the next one can be made.
    ASSERT_TRUE(app.CreateDisplay());
    app.DestroyDisplay();
}

TEST_F(FrameLoop, QuitCodeComesFromTheQuitMessage)
{
    PostQuitMessage(7);
    EXPECT_EQ(app.MainLoop(), 7);
}

struct PauseScript
{
    HWND window;
    testsupport::ScriptedClock* clock;
    int idlePasses = 0;
};

TEST_F(FrameLoop, AMinimisedWindowNeitherDrawsNorTicks)
{
    PauseScript script{app.GetWindowHandle(), &clock};
    // While minimised the loop spins idle; after a few idle passes, five
    // seconds go by and the window comes back.
    app.framesToDraw = 3;
    Post(WM_ACTIVATE, WA_INACTIVE | (1u << 16));
    SetIdleHook(
        [](void* context)
        {
            auto* s = static_cast<PauseScript*>(context);
            if (++s->idlePasses == 3)
            {
                s->clock->AdvanceMs(5000);
                PostMessageW(s->window, WM_ACTIVATE, WA_ACTIVE, 0);
            }
        },
        &script);
    app.MainLoop();
    ASSERT_GE(script.idlePasses, 3);
    // The first frame after the pause spans it: 5000 ms plus its own 20.
    EXPECT_EQ(app.calls, (std::vector<std::string>{"Update 0", "Draw 5020", "Update 5020",
                                                   "Draw 20", "Update 20", "Draw 20"}));
}

// Draws a few frames, pressing F1 after the first; checks in every frame that
// a texture made before the switch is still there with its texels.
class SwitchingApp : public cWindowsSystem
{
public:
    GLuint texture = 0;
    int frame = 0;
    std::vector<bool> textureAlive;
    std::vector<unsigned> texel;

    bool Draw() override
    {
        textureAlive.push_back(glIsTexture(texture) == GL_TRUE);
        unsigned char pixel[4] = {};
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        texel.push_back(static_cast<unsigned>(pixel[0]) << 16 | pixel[1] << 8 | pixel[2]);
        if (++frame == 1)
        {
            SetKey(VK_F1, true);
        }
        return frame < 3;
    }
};

// Taps F1 while the first frame is drawn and Escape while the third is:
// both are released before the loop looks again.
class TappingApp : public cWindowsSystem
{
public:
    int frame = 0;
    bool Draw() override
    {
        ++frame;
        const WPARAM key = frame == 1 ? VK_F1 : frame == 3 ? VK_ESCAPE : 0;
        if (key != 0)
        {
            PostMessageW(window, WM_KEYDOWN, key, 0);
            PostMessageW(window, WM_KEYUP, key, 0);
        }
        return frame < 10;
    }
};

TEST(DisplaySwitch, KeysTappedBetweenFramesCountOnce)
{
    testsupport::BoxRecorder boxes(IDYES);
    TappingApp app;
    app.SetFullscreen(false);
    app.SetAntiAliasing(false);
    cWindowsSystem::SetMessageTarget(&app);
    ASSERT_TRUE(app.CreateDisplay());
    FlushMessages();
    app.MainLoop();
    EXPECT_TRUE(app.IsFullscreen()) << "the F1 tap switched once";
    EXPECT_EQ(app.frame, 3) << "the Escape tap ended the loop before the fourth frame";
    app.DestroyDisplay();
    cWindowsSystem::SetMessageTarget(nullptr);
}

TEST(DisplaySwitch, TexturesSurviveF1)
{
    testsupport::BoxRecorder boxes(IDYES);
    SwitchingApp app;
    app.SetFullscreen(false);
    app.SetAntiAliasing(false);
    cWindowsSystem::SetMessageTarget(&app);
    ASSERT_TRUE(app.CreateDisplay());
    glGenTextures(1, &app.texture);
    glBindTexture(GL_TEXTURE_2D, app.texture);
    const unsigned char red[4] = {200, 10, 30, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, red);
    FlushMessages();

    app.MainLoop();
    EXPECT_TRUE(app.IsFullscreen()) << "F1 flipped the flag";
    EXPECT_NE(app.GetWindowHandle(), nullptr);
    ASSERT_EQ(app.textureAlive.size(), 3u);
    EXPECT_EQ(app.textureAlive, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(app.texel, (std::vector<unsigned>{0xC80A1E, 0xC80A1E, 0xC80A1E}));
    app.DestroyDisplay();
    cWindowsSystem::SetMessageTarget(nullptr);
}

} // namespace

namespace
{

// Counts the hooks Run calls; draws one frame.
class OneFrameApp : public cWindowsSystem
{
public:
    std::vector<std::string> calls;
    bool DrawLoading() override
    {
        calls.push_back("DrawLoading");
        return cWindowsSystem::DrawLoading();
    }
    bool Start() override
    {
        calls.push_back("Start");
        return true;
    }
    bool Draw() override
    {
        calls.push_back("Draw");
        return false;
    }
    void Release() override { calls.push_back("Release"); }
};

// Run in a plain window with no dialog, as the message target.
int RunWindowed(cWindowsSystem& app)
{
    app.SetFullscreen(false);
    app.SetAntiAliasing(false);
    app.SetSetupDialog(false);
    cWindowsSystem::SetMessageTarget(&app);
    const int code = app.Run();
    cWindowsSystem::SetMessageTarget(nullptr);
    return code;
}

TEST(Run, LoadingFrameOnceThenStartLoopAndTeardown)
{
    testsupport::BoxRecorder boxes;
    OneFrameApp app;
    EXPECT_EQ(RunWindowed(app), 0);
    EXPECT_EQ(app.calls, (std::vector<std::string>{"DrawLoading", "Start", "Draw", "Release"}));
    EXPECT_EQ(app.GetWindowHandle(), nullptr);
    EXPECT_TRUE(boxes.Calls().empty());
}

// A loading frame that never clears its flag; the third asks to end the
// program the way the window's close or a signal does.
class StuckLoadingApp : public OneFrameApp
{
public:
    bool bySignal = false;
    int loadingFrames = 0;
    bool DrawLoading() override
    {
        if (++loadingFrames == 3)
        {
            struct sigaction current = {};
            sigaction(SIGTERM, nullptr, &current);
            if (bySignal && current.sa_handler == SIG_DFL)
            {
                ADD_FAILURE() << "SIGTERM has no handler while a display is up";
                PostMessageW(window, WM_CLOSE, 0, 0);
            }
            else if (bySignal)
            {
                std::raise(SIGTERM);
            }
            else
            {
                PostMessageW(window, WM_CLOSE, 0, 0);
            }
        }
        return true;
    }
};

TEST(Run, ALoadingFrameThatNeverFinishesStillEndsOnCloseOrSignal)
{
    for (const bool bySignal : {false, true})
    {
        StuckLoadingApp app;
        app.bySignal = bySignal;
        EXPECT_EQ(RunWindowed(app), 0);
        FlushMessages();
        EXPECT_EQ(app.loadingFrames, 3) << (bySignal ? "SIGTERM" : "WM_CLOSE");
        // Nothing was started; the display went as on every other way out.
        EXPECT_EQ(app.calls, (std::vector<std::string>{"Release"}));
        EXPECT_EQ(app.GetWindowHandle(), nullptr);
    }
}

} // namespace
