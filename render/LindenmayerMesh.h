// A Lindenmayer drawing baked into one vertex array: the cylinders and
// spheres of the turtle's walk laid out as the GLU quadrics of
// cLindenmayerSystem::Draw lay them out (normals and texture coordinates
// alike), so a frame draws the whole plant in one call instead of one per
// piece, which a software renderer pays for dearly. Each vertex also carries
// its piece's axis as a tangent. Builds on render/LindenmayerSystem.h; needs
// a GL context only for Draw.
#pragma once

#include "render/LindenmayerSystem.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace MivexGL
{

class cLindenmayerMesh
{
public:
    // Position, normal, texture coordinate and tangent of each vertex.
    static constexpr int kStride = 11;

    // The pieces Draw of the system would draw with these values. Fewer
    // sides suit pieces only a few pixels across: each side is a long thin
    // pair of triangles, which a software renderer pays for by its length.
    void Build(const cLindenmayerSystem& system, float step, float angle, float radius,
               int sides = cLindenmayerSystem::kSlices);
    // Triangles from the current model-view matrix (a rotation and a move),
    // the tangents to the generic attribute given. The triangles that face
    // the eye go first, so the depth test spares shading most of what they
    // hide; the picture is the same. Client arrays are left off.
    void Draw(GLuint tangentAttribute) const;

    std::size_t GetVertexCount() const { return data.size() / kStride; }
    std::size_t GetIndexCount() const { return indices.size(); }
    const std::vector<GLfloat>& GetData() const { return data; }
    // The triangles' indices in the order Draw gives them for the current
    // model-view matrix: those facing the eye first, piece by piece from
    // the nearest piece, so that near twigs hide far ones before these are
    // shaded.
    const std::vector<GLuint>& FacingFirst() const;

private:
    // One vertex through the piece's frame.
    void Add(const cLindenmayerSystem::Frame& frame, const GLfloat* position, const GLfloat* normal,
             GLfloat s, GLfloat t);
    // The triangles of a quad strip between two rings of stored vertices.
    void Strip(GLuint first, GLuint second);

    int slices = cLindenmayerSystem::kSlices;
    std::vector<GLfloat> data;
    std::vector<GLuint> indices;
    // Where each piece's triangles start in indices, and its middle.
    std::vector<GLuint> pieceStarts;
    std::vector<GLfloat> pieceMiddles;
    // Kept between frames so that drawing does not allocate.
    mutable std::vector<GLuint> order;
    mutable std::vector<GLuint> away;
    mutable std::vector<std::pair<float, GLuint>> nearest;
};

} // namespace MivexGL
