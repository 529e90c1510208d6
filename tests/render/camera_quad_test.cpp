// The camera's matrices, the unit quad's corners and the small vectors.
#include "render/Camera.h"
#include "render/Quad.h"
#include "render/Vector3f.h"

#include "TextureFixtures.h"

#include <cmath>
#include <vector>

using MivexGL::cCamera;
using MivexGL::cVector3d;

namespace
{

using CameraQuad = fixtures::GLTest;

std::vector<double> Matrix(GLenum which)
{
    std::vector<double> m(16);
    glGetDoublev(which, m.data());
    return m;
}

TEST_F(CameraQuad, ApplyLoadsPerspectiveAndViewAndLeavesModelView)
{
    cCamera camera;
    camera.SetProjection(90.0, 2.0, 1.0, 3.0);
    camera.SetView(cVector3d(0.0, 0.0, 5.0), cVector3d(0.0, 0.0, 0.0), cVector3d(0.0, 1.0, 0.0));
    // Anything already on the matrices is replaced, not multiplied.
    glMatrixMode(GL_PROJECTION);
    glTranslatef(3.0f, 0.0f, 0.0f);
    camera.Apply();
    camera.Apply();

    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);

    // fov 90: cot(45) = 1.
    const std::vector<double> p = Matrix(GL_PROJECTION_MATRIX);
    EXPECT_NEAR(p[0], 0.5, 1e-9);
    EXPECT_NEAR(p[5], 1.0, 1e-9);
    EXPECT_NEAR(p[10], -2.0, 1e-9);
    EXPECT_NEAR(p[11], -1.0, 1e-9);
    EXPECT_NEAR(p[14], -3.0, 1e-9);
    EXPECT_NEAR(p[12], 0.0, 1e-9);

    // A scene's translate and scale compose with the view.
    glTranslatef(1.0f, 2.0f, 0.0f);
    glScalef(2.0f, 1.0f, 0.0f);
    const std::vector<double> m = Matrix(GL_MODELVIEW_MATRIX);
    EXPECT_NEAR(m[0], 2.0, 1e-6);
    EXPECT_NEAR(m[10], 0.0, 1e-6);
    EXPECT_NEAR(m[12], 1.0, 1e-6);
    EXPECT_NEAR(m[13], 2.0, 1e-6);
    EXPECT_NEAR(m[14], -5.0, 1e-6);
}

TEST_F(CameraQuad, LookAtMultipliesTheCurrentMatrixInPlace)
{
    cCamera camera;
    camera.SetView(cVector3d(0.0, 0.0, 2.0), cVector3d(0.0, 0.0, 0.0), cVector3d(0.0, 1.0, 0.0));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glTranslatef(0.0f, 1.0f, 0.0f);
    camera.LookAt();
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
    const std::vector<double> p = Matrix(GL_PROJECTION_MATRIX);
    EXPECT_NEAR(p[13], 1.0, 1e-6);
    EXPECT_NEAR(p[14], -2.0, 1e-6);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

TEST_F(CameraQuad, QuadCoversMinusOneToOneWithTextureOriginLowerLeft)
{
    glViewport(0, 0, 64, 64);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    glNormal3f(0.0f, 0.0f, 1.0f);

    std::vector<GLfloat> feedback(256);
    glFeedbackBuffer(static_cast<GLsizei>(feedback.size()), GL_3D_COLOR_TEXTURE, feedback.data());
    glRenderMode(GL_FEEDBACK);
    MivexGL::DrawQuad();
    const GLint used = glRenderMode(GL_RENDER);

    // The driver may hand the quad back as one polygon or split into
    // triangles: every vertex must be one of the four corners with its own
    // texture coordinate, and together they must cover the whole viewport.
    const float corners[4][4] = {{0, 0, 0, 0}, {64, 0, 1, 0}, {64, 64, 1, 1}, {0, 64, 0, 1}};
    bool seen[4] = {false, false, false, false};
    double area = 0.0;
    GLint at = 0;
    while (at < used)
    {
        ASSERT_EQ(feedback[at], static_cast<GLfloat>(GL_POLYGON_TOKEN));
        const int count = static_cast<int>(feedback[at + 1]);
        const GLfloat* vertices = &feedback[at + 2];
        for (int v = 0; v < count; ++v)
        {
            // Per vertex: x y z, colour r g b a, texture s t r q.
            const GLfloat* p = vertices + v * 11;
            const GLfloat* q = vertices + ((v + 1) % count) * 11;
            area += 0.5 * (p[0] * q[1] - q[0] * p[1]);
            int corner = -1;
            for (int c = 0; c < 4; ++c)
            {
                if (std::fabs(p[0] - corners[c][0]) < 1e-3 &&
                    std::fabs(p[1] - corners[c][1]) < 1e-3)
                {
                    corner = c;
                }
            }
            ASSERT_GE(corner, 0) << "vertex at " << p[0] << "," << p[1];
            seen[corner] = true;
            EXPECT_NEAR(p[2], 1.0, 1e-3);
            // The caller's colour goes through untouched.
            EXPECT_NEAR(p[3], 0.25, 1e-3);
            EXPECT_NEAR(p[5], 0.75, 1e-3);
            EXPECT_NEAR(p[7], corners[corner][2], 1e-6) << "corner " << corner;
            EXPECT_NEAR(p[8], corners[corner][3], 1e-6) << "corner " << corner;
        }
        at += 2 + count * 11;
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2] && seen[3]);
    // Counter-clockwise, as seen from the front.
    EXPECT_NEAR(area, 64.0 * 64.0, 1e-2);
    GLfloat normal[3] = {};
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    EXPECT_EQ(normal[2], 1.0f);
}

TEST(Vectors, ScaledCopiesAndAddAccumulates)
{
    MivexGL::cVector3f v;
    v.Set(1.0f, -2.0f, 3.0f);
    const MivexGL::cVector3f zero = v.Scaled(0.0f);
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);
    EXPECT_EQ(v.y, -2.0f);

    MivexGL::cVector3f step;
    step.Set(0.5f, 0.5f, 0.5f);
    const MivexGL::cVector3f sum = v.Add(step);
    EXPECT_EQ(sum.x, 1.5f);
    EXPECT_EQ(v.x, 1.5f);
    EXPECT_EQ(v.Add(step).z, 4.0f);
    EXPECT_EQ(v.SetX(7.0f).SetY(8.0f).y, 8.0f);
}

} // namespace
