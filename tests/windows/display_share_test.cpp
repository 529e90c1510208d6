// GL objects made in one display's context are still there, with their
// contents, in the context of the display made after it (what F1 does),
// through the system's own contexts and the share root.
#include "app/WindowsSystem.h"
#include "platform/GL.h"
#include "platform/Messages.h"
#include "platform/TestSeams.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>

namespace
{

using MivexGL::cWindowsSystem;

GLuint LinkedProgram()
{
    const char* vertex = "void main() { gl_Position = ftransform(); }";
    const char* fragment = "void main() { gl_FragColor = vec4(0.25, 0.5, 0.75, 1.0); }";
    GLuint program = glCreateProgram();
    const auto attach = [program](GLenum kind, const char* text)
    {
        GLuint shader = glCreateShader(kind);
        glShaderSource(shader, 1, &text, nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
    };
    attach(GL_VERTEX_SHADER, vertex);
    attach(GL_FRAGMENT_SHADER, fragment);
    glLinkProgram(program);
    return program;
}

TEST(DisplayShare, TexturesListsAndProgramsOutliveTheDisplay)
{
    testsupport::BoxRecorder boxes;
    cWindowsSystem app;
    app.SetFullscreen(false);
    app.SetAntiAliasing(false);
    app.SetSize(320, 240);
    cWindowsSystem::SetMessageTarget(&app);
    ASSERT_TRUE(app.CreateDisplay());

    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const unsigned char red[4] = {200, 10, 30, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, red);
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glEndList();
    const GLuint program = LinkedProgram();
    glFinish();

    // What F1 does, without a display mode of its own: a new window and a
    // new context.
    app.DestroyDisplay();
    ASSERT_TRUE(app.CreateDisplay());

    EXPECT_EQ(glIsTexture(texture), GL_TRUE);
    unsigned char texel[4] = {};
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    EXPECT_EQ(texel[0], 200);
    EXPECT_EQ(texel[1], 10);
    EXPECT_EQ(texel[2], 30);

    // The list still runs: it sets the clear colour it was made with.
    ASSERT_EQ(glIsList(list), GL_TRUE);
    glCallList(list);
    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[1], 1.0f);

    ASSERT_EQ(glIsProgram(program), GL_TRUE);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE);
    glUseProgram(program);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glUseProgram(0);

    app.DestroyDisplay();
    cWindowsSystem::SetMessageTarget(nullptr);
    platform::FlushMessages();
    EXPECT_TRUE(boxes.Calls().empty());
}

} // namespace
