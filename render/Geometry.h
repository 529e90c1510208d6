// Generated geometry for the engine: the geodesic sphere built from a
// subdivided icosahedron, and the range-based random numbers the particles
// use. Immediate-mode OpenGL through platform/GL.h; rand from the C runtime.
#pragma once

namespace MivexGL
{

// The twelve corners and twenty faces of the unit icosahedron.
extern const float kIcosahedronVertices[12][3];
extern const int kIcosahedronFaces[20][3];

// Draws the sphere as one GL_TRIANGLES batch: 20 * 4^depth triangles, or
// 20 * 3^depth with holes (the centre triangle of every split is left out).
void DrawSphere(int depth, bool holes, float radius);

// Emits the vertices of one (possibly split) triangle inside an open
// GL_TRIANGLES batch; a, b and c are unit float triples.
void SubdivideTriangle(const float* a, const float* b, const float* c, int depth, float radius,
                       bool holes);

// Normalises the triple in place and returns it; a zero triple stays zero.
float* Normalize(float* v);

// low plus a step of 0.001 drawn from rand (never seeded, so every run gives
// the same sequence); never more than low + 327.67, low for an empty range.
double RandomRange(double low, double high);

} // namespace MivexGL
