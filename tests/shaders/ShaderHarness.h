// GL test harness for the program classes: a hidden GL context shared by the
// process, a float render target nothing is clamped in, float source
// textures, a full-screen quad drawn with any program handle, read-back as
// floats, and transform feedback for vertex stages. CPU-side sampling helpers
// let a test write its reference arithmetic next to the GL result.
#pragma once

#include "platform/GL.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace shadertest
{

struct Rgba
{
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;

    float& operator[](int i) { return i == 0 ? r : i == 1 ? g : i == 2 ? b : a; }
    float operator[](int i) const { return i == 0 ? r : i == 1 ? g : i == 2 ? b : a; }
};

Rgba operator+(const Rgba& x, const Rgba& y);
Rgba operator-(const Rgba& x, const Rgba& y);
Rgba operator*(const Rgba& x, float s);
Rgba operator/(const Rgba& x, float s);
// GLSL mix and clamp to [0, 1], per component.
Rgba Mix(const Rgba& x, const Rgba& y, float t);
Rgba Saturate(const Rgba& x);

// RGBA float image, row 0 at the bottom (texture t near 0), as GL stores it.
struct Image
{
    int width = 0;
    int height = 0;
    std::vector<float> rgba;

    static Image Filled(int width, int height, const Rgba& colour);
    // fn(x, y) gives the texel at column x, row y.
    static Image Generate(int width, int height, const std::function<Rgba(int, int)>& fn);
    // Distinct texels in [0, 1] on every channel, alpha varying too: a
    // source on which any wrong tap or weight shows.
    static Image Varied(int size);

    Rgba At(int x, int y) const;
    void Set(int x, int y, const Rgba& colour);
    // Texture coordinates of the centre of pixel (x, y).
    float U(int x) const { return (static_cast<float>(x) + 0.5f) / static_cast<float>(width); }
    float V(int y) const { return (static_cast<float>(y) + 0.5f) / static_cast<float>(height); }
};

// CPU versions of GL_NEAREST and GL_LINEAR sampling with GL_CLAMP_TO_EDGE.
Rgba SampleNearest(const Image& image, float u, float v);
Rgba SampleLinear(const Image& image, float u, float v);

// Per-pixel comparison; names the first few pixels that differ by more than
// tolerance in any channel.
::testing::AssertionResult ImageNear(const Image& got, const std::function<Rgba(int, int)>& want,
                                     float tolerance);
::testing::AssertionResult RgbaNear(const Rgba& got, const Rgba& want, float tolerance);

// One vertex fed to a vertex stage.
struct Vertex
{
    float position[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float normal[3] = {0.0f, 0.0f, 1.0f};
    float texCoord[2] = {0.0f, 0.0f};
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
};

class ShaderHarness
{
public:
    ShaderHarness() = default;
    ~ShaderHarness();
    ShaderHarness(const ShaderHarness&) = delete;
    ShaderHarness& operator=(const ShaderHarness&) = delete;

    // Makes the shared context current and creates a width x height RGBA32F
    // render target. False (with a reason on standard error) when impossible.
    bool Init(int width = 32, int height = 32);
    int Width() const { return width; }
    int Height() const { return height; }

    // An RGBA32F texture with clamp-to-edge wrapping, owned by the harness.
    GLuint MakeTexture(const Image& image, bool linear = false);

    // Uniform helpers for use inside a setup callback: the program must be
    // current. Names the program lacks are ignored, as GL ignores location -1.
    void BindTexture(GLhandleARB program, const char* sampler, int unit, GLuint texture);
    void Uniform1f(GLhandleARB program, const char* name, float x);
    void Uniform1i(GLhandleARB program, const char* name, int x);
    void Uniform2f(GLhandleARB program, const char* name, float x, float y);
    void Uniform4f(GLhandleARB program, const char* name, float x, float y, float z, float w);

    // Draws one quad over the whole target, corners (-1,-1)..(1,1) with
    // identity matrices, texture coordinates (0,0)..(1,1) on set 0, the given
    // vertex colour and normal (0,0,1). setup runs with the program current.
    // Returns the target read back as floats.
    Image Draw(GLhandleARB program, const std::function<void()>& setup = {},
               const Rgba& vertexColour = {1.0f, 1.0f, 1.0f, 1.0f});

    // Relinks the program to capture the named varyings by transform feedback
    // (rasterisation off), feeds the vertices as points with identity
    // matrices unless setup sets others, and returns the captured floats,
    // interleaved per vertex. Empty on failure.
    std::vector<float> TransformVertices(GLhandleARB program, const std::vector<Vertex>& vertices,
                                         const std::function<void()>& setup = {},
                                         const std::vector<std::string>& varyings = {
                                             "gl_Position"});

private:
    void Release();
    void ResetUnits();

    int width = 0;
    int height = 0;
    GLuint framebuffer = 0;
    GLuint target = 0;
    bool coreFramebuffer = false;
    std::vector<GLuint> textures;
    int highestUnit = -1;
};

} // namespace shadertest
