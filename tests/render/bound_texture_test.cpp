// A texture bound for a scope draws textured whatever texturing was before,
// and puts the earlier texture and texturing back; one that never loaded
// changes nothing.
#include "render/BoundTexture.h"
#include "render/TextureSystem.h"

#include "TextureFixtures.h"

#include <array>

using MivexGL::cBoundTexture;
using MivexGL::cTextureSystem;

namespace
{

class BoundTexture : public fixtures::GLTest
{
};

GLuint Bound()
{
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return static_cast<GLuint>(name);
}

// The centre pixel of a quad drawn over the viewport in white.
std::array<unsigned char, 4> DrawnCentre()
{
    glViewport(0, 0, 64, 64);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    std::array<unsigned char, 4> pixel{};
    glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
    return pixel;
}

} // namespace

TEST_F(BoundTexture, DrawsTexturedInItsScopeAndPutsTheStateBack)
{
    fixtures::MakeFolders("picture_fixtures/bound");
    fixtures::WriteJpeg("picture_fixtures/bound/green.jpg", 16, 16,
                        [](int, int) {
                            return fixtures::Rgb{0, 255, 0};
                        });
    cTextureSystem picture;
    picture.LoadTexture("picture_fixtures/bound/green.jpg");
    ASSERT_NE(picture.GetName(), 0u);
    cTextureSystem other;
    other.LoadTexture("picture_fixtures/bound/green.jpg");
    other.Bind();
    // As a scene finds it after text or bars: texturing off.
    glDisable(GL_TEXTURE_2D);
    {
        const cBoundTexture bound(picture);
        EXPECT_EQ(Bound(), picture.GetName());
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
        const std::array<unsigned char, 4> pixel = DrawnCentre();
        EXPECT_LT(pixel[0], 16);
        EXPECT_GT(pixel[1], 240);
    }
    EXPECT_EQ(Bound(), other.GetName());
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(DrawnCentre()[0], 255);

    cTextureSystem never;
    {
        const cBoundTexture bound(never);
        EXPECT_EQ(Bound(), other.GetName());
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    }
}
