// The development overlay draws over a finished frame on the offscreen
// context and leaves every piece of GL state a frame step could depend on as
// it found it; hidden, it draws nothing at all.
#include "platform/GL.h"
#include "platform/OffscreenGL.h"
#include "platform/TestSeams.h"
#include "production/DevOverlay.h"
#include "render/ShaderSystem.h"

#include <gtest/gtest.h>

#include <vector>

using namespace MivexGL;

namespace
{

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// Everything the overlay's drawing touches or might, as numbers.
std::vector<double> Snapshot()
{
    std::vector<double> state;
    for (GLenum cap :
         {GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE, GL_SCISSOR_TEST, GL_TEXTURE_2D, GL_LIGHTING,
          GL_FOG, GL_ALPHA_TEST, GL_STENCIL_TEST, GL_COLOR_MATERIAL, GL_TEXTURE_GEN_S,
          GL_VERTEX_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_COLOR_ARRAY, GL_NORMAL_ARRAY})
    {
        state.push_back(glIsEnabled(cap));
    }
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    for (GLenum unit : {GL_TEXTURE0, GL_TEXTURE1})
    {
        glActiveTexture(unit);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        GLint mode = 0;
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
        state.insert(state.end(), {static_cast<double>(glIsEnabled(GL_TEXTURE_2D)),
                                   static_cast<double>(bound), static_cast<double>(mode)});
    }
    glActiveTexture(static_cast<GLenum>(active));
    for (GLenum name :
         {GL_CURRENT_PROGRAM, GL_ACTIVE_TEXTURE, GL_CLIENT_ACTIVE_TEXTURE, GL_BLEND_SRC,
          GL_BLEND_DST, GL_VIEWPORT, GL_SCISSOR_BOX, GL_MATRIX_MODE, GL_ARRAY_BUFFER_BINDING,
          GL_ELEMENT_ARRAY_BUFFER_BINDING, GL_POLYGON_MODE, GL_SHADE_MODEL, GL_UNPACK_ALIGNMENT,
          GL_UNPACK_ROW_LENGTH, GL_DEPTH_FUNC, GL_DEPTH_WRITEMASK, GL_COLOR_WRITEMASK,
          GL_VERTEX_ARRAY_STRIDE, GL_VERTEX_ARRAY_SIZE})
    {
        GLint values[4] = {-7, -7, -7, -7};
        glGetIntegerv(name, values);
        state.insert(state.end(), values, values + 4);
    }
    for (GLenum name : {GL_PROJECTION_MATRIX, GL_MODELVIEW_MATRIX, GL_TEXTURE_MATRIX,
                        GL_CURRENT_COLOR, GL_COLOR_CLEAR_VALUE})
    {
        GLfloat values[16] = {};
        glGetFloatv(name, values);
        state.insert(state.end(), values, values + 16);
    }
    return state;
}

std::vector<unsigned char> Frame()
{
    std::vector<unsigned char> pixels(kWidth * kHeight * 4);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glPopClientAttrib();
    return pixels;
}

cTimelineView View()
{
    cTimelineView view;
    view.now = 12000;
    view.length = 60000;
    view.windows = {{"director", 0, 60000}, {"garden", 0, 20000}, {"pollen", 20000, 40000}};
    return view;
}

class DevOverlayTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        gl = new platform::OffscreenGL;
        ASSERT_TRUE(gl->Create(kWidth, kHeight));
    }
    static void TearDownTestSuite()
    {
        delete gl;
        gl = nullptr;
    }

    // A frame step's leftovers, all far from the defaults.
    void LeaveState()
    {
        ASSERT_TRUE(program.InitGLSL());
        ASSERT_TRUE(program.LoadVertexShader());
        ASSERT_TRUE(program.LoadFragmentShader());
        program.Use();
        glClearColor(0.1f, 0.2f, 0.3f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_GREATER);
        glDepthMask(GL_FALSE);
        glBlendFunc(GL_ONE, GL_ONE);
        glViewport(3, 4, 50, 40);
        glScissor(1, 2, 30, 20);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0.0, 2.0, 0.0, 3.0, -4.0, 5.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0.5f, 0.25f, 0.0f);
        glActiveTexture(GL_TEXTURE1);
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glMatrixMode(GL_TEXTURE);
        glScalef(2.0f, 2.0f, 1.0f);
        glGenBuffers(1, &buffer);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, 24, nullptr);
        glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
        glShadeModel(GL_FLAT);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    }

    void TearDown() override
    {
        glDeleteBuffers(1, &buffer);
        glDeleteTextures(1, &texture);
    }

    static platform::OffscreenGL* gl;
    cShaderSystem program;
    GLuint texture = 0;
    GLuint buffer = 0;
};

platform::OffscreenGL* DevOverlayTest::gl = nullptr;

TEST_F(DevOverlayTest, DrawsOverTheFrameAndPutsEveryStateBack)
{
    cDevOverlay overlay;
    ASSERT_TRUE(overlay.Attach(nullptr));
    LeaveState();
    const std::vector<double> before = Snapshot();
    const std::vector<unsigned char> frame = Frame();
    const float bands[4] = {0.1f, 0.9f, 0.5f, 0.3f};
    for (int i = 0; i < 3; ++i)
    {
        overlay.RecordFrame(1.5 + i, 4.0);
        overlay.SetSpectrum(bands, 4);
        const cOverlayRequest request = overlay.Draw(View());
        EXPECT_FALSE(request.seek);
        EXPECT_FALSE(request.togglePause);
        EXPECT_EQ(Snapshot(), before) << "after frame " << i;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    EXPECT_NE(Frame(), frame);

    // Hidden, the frame is left alone.
    overlay.Toggle();
    EXPECT_FALSE(overlay.IsVisible());
    glClear(GL_COLOR_BUFFER_BIT);
    const std::vector<unsigned char> plain = Frame();
    overlay.Draw(View());
    EXPECT_EQ(Frame(), plain);

    // Attached again (a display made anew) it draws as before.
    overlay.Detach();
    ASSERT_TRUE(overlay.Attach(nullptr));
    overlay.Toggle();
    overlay.Draw(View());
    EXPECT_NE(Frame(), plain);
    EXPECT_EQ(Snapshot(), before);
}

// A press on the strip asks for the time under the pointer, a drag for each
// new time, holding still for nothing; a click on the button for pause.
TEST_F(DevOverlayTest, PressAndDragOnTheStripSeekAndTheButtonPauses)
{
    cDevOverlay overlay;
    ASSERT_TRUE(overlay.Attach(nullptr));
    const cTimelineView view = View();
    overlay.Draw(view);
    // The strip's rows sit just above the bottom edge, right of the names.
    const float y = kHeight - 30.0f;
    platform::SetOverlayPointer(kWidth * 0.6f, y, false);
    overlay.Draw(view);
    platform::SetOverlayPointer(kWidth * 0.6f, y, true);
    const cOverlayRequest press = overlay.Draw(view);
    ASSERT_TRUE(press.seek);
    EXPECT_GT(press.seekTo, view.length / 4);
    EXPECT_LT(press.seekTo, view.length * 3 / 4);
    EXPECT_FALSE(overlay.Draw(view).seek);
    platform::SetOverlayPointer(kWidth * 0.8f, y, true);
    const cOverlayRequest drag = overlay.Draw(view);
    ASSERT_TRUE(drag.seek);
    EXPECT_GT(drag.seekTo, press.seekTo);
    EXPECT_LE(drag.seekTo, view.length);
    platform::SetOverlayPointer(kWidth * 0.8f, y, false);
    EXPECT_FALSE(overlay.Draw(view).seek);

    // The button is the first thing in the strip's window, which is a row
    // (17 pixels in the built-in font) for each window and three more.
    const float buttonY = kHeight - 17.0f * (view.windows.size() + 3) + 16.0f;
    platform::SetOverlayPointer(20.0f, buttonY, false);
    overlay.Draw(view);
    platform::SetOverlayPointer(20.0f, buttonY, true);
    EXPECT_FALSE(overlay.Draw(view).togglePause);
    platform::SetOverlayPointer(20.0f, buttonY, false);
    const cOverlayRequest click = overlay.Draw(view);
    EXPECT_TRUE(click.togglePause);
    EXPECT_FALSE(click.seek);
    platform::ClearOverlayPointer();
}

} // namespace
