// Baking the turtle's pieces. The tessellation follows the GLU quadrics with
// smooth normals and texture coordinates: slices start on +y and run through
// +x, s falls from 1 to 0 round the piece, a cylinder is one stack from z = 0
// to its length and a sphere's stacks run from its +z pole to its -z pole.
// Vertices are shared through indices: a software renderer shades each once
// rather than once per strip.
#include "render/LindenmayerMesh.h"

#include <algorithm>
#include <cmath>

namespace MivexGL
{

namespace
{

constexpr float kPi = 3.14159265358979f;

// A piece's vertices in its own frame, rings of slices + 1: position, normal,
// s, t.
constexpr int kTemplateStride = 8;

void PushTemplateVertex(std::vector<GLfloat>& piece, float x, float y, float z, float nx, float ny,
                        float nz, float s, float t)
{
    piece.insert(piece.end(), {x, y, z, nx, ny, nz, s, t});
}

} // namespace

void cLindenmayerMesh::Add(const cLindenmayerSystem::Frame& m, const GLfloat* p, const GLfloat* n,
                           GLfloat s, GLfloat t)
{
    for (int row = 0; row < 3; ++row)
    {
        data.push_back(
            m[static_cast<std::size_t>(row)] * p[0] + m[static_cast<std::size_t>(4 + row)] * p[1] +
            m[static_cast<std::size_t>(8 + row)] * p[2] + m[static_cast<std::size_t>(12 + row)]);
    }
    // The frames are rotations and moves, so normals turn as directions do.
    for (int row = 0; row < 3; ++row)
    {
        data.push_back(m[static_cast<std::size_t>(row)] * n[0] +
                       m[static_cast<std::size_t>(4 + row)] * n[1] +
                       m[static_cast<std::size_t>(8 + row)] * n[2]);
    }
    data.push_back(s);
    data.push_back(t);
    for (int row = 0; row < 3; ++row)
    {
        data.push_back(m[static_cast<std::size_t>(8 + row)]);
    }
}

void cLindenmayerMesh::Strip(GLuint first, GLuint second)
{
    // The quad strip GLU would give: slice i of the first ring, then of the
    // second. Each quad is cut along the diagonal a quad strip is cut along,
    // from strip vertex 2i to 2i + 3, in the order the strip gives its
    // triangles: where a sphere's strip meets a pole one triangle of each
    // quad is empty, and the other diagonal would give the pole a different
    // texture coordinate.
    for (GLuint i = 0; i < static_cast<GLuint>(slices); ++i)
    {
        const GLuint a = first + i;
        const GLuint b = second + i;
        indices.insert(indices.end(), {a + 1, a, b + 1, a, b, b + 1});
    }
}

void cLindenmayerMesh::Build(const cLindenmayerSystem& system, float step, float angle,
                             float radius, int sides)
{
    data.clear();
    indices.clear();
    pieceStarts.clear();
    pieceMiddles.clear();
    slices = std::max(sides, cLindenmayerSystem::kFewestSlices);
    const int stacks = slices / 2;
    const int ringSize = slices + 1;
    const GLuint ring = static_cast<GLuint>(ringSize);
    const float around = static_cast<float>(slices);
    const float down = static_cast<float>(stacks);
    std::vector<float> sines(static_cast<std::size_t>(ringSize));
    std::vector<float> cosines(static_cast<std::size_t>(ringSize));
    for (int i = 0; i < slices; ++i)
    {
        const float a = 2.0f * kPi * static_cast<float>(i) / around;
        sines[static_cast<std::size_t>(i)] = std::sin(a);
        cosines[static_cast<std::size_t>(i)] = std::cos(a);
    }
    sines[static_cast<std::size_t>(slices)] = sines[0];
    cosines[static_cast<std::size_t>(slices)] = cosines[0];
    // Cylinder rings at z = 0 and at the step; sphere rings from the +z
    // pole (stack 0) to the -z pole.
    std::vector<GLfloat> cylinder;
    for (int row = 0; row < 2; ++row)
    {
        for (std::size_t i = 0; i < sines.size(); ++i)
        {
            PushTemplateVertex(cylinder, radius * sines[i], radius * cosines[i],
                               static_cast<float>(row) * step, sines[i], cosines[i], 0.0f,
                               1.0f - static_cast<float>(i) / around, static_cast<float>(row));
        }
    }
    const float ball = radius * 2.0f;
    std::vector<GLfloat> sphere;
    for (int stack = 0; stack <= stacks; ++stack)
    {
        const float a = kPi * static_cast<float>(stack) / down;
        // The poles are exact points.
        const float ringSin = stack == 0 || stack == stacks ? 0.0f : std::sin(a);
        const float ringCos = std::cos(a);
        for (std::size_t i = 0; i < sines.size(); ++i)
        {
            PushTemplateVertex(sphere, ball * ringSin * sines[i], ball * ringSin * cosines[i],
                               ball * ringCos, sines[i] * ringSin, cosines[i] * ringSin, ringCos,
                               1.0f - static_cast<float>(i) / around,
                               1.0f - static_cast<float>(stack) / down);
        }
    }
    system.Walk(step, angle,
                [&](cLindenmayerSystem::Symbol piece, const cLindenmayerSystem::Frame& frame)
                {
                    const bool isCylinder = piece == cLindenmayerSystem::kForward;
                    const std::vector<GLfloat>& shape = isCylinder ? cylinder : sphere;
                    const GLuint base = static_cast<GLuint>(GetVertexCount());
                    pieceStarts.push_back(static_cast<GLuint>(indices.size()));
                    // A sphere sits on the frame's origin, a cylinder runs
                    // a step along its z from there.
                    const float along = isCylinder ? step * 0.5f : 0.0f;
                    for (std::size_t row = 0; row < 3; ++row)
                    {
                        pieceMiddles.push_back(frame[12 + row] + frame[8 + row] * along);
                    }
                    for (std::size_t v = 0; v < shape.size(); v += kTemplateStride)
                    {
                        const GLfloat* p = &shape[v];
                        Add(frame, p, p + 3, p[6], p[7]);
                    }
                    if (isCylinder)
                    {
                        Strip(base, base + ring);
                        return;
                    }
                    // GLU runs each sphere strip from the lower ring to the
                    // upper one.
                    for (GLuint stack = 0; stack < static_cast<GLuint>(stacks); ++stack)
                    {
                        Strip(base + (stack + 1) * ring, base + stack * ring);
                    }
                });
}

const std::vector<GLuint>& cLindenmayerMesh::FacingFirst() const
{
    // The eye in the mesh's space: the model-view matrix is a rotation and
    // a move, so its inverse is the transposed rotation.
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    GLfloat eye[3];
    for (int i = 0; i < 3; ++i)
    {
        eye[i] = -(m[i * 4] * m[12] + m[i * 4 + 1] * m[13] + m[i * 4 + 2] * m[14]);
    }
    order.clear();
    away.clear();
    nearest.clear();
    for (std::size_t piece = 0; piece < pieceStarts.size(); ++piece)
    {
        float distance = 0.0f;
        for (std::size_t i = 0; i < 3; ++i)
        {
            const float d = pieceMiddles[piece * 3 + i] - eye[i];
            distance += d * d;
        }
        nearest.emplace_back(distance, static_cast<GLuint>(piece));
    }
    std::sort(nearest.begin(), nearest.end());
    for (const std::pair<float, GLuint>& piece : nearest)
    {
        const std::size_t begin = pieceStarts[piece.second];
        const std::size_t end =
            piece.second + 1 < pieceStarts.size() ? pieceStarts[piece.second + 1] : indices.size();
        for (std::size_t t = begin; t < end; t += 3)
        {
            // The smooth normals of the corners tell the side a triangle
            // shows.
            float facing = 0.0f;
            const GLfloat* first = &data[static_cast<std::size_t>(indices[t]) * kStride];
            for (std::size_t k = 0; k < 3; ++k)
            {
                const GLfloat* n = &data[static_cast<std::size_t>(indices[t + k]) * kStride + 3];
                for (int i = 0; i < 3; ++i)
                {
                    facing += n[i] * (eye[i] - first[i]);
                }
            }
            std::vector<GLuint>& to = facing >= 0.0f ? order : away;
            to.insert(to.end(), {indices[t], indices[t + 1], indices[t + 2]});
        }
    }
    order.insert(order.end(), away.begin(), away.end());
    return order;
}

void cLindenmayerMesh::Draw(GLuint tangentAttribute) const
{
    if (indices.empty())
    {
        return;
    }
    constexpr GLsizei kBytes = kStride * sizeof(GLfloat);
    const GLfloat* base = data.data();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableVertexAttribArray(tangentAttribute);
    glVertexPointer(3, GL_FLOAT, kBytes, base);
    glNormalPointer(GL_FLOAT, kBytes, base + 3);
    glTexCoordPointer(2, GL_FLOAT, kBytes, base + 6);
    glVertexAttribPointer(tangentAttribute, 3, GL_FLOAT, GL_FALSE, kBytes, base + 8);
    const std::vector<GLuint>& facingFirst = FacingFirst();
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(facingFirst.size()), GL_UNSIGNED_INT,
                   facingFirst.data());
    glDisableVertexAttribArray(tangentAttribute);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

} // namespace MivexGL
