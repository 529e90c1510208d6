// Geodesic sphere and RandomRange. The sphere is regenerated on every call in
// immediate mode; it is small enough (1280 triangles at depth 3) not to need
// a display list.
#include "render/Geometry.h"

#include "platform/GL.h"

#include <climits>
#include <cmath>
#include <cstdlib>

namespace MivexGL
{

namespace
{

constexpr float X = 0.525731112119133606f;
constexpr float Z = 0.850650808352039932f;

void EmitVertex(const float* v, float radius)
{
    glNormal3fv(v);
    glTexCoord2f(v[0], v[1]);
    glVertex3f(radius * v[0], radius * v[1], radius * v[2]);
}

void Midpoint(const float* p, const float* q, float* out)
{
    out[0] = (p[0] + q[0]) / 2.0f;
    out[1] = (p[1] + q[1]) / 2.0f;
    out[2] = (p[2] + q[2]) / 2.0f;
    Normalize(out);
}

} // namespace

const float kIcosahedronVertices[12][3] = {
    {-X, 0.0f, Z}, {X, 0.0f, Z},   {-X, 0.0f, -Z}, {X, 0.0f, -Z}, {0.0f, Z, X},  {0.0f, Z, -X},
    {0.0f, -Z, X}, {0.0f, -Z, -X}, {Z, X, 0.0f},   {-Z, X, 0.0f}, {Z, -X, 0.0f}, {-Z, -X, 0.0f}};

const int kIcosahedronFaces[20][3] = {{0, 4, 1},  {0, 9, 4},  {9, 5, 4},  {4, 5, 8},  {4, 8, 1},
                                      {8, 10, 1}, {8, 3, 10}, {5, 3, 8},  {5, 2, 3},  {2, 7, 3},
                                      {7, 10, 3}, {7, 6, 10}, {7, 11, 6}, {11, 0, 6}, {0, 1, 6},
                                      {6, 1, 10}, {9, 0, 11}, {9, 11, 2}, {9, 2, 5},  {7, 2, 11}};

float* Normalize(float* v)
{
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    // A zero triple has no direction; dividing would fill it with NaNs.
    if (length == 0.0f)
    {
        return v;
    }
    v[0] /= length;
    v[1] /= length;
    v[2] /= length;
    return v;
}

void SubdivideTriangle(const float* a, const float* b, const float* c, int depth, float radius,
                       bool holes)
{
    if (depth > 0)
    {
        float ab[3];
        float ac[3];
        float bc[3];
        Midpoint(a, b, ab);
        Midpoint(a, c, ac);
        Midpoint(b, c, bc);
        SubdivideTriangle(a, ab, ac, depth - 1, radius, holes);
        SubdivideTriangle(b, bc, ab, depth - 1, radius, holes);
        SubdivideTriangle(c, ac, bc, depth - 1, radius, holes);
        if (!holes)
        {
            SubdivideTriangle(ab, bc, ac, depth - 1, radius, holes);
        }
        return;
    }
    EmitVertex(a, radius);
    EmitVertex(b, radius);
    EmitVertex(c, radius);
}

void DrawSphere(int depth, bool holes, float radius)
{
    glBegin(GL_TRIANGLES);
    for (const auto& face : kIcosahedronFaces)
    {
        SubdivideTriangle(kIcosahedronVertices[face[0]], kIcosahedronVertices[face[1]],
                          kIcosahedronVertices[face[2]], depth, radius, holes);
    }
    glEnd();
}

double RandomRange(double low, double high)
{
    const double span = (high - low) * 1000.0;
    // Out-of-range doubles have no int value; clamp a huge (or NaN) span.
    int range = 0;
    if (span >= static_cast<double>(INT_MAX))
    {
        range = INT_MAX;
    }
    else if (span <= static_cast<double>(INT_MIN))
    {
        range = INT_MIN + 1;
    }
    else if (span == span)
    {
        range = static_cast<int>(span);
    }
    if (range == 0)
    {
        return low;
    }
    // The arithmetic assumes a 15-bit rand (0..32767). Scale a wider
    // RAND_MAX down to that, or r * 10 overflows and the bound is lost.
    const int r = std::rand() / (RAND_MAX / 32768 + 1);
    return low + static_cast<double>((r * 10) % range) / 1000.0;
}

} // namespace MivexGL
