// The geodesic sphere as GL sees it: triangles counted in feedback mode under
// an orthographic view whose window coordinates map straight back to object
// space.
#include "platform/GL.h"
#include "platform/OffscreenGL.h"
#include "render/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

using MivexGL::DrawSphere;

struct FeedbackVertex
{
    float x, y, z;
    float s, t;
};

class SphereFeedback : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!gl.Create(64, 64))
        {
            GTEST_SKIP() << "no GL context available";
        }
        // Object space -2..2 on every axis maps onto a 400-pixel viewport.
        glViewport(0, 0, 400, 400);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-2.0, 2.0, -2.0, 2.0, -2.0, 2.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    // Draws the sphere in feedback mode; false if the buffer overflowed.
    bool Capture(int depth, bool holes, float radius)
    {
        triangles.clear();
        std::vector<GLfloat> buffer(1 << 20);
        glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
        glRenderMode(GL_FEEDBACK);
        DrawSphere(depth, holes, radius);
        const GLint used = glRenderMode(GL_RENDER);
        if (used < 0)
        {
            return false;
        }
        // x, y, z, RGBA, STRQ per vertex.
        constexpr int kStride = 11;
        for (GLint i = 0; i < used;)
        {
            const GLint token = static_cast<GLint>(buffer[static_cast<std::size_t>(i++)]);
            if (token != GL_POLYGON_TOKEN)
            {
                ADD_FAILURE() << "unexpected feedback token " << token;
                return false;
            }
            const int n = static_cast<int>(buffer[static_cast<std::size_t>(i++)]);
            std::vector<FeedbackVertex> polygon;
            for (int k = 0; k < n; ++k, i += kStride)
            {
                const GLfloat* v = &buffer[static_cast<std::size_t>(i)];
                FeedbackVertex out;
                out.x = v[0] / 100.0f - 2.0f;
                out.y = v[1] / 100.0f - 2.0f;
                // Window depth 0..1 runs from z = +2 (near) to z = -2 (far).
                out.z = (v[2] * 2.0f - 1.0f) * -2.0f;
                out.s = v[7];
                out.t = v[8];
                polygon.push_back(out);
            }
            triangles.push_back(polygon);
        }
        return true;
    }

    platform::OffscreenGL gl;
    std::vector<std::vector<FeedbackVertex>> triangles;
};

TEST_F(SphereFeedback, TriangleCountGrowsFourfoldOrThreefoldWithHoles)
{
    ASSERT_TRUE(Capture(0, false, 1.0f));
    EXPECT_EQ(triangles.size(), 20u);
    ASSERT_TRUE(Capture(1, false, 1.0f));
    EXPECT_EQ(triangles.size(), 80u);
    ASSERT_TRUE(Capture(1, true, 1.0f));
    EXPECT_EQ(triangles.size(), 60u);
    ASSERT_TRUE(Capture(3, false, 1.0f));
    EXPECT_EQ(triangles.size(), 1280u);
    ASSERT_TRUE(Capture(3, true, 1.0f));
    EXPECT_EQ(triangles.size(), 540u);
}

TEST_F(SphereFeedback, EveryVertexLiesOnTheSphereOfTheGivenRadius)
{
    for (float radius : {1.0f, 1.5f, 0.2f})
    {
        ASSERT_TRUE(Capture(2, false, radius));
        ASSERT_EQ(triangles.size(), 320u);
        for (const auto& polygon : triangles)
        {
            ASSERT_EQ(polygon.size(), 3u);
            for (const FeedbackVertex& v : polygon)
            {
                const float r = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
                EXPECT_NEAR(r, radius, 0.01f);
                // The texture coordinate is the unit direction's x and y.
                EXPECT_NEAR(v.s, v.x / radius, 0.05f);
                EXPECT_NEAR(v.t, v.y / radius, 0.05f);
            }
        }
    }
}

TEST_F(SphereFeedback, DepthZeroDrawsTheIcosahedronFacesInTableOrder)
{
    ASSERT_TRUE(Capture(0, false, 1.0f));
    ASSERT_EQ(triangles.size(), 20u);
    for (std::size_t f = 0; f < 20; ++f)
    {
        for (std::size_t k = 0; k < 3; ++k)
        {
            const float* expected = MivexGL::kIcosahedronVertices[MivexGL::kIcosahedronFaces[f][k]];
            EXPECT_NEAR(triangles[f][k].x, expected[0], 0.01f) << "face " << f;
            EXPECT_NEAR(triangles[f][k].y, expected[1], 0.01f) << "face " << f;
            EXPECT_NEAR(triangles[f][k].z, expected[2], 0.01f) << "face " << f;
        }
    }
}

TEST(Normalize, ScalesToUnitLengthInPlaceAndLeavesZeroAlone)
{
    float v[3] = {3.0f, 0.0f, 4.0f};
    EXPECT_EQ(MivexGL::Normalize(v), v);
    EXPECT_FLOAT_EQ(v[0], 0.6f);
    EXPECT_FLOAT_EQ(v[2], 0.8f);
    float zero[3] = {0.0f, 0.0f, 0.0f};
    MivexGL::Normalize(zero);
    EXPECT_EQ(zero[0], 0.0f);
    EXPECT_EQ(zero[1], 0.0f);
    EXPECT_EQ(zero[2], 0.0f);
}

} // namespace
