// Small additions to the shared harness for the lighting and crystal program
// tests: building a program class through its loaders, a one-texel-per-face
// cube map, and a projection that keeps clip z at 0 for a far-away quad.
#pragma once

#include "ShaderHarness.h"

#include <cmath>

namespace programtest
{

using shadertest::Rgba;

// Runs the owner's calling order; true when every step succeeded.
template <typename Shader> bool Build(Shader& shader)
{
    return shader.InitGLSL() && shader.LoadVertexShader() && shader.LoadFragmentShader();
}

// Cube map with one float texel per face, in the order +X, -X, +Y, -Y, +Z, -Z.
class CubeMap
{
public:
    explicit CubeMap(const Rgba (&faces)[6])
    {
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_CUBE_MAP, texture);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        for (int i = 0; i < 6; ++i)
        {
            const float texel[4] = {faces[i].r, faces[i].g, faces[i].b, faces[i].a};
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(i), 0, GL_RGBA32F_ARB,
                         1, 1, 0, GL_RGBA, GL_FLOAT, texel);
        }
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
    explicit CubeMap(const Rgba& all) : CubeMap({all, all, all, all, all, all}) {}
    ~CubeMap()
    {
        if (texture != 0)
        {
            glDeleteTextures(1, &texture);
        }
    }
    CubeMap(const CubeMap&) = delete;
    CubeMap& operator=(const CubeMap&) = delete;

    // The harness only unbinds 2D textures, so the draw's setup binds and
    // the test unbinds.
    void Bind(int unit) const
    {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        glBindTexture(GL_TEXTURE_CUBE_MAP, texture);
        glActiveTexture(GL_TEXTURE0);
    }
    static void Unbind(int unit)
    {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
        glActiveTexture(GL_TEXTURE0);
    }

private:
    GLuint texture = 0;
};

// Projection that passes x, y and w through and flattens z to 0, so a quad
// pushed far down -z still fills the target.
inline void LoadFlatProjection()
{
    const GLfloat m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(m);
    glMatrixMode(GL_MODELVIEW);
}

// Normalised device coordinate of the centre of pixel i out of n.
inline float PixelCentre(int i, int n)
{
    return 2.0f * (static_cast<float>(i) + 0.5f) / static_cast<float>(n) - 1.0f;
}

struct Vec3
{
    float x, y, z;
};

inline Vec3 operator+(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, float s)
{
    return {a.x * s, a.y * s, a.z * s};
}
inline float Dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Normalize(Vec3 a)
{
    return a * (1.0f / std::sqrt(Dot(a, a)));
}

} // namespace programtest
