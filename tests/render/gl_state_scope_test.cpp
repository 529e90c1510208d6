// The state scope puts back every state it names after a module has changed
// all of it: enables (texture units' too), blending, colour, viewport, depth,
// culling, the active unit and bindings, the vertex arrays, both matrices
// and the matrix mode, with the stacks as deep as before. Scopes nest.
#include "render/GLStateScope.h"

#include "TextureFixtures.h"

#include <string>
#include <utility>
#include <vector>

using MivexGL::cGLStateScope;

namespace
{

using GLStateScope = fixtures::GLTest;
using Snapshot = std::vector<std::pair<std::string, double>>;

void Integers(Snapshot& s, const char* name, GLenum what, int count = 1)
{
    GLint values[16] = {};
    glGetIntegerv(what, values);
    for (int i = 0; i < count; ++i)
    {
        s.emplace_back(name + std::to_string(i), values[i]);
    }
}

void Floats(Snapshot& s, const char* name, GLenum what, int count)
{
    GLfloat values[16] = {};
    glGetFloatv(what, values);
    for (int i = 0; i < count; ++i)
    {
        s.emplace_back(name + std::to_string(i), values[i]);
    }
}

Snapshot Take()
{
    Snapshot s;
    Integers(s, "active unit", GL_ACTIVE_TEXTURE);
    GLint active = GL_TEXTURE0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    for (int unit = 0; unit < 2; ++unit)
    {
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
        Integers(s, "2D binding", GL_TEXTURE_BINDING_2D);
        s.emplace_back("2D enabled", glIsEnabled(GL_TEXTURE_2D));
    }
    glActiveTexture(static_cast<GLenum>(active));
    for (GLenum e : {GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE, GL_LIGHTING, GL_ALPHA_TEST})
    {
        s.emplace_back("enable " + std::to_string(e), glIsEnabled(e));
    }
    s.emplace_back("vertex array", glIsEnabled(GL_VERTEX_ARRAY));
    Integers(s, "blend", GL_BLEND_SRC);
    Integers(s, "blend", GL_BLEND_DST);
    Floats(s, "clear colour", GL_COLOR_CLEAR_VALUE, 4);
    Floats(s, "colour", GL_CURRENT_COLOR, 4);
    Integers(s, "viewport", GL_VIEWPORT, 4);
    Integers(s, "depth function", GL_DEPTH_FUNC);
    Integers(s, "depth mask", GL_DEPTH_WRITEMASK);
    Integers(s, "cull", GL_CULL_FACE_MODE);
    Integers(s, "matrix mode", GL_MATRIX_MODE);
    Integers(s, "model-view depth", GL_MODELVIEW_STACK_DEPTH);
    Integers(s, "projection depth", GL_PROJECTION_STACK_DEPTH);
    Integers(s, "attribute depth", GL_ATTRIB_STACK_DEPTH);
    Integers(s, "client depth", GL_CLIENT_ATTRIB_STACK_DEPTH);
    Floats(s, "model-view", GL_MODELVIEW_MATRIX, 16);
    Floats(s, "projection", GL_PROJECTION_MATRIX, 16);
    return s;
}

std::string Changes(const Snapshot& before, const Snapshot& after)
{
    std::string out;
    for (std::size_t i = 0; i < before.size() && i < after.size(); ++i)
    {
        if (before[i].second != after[i].second)
        {
            out += " " + before[i].first + ": " + std::to_string(before[i].second) + " -> " +
                   std::to_string(after[i].second) + ";";
        }
    }
    return out;
}

// Changes everything Take looks at, as a careless module would.
void Module(GLuint texture)
{
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glEnable(GL_LIGHTING);
    glEnable(GL_ALPHA_TEST);
    glEnableClientState(GL_VERTEX_ARRAY);
    glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glViewport(1, 2, 3, 4);
    glDepthFunc(GL_ALWAYS);
    glDepthMask(GL_FALSE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(30.0f, 0.0f, 0.0f, 1.0f);
}

TEST_F(GLStateScope, PutsBackEveryStateItNamesAfterAModuleChangesIt)
{
    GLuint textures[2] = {};
    glGenTextures(2, textures);
    // A state far from the defaults, so a reset to them shows too.
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glClearColor(0.0f, 0.25f, 0.0f, 1.0f);
    glColor4f(1.0f, 0.5f, 0.25f, 1.0f);
    glViewport(0, 0, 32, 16);
    glDepthFunc(GL_LEQUAL);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1.0f, 2.0f, 3.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1.0, 1.0, -1.0, 1.0, 1.0, 10.0);
    // The mode a scope begins in is the one it ends in.
    const Snapshot before = Take();
    {
        cGLStateScope outer(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_VIEWPORT_BIT |
                                GL_DEPTH_BUFFER_BIT | GL_POLYGON_BIT | GL_TEXTURE_BIT,
                            cGLStateScope::kBothMatrices, GL_CLIENT_VERTEX_ARRAY_BIT);
        Module(textures[1]);
        {
            cGLStateScope inner(GL_ENABLE_BIT, cGLStateScope::kModelView);
            glEnable(GL_BLEND);
            glScalef(2.0f, 2.0f, 2.0f);
        }
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
    }
    EXPECT_EQ(Changes(before, Take()), "");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // Only what it is told: the matrices alone leave the colour changed.
    {
        cGLStateScope matrices(0, cGLStateScope::kBothMatrices);
        glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    const std::string changes = Changes(before, Take());
    EXPECT_NE(changes.find("colour"), std::string::npos) << changes;
    EXPECT_EQ(changes.find("model-view"), std::string::npos) << changes;
    EXPECT_EQ(changes.find("matrix mode"), std::string::npos) << changes;

    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDeleteTextures(2, textures);
}

} // namespace
