// The window system on a real (offscreen) display: what each failed step of
// display creation says, teardown that tries every step, the message table,
// the extension search and the multisample re-creation.
#include "app/WindowsSystem.h"
#include "app/WindowsSystemSeams.h"
#include "platform/Display.h"
#include "platform/GL.h"
#include "platform/Messages.h"
#include "platform/TestSeams.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace platform;
using MivexGL::cWindowsSystem;
using testsupport::BoxRecorder;

namespace
{

class CountingWindows : public cWindowsSystem
{
public:
    int releases = 0;
    void Release() override { ++releases; }
};

class WindowSystem : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearDisplayFaults();
        SetWindowExtensionsOverride(nullptr);
        FlushMessages();
        app.SetFullscreen(false);
        app.SetAntiAliasing(false);
        cWindowsSystem::SetMessageTarget(&app);
    }
    void TearDown() override
    {
        ClearDisplayFaults();
        if (app.GetWindowHandle() != nullptr)
        {
            app.DestroyDisplay();
        }
        cWindowsSystem::SetMessageTarget(nullptr);
        SetWindowExtensionsOverride(nullptr);
        FlushMessages();
    }
    CountingWindows app;
};

TEST_F(WindowSystem, CreatesAWindowWithACurrentContextAndProjection)
{
    BoxRecorder boxes;
    app.SetSize(640, 480);
    ASSERT_TRUE(app.CreateDisplay());
    EXPECT_TRUE(boxes.Calls().empty());
    EXPECT_NE(app.GetWindowHandle(), nullptr);
    EXPECT_NE(glGetString(GL_VERSION), nullptr);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    // A 45 degree projection: m[5] = 1 / tan(22.5 deg).
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[5], 2.4142135f, 1e-4f);
    EXPECT_NEAR(projection[0], 2.4142135f * 480.0f / 640.0f, 1e-4f);
}

// No frame limiter of our own: making a context current leaves the swap
// interval as it was, and only a program's own request changes it.
TEST_F(WindowSystem, TheSwapIntervalIsTheDriversUnlessAskedFor)
{
    EXPECT_FALSE(wglSwapIntervalEXT(1)) << "taken without a current context";
    ASSERT_TRUE(app.CreateDisplay());
    HDC dc = app.GetDeviceContext();
    HGLRC context = wglCreateContext(dc);
    ASSERT_NE(context, nullptr);
    for (const int asked : {0, 1})
    {
        if (!wglSwapIntervalEXT(asked))
        {
            continue;
        }
        EXPECT_EQ(wglGetSwapIntervalEXT(), asked);
        ASSERT_TRUE(wglMakeCurrent(dc, context));
        EXPECT_EQ(wglGetSwapIntervalEXT(), asked) << "changed by making a context current";
        ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
        ASSERT_TRUE(wglMakeCurrent(dc, app.GetRenderingContext()));
    }
    EXPECT_TRUE(wglDeleteContext(context));
}

TEST_F(WindowSystem, EachFailedStepTearsDownThenSaysWhy)
{
    const struct
    {
        DisplayStep step;
        const char* text;
    } cases[] = {
        {DisplayStep::CreateWindow, "Window Creation Error."},
        {DisplayStep::GetDC, "Can't Create A GL Device Context."},
        {DisplayStep::ChoosePixelFormat, "Can't Find A Suitable PixelFormat."},
        {DisplayStep::SetPixelFormat, "Can't Set The PixelFormat."},
        {DisplayStep::CreateContext, "Can't Create A GL Rendering Context."},
        {DisplayStep::MakeCurrent, "Can't Activate The GL Rendering Context."},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        BoxRecorder boxes;
        ClearDisplayFaults();
        SetDisplayFault(c.step, true);
        const int releasesBefore = app.releases;
        EXPECT_FALSE(app.CreateDisplay());
        // Teardown first (the Release hook runs), then the message.
        EXPECT_EQ(app.releases, releasesBefore + 1);
        ASSERT_FALSE(boxes.Calls().empty());
        EXPECT_EQ(boxes.Calls().back().text, c.text);
        EXPECT_EQ(boxes.Calls().back().caption, "ERROR");
        EXPECT_EQ(boxes.Calls().back().style, MB_OK | MB_ICONEXCLAMATION);
        EXPECT_EQ(app.GetWindowHandle(), nullptr);
        ClearDisplayFaults();
        // Everything made was released: the class can be registered again.
        boxes.Clear();
        ASSERT_TRUE(app.CreateDisplay());
        EXPECT_TRUE(boxes.Calls().empty());
        app.DestroyDisplay();
    }
}

TEST_F(WindowSystem, ClassRegistrationFailureStopsBeforeAnyWindow)
{
    BoxRecorder boxes;
    SetDisplayFault(DisplayStep::RegisterClass, true);
    EXPECT_FALSE(app.CreateDisplay());
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Calls()[0].text, "Failed To Register The Window Class.");
    EXPECT_EQ(boxes.Calls()[0].caption, "ERROR");
    EXPECT_EQ(app.releases, 0) << "nothing to tear down";
}

TEST_F(WindowSystem, RefusedFullscreenModeAsksForAWindow)
{
    app.SetFullscreen(true);
    SetDisplayFault(DisplayStep::ChangeDisplaySettings, true);
    {
        BoxRecorder boxes(IDYES);
        ASSERT_TRUE(app.CreateDisplay());
        ASSERT_EQ(boxes.Calls().size(), 1u);
        EXPECT_EQ(boxes.Calls()[0].text,
                  "The Requested Fullscreen Mode Is Not Supported By\nYour Video "
                  "Card. Use Windowed Mode Instead?");
        EXPECT_EQ(boxes.Calls()[0].caption, "Pelorin GL");
        EXPECT_EQ(boxes.Calls()[0].style, MB_YESNO | MB_ICONEXCLAMATION);
        EXPECT_FALSE(app.IsFullscreen()) << "windowed for good";
        app.DestroyDisplay();
    }
    app.SetFullscreen(true);
    {
        BoxRecorder boxes(IDNO);
        EXPECT_FALSE(app.CreateDisplay());
        ASSERT_EQ(boxes.Calls().size(), 2u);
        EXPECT_EQ(boxes.Calls()[1].text, "Program Will Now Close.");
        EXPECT_EQ(boxes.Calls()[1].style, MB_OK | MB_ICONSTOP);
    }
    // The class stays registered after the refusal; a later teardown clears it.
    ClearDisplayFaults();
    app.DestroyDisplay();
}

TEST_F(WindowSystem, TeardownTriesEveryStepAndReportsEachFailure)
{
    {
        BoxRecorder boxes;
        // Nothing was made: only the class unregistration is tried, and fails.
        app.DestroyDisplay();
        ASSERT_EQ(boxes.Calls().size(), 1u);
        EXPECT_EQ(boxes.Calls()[0].text, "Could Not Unregister Class.");
        EXPECT_EQ(boxes.Calls()[0].caption, "SHUTDOWN ERROR");
        EXPECT_EQ(boxes.Calls()[0].style, MB_OK | MB_ICONINFORMATION);
        EXPECT_EQ(app.releases, 1);
    }
    ASSERT_TRUE(app.CreateDisplay());
    BoxRecorder boxes;
    for (DisplayStep step :
         {DisplayStep::MakeCurrent, DisplayStep::DeleteContext, DisplayStep::ReleaseDC,
          DisplayStep::DestroyWindow, DisplayStep::UnregisterClass})
    {
        SetDisplayFault(step, true);
    }
    HWND window = app.GetWindowHandle();
    app.DestroyDisplay();
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Release Of DC And RC Failed.",
                                                       "Release Rendering Context Failed.",
                                                       "Release Device Context Failed.",
                                                       "Could Not Release m_hWnd.",
                                                       "Could Not Unregister Class."}));
    EXPECT_EQ(app.GetWindowHandle(), nullptr);
    // Really release what the faults kept alive.
    ClearDisplayFaults();
    DestroyWindow(window);
    UnregisterClassW(u"OpenGL", nullptr);
}

TEST_F(WindowSystem, MessageTable)
{
    HWND w = nullptr;
    app.SetSize(320, 200);
    EXPECT_EQ(app.WindowProc(w, WM_SIZE, 0, MAKELPARAM(640, 0)), 0);
    EXPECT_EQ(app.GetWidth(), 640);
    EXPECT_EQ(app.GetHeight(), 1) << "a zero height becomes 1";

    app.WindowProc(w, WM_ACTIVATE, WA_INACTIVE | (1u << 16), 0);
    EXPECT_FALSE(app.IsActive()) << "minimised";
    app.WindowProc(w, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_TRUE(app.IsActive()) << "losing focus without minimising keeps drawing";

    app.WindowProc(w, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(app.IsKeyDown(VK_ESCAPE));
    app.WindowProc(w, WM_KEYDOWN, 'A', 0);
    app.WindowProc(w, WM_KEYUP, VK_ESCAPE, 0);
    EXPECT_FALSE(app.IsKeyDown(VK_ESCAPE));
    EXPECT_TRUE(app.IsKeyDown('A'));

    EXPECT_EQ(app.WindowProc(w, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    EXPECT_EQ(app.WindowProc(w, WM_SYSCOMMAND, SC_MONITORPOWER, 0), 0);

    FlushMessages();
    EXPECT_EQ(app.WindowProc(w, WM_CLOSE, 0, 0), 0);
    MSG m{};
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 0u);
}

TEST(ExtensionSearch, OnlyWholeWordsCount)
{
    using MivexGL::HasWholeWord;
    EXPECT_TRUE(HasWholeWord("WGL_ARB_multisample", "WGL_ARB_multisample"));
    EXPECT_TRUE(HasWholeWord("A WGL_ARB_multisample B", "WGL_ARB_multisample"));
    EXPECT_TRUE(
        HasWholeWord("WGL_ARB_multisample_extra WGL_ARB_multisample", "WGL_ARB_multisample"));
    EXPECT_FALSE(HasWholeWord("WGL_ARB_multisample_extra", "WGL_ARB_multisample"));
    EXPECT_FALSE(HasWholeWord("XWGL_ARB_multisample", "WGL_ARB_multisample"));
    EXPECT_FALSE(HasWholeWord("", "WGL_ARB_multisample"));
    EXPECT_FALSE(HasWholeWord(nullptr, "WGL_ARB_multisample"));
}

TEST_F(WindowSystem, MultisampleProbeRecreatesTheDisplayOnce)
{
    app.SetAntiAliasing(true);
    SetWindowExtensionsOverride("WGL_ARB_pixel_format WGL_ARB_multisample_extra");
    ASSERT_TRUE(app.CreateDisplay());
    EXPECT_FALSE(app.IsMultisampleFound()) << "a longer name does not count";
    EXPECT_EQ(app.releases, 0);
    app.DestroyDisplay();

    SetWindowExtensionsOverride(nullptr);
    const int before = app.releases;
    ASSERT_TRUE(app.CreateDisplay());
    if (!app.IsMultisampleFound())
    {
        GTEST_SKIP() << "this GL offers no multisample format";
    }
    EXPECT_EQ(app.releases, before + 1) << "made once plainly, torn down, made again";
    GLint buffers = 0;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &buffers);
    EXPECT_EQ(buffers, 1);
    // Later creations take the format straight away.
    app.DestroyDisplay();
    const int again = app.releases;
    ASSERT_TRUE(app.CreateDisplay());
    EXPECT_EQ(app.releases, again);

    // "No AA" chosen afterwards means a plain display, made once; the found
    // format is kept for when anti-aliasing is wanted again.
    app.DestroyDisplay();
    app.SetAntiAliasing(false);
    const int plain = app.releases;
    ASSERT_TRUE(app.CreateDisplay());
    EXPECT_EQ(app.releases, plain);
    glGetIntegerv(GL_SAMPLE_BUFFERS, &buffers);
    EXPECT_EQ(buffers, 0);
    EXPECT_TRUE(app.IsMultisampleFound());
}

TEST_F(WindowSystem, AntiAliasingOffSkipsTheProbe)
{
    app.SetAntiAliasing(false);
    ASSERT_TRUE(app.CreateDisplay());
    EXPECT_FALSE(app.IsMultisampleFound());
    EXPECT_EQ(app.releases, 0);
}

} // namespace
