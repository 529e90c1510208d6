// The baked mesh against the GLU quadrics it stands in for: every triangle
// the turtle's Draw gives (positions, texture coordinates or normals, through
// feedback) is one the mesh gives too, and the other way round, so a
// mirrored coordinate, a turned slice, a quad split along its other diagonal
// (which twists the texture where a sphere's strips meet its poles) or a
// piece in the wrong frame fails; and the tangents follow each piece's axis.
#include "platform/GL.h"
#include "platform/OffscreenGL.h"
#include "render/LindenmayerMesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace
{

using MivexGL::cLindenmayerMesh;
using MivexGL::cLindenmayerSystem;

// A triangle's window positions and texture coordinates, rounded to a grid
// fine enough to tell slices apart and coarse enough to forgive rounding.
using Key = std::array<long, 15>;

class LindenmayerMesh : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!gl.Create(64, 64))
        {
            GTEST_SKIP() << "no GL context available";
        }
        glViewport(0, 0, 64, 64);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-20.0, 20.0, -20.0, 20.0, -40.0, 40.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotatef(20.0f, 1.0f, 0.3f, 0.0f);
    }

    template <typename DrawCall> std::vector<Key> Triangles(DrawCall draw)
    {
        std::vector<GLfloat> buffer(1 << 20);
        glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
        glRenderMode(GL_FEEDBACK);
        draw();
        const GLint used = glRenderMode(GL_RENDER);
        std::vector<Key> keys;
        for (GLint i = 0; i < used;)
        {
            EXPECT_EQ(static_cast<GLint>(buffer[static_cast<std::size_t>(i++)]), GL_POLYGON_TOKEN);
            const int n = static_cast<int>(buffer[static_cast<std::size_t>(i++)]);
            EXPECT_EQ(n, 3);
            Key key{};
            for (int v = 0; v < n; ++v, i += 11)
            {
                const GLfloat* f = &buffer[static_cast<std::size_t>(i)];
                const long rounded[5] = {std::lround(f[0] * 100.0f), std::lround(f[1] * 100.0f),
                                         std::lround(f[2] * 1000.0f), std::lround(f[7] * 1000.0f),
                                         std::lround(f[8] * 1000.0f)};
                std::copy(rounded, rounded + 5, key.begin() + 5 * (v % 3));
            }
            keys.push_back(key);
        }
        std::sort(keys.begin(), keys.end());
        return keys;
    }

    platform::OffscreenGL gl;
};

TEST_F(LindenmayerMesh, EmitsTheVerticesOfTheQuadrics)
{
    const cLindenmayerSystem plant(2, "F[+FO]/[-F]F:[^FO]");
    cLindenmayerMesh mesh;
    mesh.Build(plant, 2.0f, 27.0f, 0.5f);
    // 25 cylinders of 8 quads and 12 spheres of 4 stacks of 8, two
    // triangles a quad; rings of 9 vertices, 2 a cylinder and 5 a sphere.
    EXPECT_EQ(mesh.GetIndexCount(), (25u * 8u + 12u * 4u * 8u) * 6u);
    EXPECT_EQ(mesh.GetVertexCount(), (25u * 2u + 12u * 5u) * 9u);
    // With six sides: 3 stacks, rings of 7.
    cLindenmayerMesh six;
    six.Build(plant, 2.0f, 27.0f, 0.5f, 6);
    EXPECT_EQ(six.GetIndexCount(), (25u * 6u + 12u * 3u * 6u) * 6u);
    EXPECT_EQ(six.GetVertexCount(), (25u * 2u + 12u * 4u) * 7u);

    // Once with the texture coordinates, once with the normals in their
    // place (the normal-map texture generation hands on the eye normal),
    // at the usual sides and at six.
    for (int sides : {cLindenmayerSystem::kSlices, 6})
        for (bool normals : {false, true})
        {
            if (normals)
            {
                glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_NORMAL_MAP);
                glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_NORMAL_MAP);
                glEnable(GL_TEXTURE_GEN_S);
                glEnable(GL_TEXTURE_GEN_T);
            }
            const std::vector<Key> quadrics =
                Triangles([&] { plant.Draw(2.0f, 27.0f, 0.5f, sides); });
            const std::vector<Key> baked = Triangles([&] { (sides == 6 ? six : mesh).Draw(6); });
            glDisable(GL_TEXTURE_GEN_S);
            glDisable(GL_TEXTURE_GEN_T);
            ASSERT_FALSE(quadrics.empty());
            std::vector<Key> missing;
            std::set_symmetric_difference(quadrics.begin(), quadrics.end(), baked.begin(),
                                          baked.end(), std::back_inserter(missing));
            // Rounding may split a few grid cells; a real fault moves many.
            EXPECT_LE(missing.size(), quadrics.size() / 50)
                << sides << " sides, " << (normals ? "normals: " : "coordinates: ")
                << quadrics.size() << " quadric triangles, " << baked.size() << " baked";
        }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(LindenmayerMesh, TrianglesFacingTheEyeComeFirst)
{
    const cLindenmayerSystem plant(1, "FO");
    cLindenmayerMesh mesh;
    mesh.Build(plant, 2.0f, 27.0f, 0.5f);
    // The eye sits at (-6, 1, 3) in the mesh's space, turned as well.
    glLoadIdentity();
    glRotatef(30.0f, 0.0f, 1.0f, 0.0f);
    glTranslatef(6.0f, -1.0f, -3.0f);
    const std::vector<GLuint>& order = mesh.FacingFirst();
    ASSERT_EQ(order.size(), mesh.GetIndexCount());
    const std::vector<GLfloat>& data = mesh.GetData();
    const float eye[3] = {-6.0f, 1.0f, 3.0f};
    bool seenAway = false;
    int facing = 0;
    for (std::size_t t = 0; t < order.size(); t += 3)
    {
        float dot = 0.0f;
        const GLfloat* first = &data[order[t] * cLindenmayerMesh::kStride];
        for (std::size_t k = 0; k < 3; ++k)
        {
            const GLfloat* n = &data[order[t + k] * cLindenmayerMesh::kStride + 3];
            for (int i = 0; i < 3; ++i)
            {
                dot += n[i] * (eye[i] - first[i]);
            }
        }
        // A clear margin: rounding may sort the edge-on ones either way.
        if (dot > 0.01f)
        {
            EXPECT_FALSE(seenAway) << "triangle " << t / 3 << " faces the eye after one away";
            ++facing;
        }
        seenAway = seenAway || dot < -0.01f;
    }
    EXPECT_GT(facing, 0);
    EXPECT_TRUE(seenAway);
}

TEST_F(LindenmayerMesh, FacingPiecesComeNearestFirst)
{
    // Three steps of 2 down -z; the eye is off the far end, so the last
    // piece is the nearest and the first the farthest.
    const cLindenmayerSystem stem(1, "FFF");
    cLindenmayerMesh mesh;
    mesh.Build(stem, 2.0f, 27.0f, 0.5f);
    glLoadIdentity();
    glTranslatef(-3.0f, 0.0f, 9.0f);
    const std::vector<GLuint>& order = mesh.FacingFirst();
    ASSERT_EQ(order.size(), mesh.GetIndexCount());
    const std::vector<GLfloat>& data = mesh.GetData();
    const float eye[3] = {3.0f, 0.0f, -9.0f};
    int lastPiece = 3;
    int facing = 0;
    for (std::size_t t = 0; t < order.size(); t += 3)
    {
        float dot = 0.0f;
        float z = 0.0f;
        const GLfloat* first = &data[order[t] * cLindenmayerMesh::kStride];
        for (std::size_t k = 0; k < 3; ++k)
        {
            const GLfloat* v = &data[order[t + k] * cLindenmayerMesh::kStride];
            for (int i = 0; i < 3; ++i)
            {
                dot += v[3 + i] * (eye[i] - first[i]);
            }
            z += v[2] / 3.0f;
        }
        if (dot < 0.0f)
        {
            break;
        }
        const int piece = static_cast<int>(-z / 2.0f);
        EXPECT_LE(piece, lastPiece)
            << "triangle " << t / 3 << " of piece " << piece << " after one of piece " << lastPiece;
        lastPiece = piece;
        ++facing;
    }
    EXPECT_GT(facing, 0);
    EXPECT_EQ(lastPiece, 0);
}

TEST(LindenmayerMeshTangents, FollowEachPiecesHeadingAndStandOffItsNormals)
{
    // A step down the turtle's -z, a quarter turn about x, a second step:
    // the second piece heads along +y from (0, 0, -1).
    const cLindenmayerSystem plant(1, "F+F");
    cLindenmayerMesh mesh;
    mesh.Build(plant, 1.0f, 90.0f, 0.1f);
    ASSERT_EQ(mesh.GetVertexCount(), 2u * 2u * 9u);
    const std::vector<GLfloat>& data = mesh.GetData();
    const std::size_t half = mesh.GetVertexCount() / 2;
    for (std::size_t v = 0; v < mesh.GetVertexCount(); ++v)
    {
        const GLfloat* p = &data[v * cLindenmayerMesh::kStride];
        const GLfloat* n = p + 3;
        const GLfloat* t = p + 8;
        const bool second = v >= half;
        EXPECT_NEAR(t[0], 0.0f, 1e-5f) << v;
        EXPECT_NEAR(t[1], second ? 1.0f : 0.0f, 1e-5f) << v;
        EXPECT_NEAR(t[2], second ? 0.0f : -1.0f, 1e-5f) << v;
        EXPECT_NEAR(n[0] * t[0] + n[1] * t[1] + n[2] * t[2], 0.0f, 1e-5f) << v;
        // Round the axis at the radius.
        const float along = p[0] * t[0] + p[1] * t[1] + (p[2] + (second ? 1.0f : 0.0f)) * t[2];
        const float x = p[0] - along * t[0];
        const float y = p[1] - along * t[1];
        const float z = p[2] + (second ? 1.0f : 0.0f) - along * t[2];
        EXPECT_NEAR(std::sqrt(x * x + y * y + z * z), 0.1f, 1e-5f) << v;
        EXPECT_GE(along, -1e-5f) << v;
        EXPECT_LE(along, 1.0f + 1e-5f) << v;
    }
}

} // namespace
