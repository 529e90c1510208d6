// Screen-space programs drawn on the GL harness, each compared with a CPU
// version of its arithmetic; vertex-only programs through transform feedback.
#include "shaders/ScreenShaders.h"

#include "ShaderHarness.h"

#include <cmath>
#include <string>
#include <vector>

using namespace MivexGL;
using shadertest::Image;
using shadertest::Rgba;

namespace
{

constexpr int kSize = 16;

Image Source()
{
    return Image::Varied(kSize);
}

// Linear in u and v, so bilinear sampling reproduces it exactly.
Image Gradient(int size)
{
    return Image::Generate(size, size,
                           [size](int x, int y)
                           {
                               float u = (x + 0.5f) / size;
                               float v = (y + 0.5f) / size;
                               return Rgba{u, v, 0.5f * (u + v), 1.0f - 0.5f * u};
                           });
}

template <typename T> bool Build(T& shader)
{
    return shader.InitGLSL() && shader.LoadVertexShader() && shader.LoadFragmentShader();
}

class ScreenTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(harness.Init(kSize, kSize)); }

    shadertest::ShaderHarness harness;
};

// Radial blur -----------------------------------------------------------------

Rgba RadialReference(const Image& source, float u, float v, float cx, float cy, int iterations,
                     float start, float scale, float alpha)
{
    Rgba s;
    for (int i = 0; i < iterations; ++i)
    {
        float k = start + scale * (static_cast<float>(i) / static_cast<float>(iterations - 1));
        s = s + shadertest::SampleLinear(source, (u - cx) * k + cx, (v - cy) * k + cy);
    }
    s = s / static_cast<float>(iterations);
    s.a *= alpha;
    return s;
}

TEST_F(ScreenTest, RadialBlurHoldsConstructionValuesAndSetters)
{
    cRadialBlurShader shader;
    EXPECT_FLOAT_EQ(shader.GetStart(), 1.0f);
    EXPECT_FLOAT_EQ(shader.GetScale(), -0.2f);
    EXPECT_FLOAT_EQ(shader.GetAlpha(), 1.0f);
    EXPECT_EQ(shader.GetIterations(), 16);
    EXPECT_FLOAT_EQ(shader.GetCenter().x, 0.5f);
    EXPECT_FLOAT_EQ(shader.GetCenter().y, 0.5f);
    // The resource set's values.
    shader.SetScale(-0.1f);
    shader.SetStart(1.0f);
    shader.SetIterations(100);
    shader.SetCenter(0.25f, 0.75f);
    EXPECT_FLOAT_EQ(shader.GetScale(), -0.1f);
    EXPECT_EQ(shader.GetIterations(), 100);
    EXPECT_FLOAT_EQ(shader.GetCenter().x, 0.25f);
    EXPECT_FLOAT_EQ(shader.GetCenter().y, 0.75f);
    EXPECT_FLOAT_EQ(shader.GetAlpha(), 1.0f);
}

TEST_F(ScreenTest, RadialBlurWithoutScaleKeepsSourceAndScalesAlpha)
{
    cRadialBlurShader shader;
    ASSERT_TRUE(Build(shader));
    Image source = Source();
    GLuint src = harness.MakeTexture(source);
    shader.SetScale(0.0f);
    shader.SetCenter(0.3f, 0.6f);
    Image out = harness.Draw(shader.GetProgram(),
                             [&]
                             {
                                 harness.BindTexture(shader.GetProgram(), nullptr, 0, src);
                                 shader.Bind();
                                 // Alpha has no setter; send it directly.
                                 harness.Uniform1f(shader.GetProgram(), "alpha", 0.5f);
                             });
    EXPECT_TRUE(shadertest::ImageNear(
        out,
        [&](int x, int y)
        {
            Rgba s = source.At(x, y);
            s.a *= 0.5f;
            return s;
        },
        1e-6f));
}

TEST_F(ScreenTest, RadialBlurAveragesZoomFactorsFromStartToStartPlusScale)
{
    Image source = Gradient(64);
    GLuint src = harness.MakeTexture(source, true);
    struct Case
    {
        cRadialBlurShader::Taps taps;
        int iterations;
        int averaged;
    };
    // Eight built-in taps average eight whatever the uniform says.
    for (const Case& c : {Case{cRadialBlurShader::kTapsFromIterations, 2, 2},
                          Case{cRadialBlurShader::kTapsFromIterations, 16, 16},
                          Case{cRadialBlurShader::kEightTaps, 2, 8}})
    {
        cRadialBlurShader shader(c.taps);
        ASSERT_TRUE(Build(shader));
        shader.SetIterations(c.iterations);
        shader.SetStart(1.2f);
        shader.SetScale(-0.5f);
        shader.SetCenter(0.3f, 0.6f);
        Image out = harness.Draw(shader.GetProgram(),
                                 [&]
                                 {
                                     harness.BindTexture(shader.GetProgram(), nullptr, 0, src);
                                     shader.Bind();
                                 });
        EXPECT_TRUE(shadertest::ImageNear(
            out,
            [&](int x, int y) {
                return RadialReference(source, out.U(x), out.V(y), 0.3f, 0.6f, c.averaged, 1.2f,
                                       -0.5f, 1.0f);
            },
            1e-4f))
            << c.iterations << " iterations, " << c.averaged << " averaged";
    }
}

TEST_F(ScreenTest, RadialBlurKeepsThePixelAtTheCentre)
{
    cRadialBlurShader shader;
    ASSERT_TRUE(Build(shader));
    Image source = Source();
    GLuint src = harness.MakeTexture(source);
    // Centre on the middle of pixel (5, 9); strong zoom everywhere else.
    shader.SetCenter(5.5f / kSize, 9.5f / kSize);
    shader.SetScale(-0.9f);
    Image out = harness.Draw(shader.GetProgram(),
                             [&]
                             {
                                 harness.BindTexture(shader.GetProgram(), nullptr, 0, src);
                                 shader.Bind();
                                 harness.Uniform1f(shader.GetProgram(), "alpha", 0.25f);
                             });
    Rgba want = source.At(5, 9);
    want.a *= 0.25f;
    EXPECT_TRUE(shadertest::RgbaNear(out.At(5, 9), want, 1e-6f));
}

TEST_F(ScreenTest, RadialBlurBelowTwoIterationsStaysFinite)
{
    cRadialBlurShader shader;
    ASSERT_TRUE(Build(shader));
    Image source = Source();
    GLuint src = harness.MakeTexture(source);
    shader.SetScale(0.0f);
    shader.SetIterations(1);
    Image out = harness.Draw(shader.GetProgram(),
                             [&]
                             {
                                 harness.BindTexture(shader.GetProgram(), nullptr, 0, src);
                                 shader.Bind();
                             });
    EXPECT_TRUE(shadertest::ImageNear(
        out, [&](int x, int y) { return source.At(x, y); }, 1e-6f));
}

// Depth of field --------------------------------------------------------------

Rgba DepthReference(const Rgba& a, const Rgba& b, float d, const float p[4], float amount)
{
    float z = (-p[2] * p[3]) / (d - p[3]);
    float w = std::fmin(std::fmax(std::fabs(z - p[0]) / p[1], 0.0f), 1.0f) - amount;
    if (w <= 0.0f)
    {
        w = 0.0f;
    }
    Rgba o = shadertest::Mix(a, b, w);
    o.a = 1.0f;
    return o;
}

class DepthTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        ASSERT_TRUE(Build(shader));
        sharp = Source();
        blurred = Image::Generate(kSize, kSize,
                                  [](int x, int y) {
                                      return Rgba{1.0f - y / 15.0f, 0.5f, x / 30.0f, 0.1f};
                                  });
        // Depth ramp across x; z = 1 and w = 2 turn d into 2 / (2 - d).
        depthImage = Image::Generate(kSize, kSize,
                                     [](int x, int) {
                                         return Rgba{x / 15.0f, 0.0f, 0.0f, 1.0f};
                                     });
    }

    Image Draw(const float params[4], float amount)
    {
        GLuint a = harness.MakeTexture(sharp);
        GLuint b = harness.MakeTexture(blurred);
        GLuint d = harness.MakeTexture(depthImage);
        GLhandleARB p = shader.GetProgram();
        return harness.Draw(p,
                            [&]
                            {
                                harness.BindTexture(p, "sampler0", 0, a);
                                harness.BindTexture(p, "blur", 1, b);
                                harness.BindTexture(p, "depth", 2, d);
                                harness.Uniform4f(p, "vSParams", params[0], params[1], params[2],
                                                  params[3]);
                                harness.Uniform1f(p, "fDoFAmnt", amount);
                            });
    }

    ::testing::AssertionResult MatchesReference(const float params[4], float amount)
    {
        Image out = Draw(params, amount);
        return shadertest::ImageNear(
            out,
            [&](int x, int y) {
                return DepthReference(sharp.At(x, y), blurred.At(x, y), depthImage.At(x, y).r,
                                      params, amount);
            },
            1e-5f);
    }

    cDepthOfFieldShader shader;
    Image sharp;
    Image blurred;
    Image depthImage;
};

TEST_F(DepthTest, BlendsByDistanceFromFocusWithOpaqueAlpha)
{
    const float params[4] = {1.5f, 0.4f, 1.0f, 2.0f};
    EXPECT_TRUE(MatchesReference(params, 0.0f));
    EXPECT_TRUE(MatchesReference(params, 0.25f));
}

TEST_F(DepthTest, InFocusPixelIsSharp)
{
    // Column 5 lies at depth 1/3, distance 2 / (2 - 1/3) = 1.2.
    const float params[4] = {1.2f, 0.1f, 1.0f, 2.0f};
    Image out = Draw(params, 0.0f);
    for (int y = 0; y < kSize; ++y)
    {
        Rgba want = sharp.At(5, y);
        want.a = 1.0f;
        EXPECT_TRUE(shadertest::RgbaNear(out.At(5, y), want, 1e-4f)) << y;
    }
}

TEST_F(DepthTest, AmountOfOneOrMoreKeepsEverythingSharp)
{
    const float params[4] = {1.0f, 0.01f, 1.0f, 2.0f};
    for (float amount : {1.0f, 3.0f})
    {
        Image out = Draw(params, amount);
        EXPECT_TRUE(shadertest::ImageNear(
            out,
            [&](int x, int y)
            {
                Rgba s = sharp.At(x, y);
                s.a = 1.0f;
                return s;
            },
            0.0f));
    }
}

TEST_F(DepthTest, NegativeAmountBlursBeyondTheFullWeight)
{
    // No upper clamp after the subtraction: weights run up to 1.3.
    const float params[4] = {1.5f, 0.4f, 1.0f, 2.0f};
    EXPECT_TRUE(MatchesReference(params, -0.3f));
    Image out = Draw(params, -0.3f);
    // Column 0 is in full blur (distance 1, 0.5 from focus), weight 1.3.
    Rgba want = sharp.At(0, 3) + (blurred.At(0, 3) - sharp.At(0, 3)) * 1.3f;
    want.a = 1.0f;
    EXPECT_TRUE(shadertest::RgbaNear(out.At(0, 3), want, 1e-5f));
}

TEST_F(DepthTest, BindSendsFocusAndDepthRangeOfTheProjection)
{
    // Depth-buffer values of eye distances 10 and 40 for near 0.1, far 100.
    auto depthOf = [](float distance)
    {
        const float n = 0.1f;
        const float f = 100.0f;
        return (f / (f - n)) * (1.0f - n / distance);
    };
    depthImage = Image::Generate(kSize, kSize,
                                 [&](int x, int)
                                 {
                                     float d = depthOf(x < 8 ? 10.0f : 40.0f);
                                     return Rgba{d, 0.0f, 0.0f, 1.0f};
                                 });
    shader.SetFocus(10.0f, 5.0f);
    shader.SetDepthRange(0.1f, 100.0f);
    shader.SetSamplerUnits(3, 4, 5);
    GLuint a = harness.MakeTexture(sharp);
    GLuint b = harness.MakeTexture(blurred);
    GLuint d = harness.MakeTexture(depthImage);
    Image out = harness.Draw(shader.GetProgram(),
                             [&]
                             {
                                 harness.BindTexture(shader.GetProgram(), nullptr, 3, a);
                                 harness.BindTexture(shader.GetProgram(), nullptr, 4, b);
                                 harness.BindTexture(shader.GetProgram(), nullptr, 5, d);
                                 shader.Bind();
                             });
    EXPECT_TRUE(shadertest::ImageNear(
        out,
        [&](int x, int y)
        {
            Rgba s = x < 8 ? sharp.At(x, y) : blurred.At(x, y);
            s.a = 1.0f;
            return s;
        },
        1e-3f));
}

// Distortion ------------------------------------------------------------------

float SmoothStep(float e0, float e1, float x)
{
    float t = std::fmin(std::fmax((x - e0) / (e1 - e0), 0.0f), 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

Rgba DistortReference(const Image& source, float u, float v, float n, const float p[4], float alpha)
{
    float cx = 2.0f * u - 1.0f;
    float cy = 2.0f * v - 1.0f;
    float r = std::sqrt(cx * cx + cy * cy);
    float phi = std::atan2(cy, cx);
    if (n == 0.0f)
        r = std::pow(r, p[0] / p[1]) * p[2];
    if (n == 1.0f)
        phi = phi + (p[0] - SmoothStep(p[1], p[2], r)) * p[2];
    if (n == 2.0f && r > p[0])
        r = p[0];
    if (n == 3.0f)
        r = r * SmoothStep(p[0], p[1], r);
    if (n == 4.0f)
        r = p[0] * r - r * SmoothStep(p[1], p[2], r);
    if (n == 5.0f)
        r = r * r / std::sqrt(p[0]);
    if (n == 6.0f)
    {
        float* c[2] = {&cx, &cy};
        for (float* ci : c)
        {
            float s = *ci > 0.0f ? 1.0f : (*ci < 0.0f ? -1.0f : 0.0f);
            float a = std::fabs(*ci);
            *ci = s * (p[0] * a + p[1] * SmoothStep(p[2], p[3], a) * a);
        }
    }
    if (n < 6.0f)
    {
        cx = r * std::cos(phi);
        cy = r * std::sin(phi);
    }
    if (n == 10.0f)
        cx = cx + (std::sin(cy * p[0]) / p[1]) * p[2];
    if (n == 8.0f)
        cx = std::fabs(cx);
    Rgba k = shadertest::SampleLinear(source, cx / 2.0f + 0.5f, cy / 2.0f + 0.5f);
    if (n == 9.0f)
    {
        float g = (k.r + k.g + k.b) / 3.0f;
        float band = (g >= p[0] && g <= p[1]) ? 1.0f : 0.0f;
        k = shadertest::Mix(k, Rgba{band, band, band, 1.0f}, p[2]);
    }
    k.a = alpha;
    return k;
}

class DistortTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        ASSERT_TRUE(Build(shader));
    }

    Image Draw(const Image& source, bool linear, int n, const float p[4], float alpha)
    {
        GLuint src = harness.MakeTexture(source, linear);
        shader.SetProgram(n);
        shader.SetParameters(p[0], p[1], p[2], p[3]);
        shader.SetAlpha(alpha);
        return harness.Draw(shader.GetProgram(),
                            [&]
                            {
                                harness.BindTexture(shader.GetProgram(), nullptr, 0, src);
                                shader.Bind();
                            });
    }

    cDistortShader shader;
};

TEST_F(DistortTest, EveryProgramMatchesItsReference)
{
    const Image source = Gradient(64);
    const float params[11][4] = {
        {2.0f, 1.0f, 0.8f, 0.0f},   {0.5f, 0.2f, 0.9f, 0.0f}, {0.6f, 0.0f, 0.0f, 0.0f},
        {0.1f, 0.9f, 0.0f, 0.0f},   {1.2f, 0.3f, 1.0f, 0.0f}, {2.0f, 0.0f, 0.0f, 0.0f},
        {0.7f, 0.5f, 0.2f, 0.8f},   {0.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f, 0.0f},
        {0.31f, 0.62f, 0.5f, 0.0f}, {6.0f, 2.0f, 0.3f, 0.0f}};
    for (int n = 0; n <= 10; ++n)
    {
        Image out = Draw(source, true, n, params[n], 0.75f);
        EXPECT_TRUE(shadertest::ImageNear(
            out,
            [&](int x, int y) {
                return DistortReference(source, out.U(x), out.V(y), static_cast<float>(n),
                                        params[n], 0.75f);
            },
            1e-3f))
            << "program " << n;
    }
}

TEST_F(DistortTest, ClampedRadiusTakesTheColourOnTheCircle)
{
    const Image source = Gradient(64);
    const float p[4] = {1.0f, 0.0f, 0.0f, 0.0f};
    Image out = Draw(source, true, 2, p, 1.0f);
    // Corner pixel: outside the inscribed circle, sampled where its ray meets it.
    float cx = 2.0f * out.U(kSize - 1) - 1.0f;
    float cy = 2.0f * out.V(kSize - 1) - 1.0f;
    float r = std::sqrt(cx * cx + cy * cy);
    Rgba want = shadertest::SampleLinear(source, cx / r / 2.0f + 0.5f, cy / r / 2.0f + 0.5f);
    want.a = 1.0f;
    EXPECT_TRUE(shadertest::RgbaNear(out.At(kSize - 1, kSize - 1), want, 1e-3f));
}

TEST_F(DistortTest, MirrorCopiesTheRightHalfToTheLeft)
{
    const float p[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    Image out = Draw(Source(), false, 8, p, 1.0f);
    EXPECT_TRUE(shadertest::ImageNear(
        out, [&](int x, int y) { return out.At(kSize - 1 - x, y); }, 0.0f));
    // The right half is sampled where it stands.
    Rgba right = Source().At(12, 4);
    right.a = 1.0f;
    EXPECT_TRUE(shadertest::RgbaNear(out.At(12, 4), right, 0.0f));
}

TEST_F(DistortTest, GreyBandWeightZeroKeepsColourWeightOneThresholds)
{
    Image source = Source();
    const float keep[4] = {0.31f, 0.62f, 0.0f, 0.0f};
    Image out = Draw(source, false, 9, keep, 0.4f);
    EXPECT_TRUE(shadertest::ImageNear(
        out,
        [&](int x, int y)
        {
            Rgba s = source.At(x, y);
            s.a = 0.4f;
            return s;
        },
        0.0f));

    const float band[4] = {0.31f, 0.62f, 1.0f, 0.0f};
    out = Draw(source, false, 9, band, 0.4f);
    EXPECT_TRUE(shadertest::ImageNear(
        out,
        [&](int x, int y)
        {
            Rgba s = source.At(x, y);
            float g = (s.r + s.g + s.b) / 3.0f;
            float v = (g >= 0.31f && g <= 0.62f) ? 1.0f : 0.0f;
            return Rgba{v, v, v, 0.4f};
        },
        0.0f));
}

TEST_F(DistortTest, UnknownProgramLeavesImageInPlace)
{
    Image source = Source();
    const float p[4] = {3.0f, 0.5f, 2.0f, 1.0f};
    for (int n : {7, 11, -1})
    {
        Image out = Draw(source, false, n, p, 1.0f);
        EXPECT_TRUE(shadertest::ImageNear(
            out,
            [&](int x, int y)
            {
                Rgba s = source.At(x, y);
                s.a = 1.0f;
                return s;
            },
            1e-6f))
            << "program " << n;
    }
}

// Wipe mask -------------------------------------------------------------------

TEST(WipeMaskTest, OpaqueBelowTheEdgeClearAboveSoftBetween)
{
    shadertest::ShaderHarness harness;
    const int rows = 100;
    ASSERT_TRUE(harness.Init(2, rows));
    cWipeMaskShader shader;
    ASSERT_TRUE(Build(shader));
    // Rows 49, 50 and 51 have their centres at lo, the edge and hi.
    shader.SetBlurFactor(0.505f);
    Image out = harness.Draw(shader.GetProgram(), [&] { shader.Bind(); });
    EXPECT_TRUE(shadertest::RgbaNear(out.At(0, 49), {0.0f, 0.0f, 0.0f, 1.0f}, 1e-4f));
    EXPECT_TRUE(shadertest::RgbaNear(out.At(1, 50), {0.0f, 0.0f, 0.0f, 0.5f}, 1e-4f));
    EXPECT_TRUE(shadertest::RgbaNear(out.At(0, 51), {0.0f, 0.0f, 0.0f, 0.0f}, 1e-4f));
    EXPECT_TRUE(shadertest::ImageNear(
        out,
        [&](int, int y)
        {
            float a = y < 49 ? 1.0f : y > 51 ? 0.0f : out.At(0, y).a;
            return Rgba{0.0f, 0.0f, 0.0f, a};
        },
        0.0f));

    // Between the rows the band follows u^2 (3 - 2u).
    shader.SetBlurFactor(0.5f);
    out = harness.Draw(shader.GetProgram(), [&] { shader.Bind(); });
    float y = out.V(50);
    float u = (0.51f - y) / 0.02f;
    EXPECT_NEAR(out.At(0, 50).a, u * u * (3.0f - 2.0f * u), 1e-4f);
}

// Wobble ----------------------------------------------------------------------

std::vector<shadertest::Vertex> WobbleVertices()
{
    std::vector<shadertest::Vertex> vertices;
    const float normals[][3] = {{0.0f, 0.0f, 1.0f},     {0.6f, 0.8f, 0.0f},
                                {0.3f, -0.5f, 0.8124f}, {-0.577f, 0.577f, 0.577f},
                                {0.1f, 0.2f, 0.9747f},  {0.9f, -0.3f, 0.3162f}};
    int i = 0;
    for (const auto& n : normals)
    {
        shadertest::Vertex v;
        v.position[0] = 0.1f * i;
        v.position[1] = -0.2f * i;
        v.position[2] = 0.05f * i;
        v.normal[0] = n[0];
        v.normal[1] = n[1];
        v.normal[2] = n[2];
        v.texCoord[0] = 0.25f * i;
        v.texCoord[1] = 1.0f - 0.1f * i;
        vertices.push_back(v);
        ++i;
    }
    return vertices;
}

float WobbleOffset(const float n[3], float t)
{
    float freqx = 5.0f + std::sin(t * t) * 10.0f;
    float freqy = 5.0f + std::sin(1.8f * t * t) * 10.0f;
    float freqz = 5.0f + std::sin(1.1f * t * t) * 10.0f;
    float amp = 0.001f + 0.3f * std::sin(1.4f * t * t);
    return amp * std::sin(n[0] * freqx + t) * std::sin(n[1] * freqy + t) *
           std::sin(n[2] * freqz + t);
}

TEST_F(ScreenTest, WobbleMovesVerticesAlongTheirNormals)
{
    cWobbleShader shader;
    ASSERT_TRUE(shader.InitGLSL());
    ASSERT_TRUE(shader.LoadVertexShader());
    ASSERT_TRUE(shader.LoadFragmentShader());
    std::vector<shadertest::Vertex> vertices = WobbleVertices();
    for (float t : {0.0f, 0.7f, 2.3f})
    {
        shader.SetTime(t);
        std::vector<float> got = harness.TransformVertices(
            shader.GetProgram(), vertices, [&] { shader.Bind(); }, {"gl_Position", "texCoords"});
        ASSERT_EQ(got.size(), vertices.size() * 6);
        for (size_t i = 0; i < vertices.size(); ++i)
        {
            const shadertest::Vertex& v = vertices[i];
            const float* g = &got[i * 6];
            float f = WobbleOffset(v.normal, t);
            for (int c = 0; c < 3; ++c)
            {
                float moved = g[c] - v.position[c];
                EXPECT_NEAR(moved, v.normal[c] * f, 2e-5f) << "t " << t << " vertex " << i;
                if (t == 0.0f)
                {
                    EXPECT_LE(std::fabs(moved), 0.001f + 1e-6f);
                }
            }
            EXPECT_FLOAT_EQ(g[3], 1.0f);
            EXPECT_FLOAT_EQ(g[4], v.texCoord[0]);
            EXPECT_FLOAT_EQ(g[5], v.texCoord[1]);
        }
    }
}

TEST_F(ScreenTest, WobbleDrawsWithTheInheritedColourStage)
{
    cWobbleShader shader;
    ASSERT_TRUE(shader.InitGLSL());
    ASSERT_TRUE(shader.LoadVertexShader());
    ASSERT_TRUE(shader.LoadFragmentShader());
    Image out = harness.Draw(shader.GetProgram(), [&] { shader.Bind(); });
    EXPECT_TRUE(shadertest::RgbaNear(out.At(8, 8), {0.0f, 1.0f, 1.0f, 1.0f}, 1e-6f));
}

// Pass-through-only classes ---------------------------------------------------

template <typename T> void CheckPassThrough(shadertest::ShaderHarness& harness, const char* name)
{
    T shader;
    ASSERT_TRUE(shader.InitGLSL()) << name;
    ASSERT_TRUE(shader.LoadVertexShader()) << name;
    ASSERT_TRUE(shader.LoadFragmentShader()) << name;
    std::vector<shadertest::Vertex> vertices = WobbleVertices();
    std::vector<float> got = harness.TransformVertices(shader.GetProgram(), vertices,
                                                       []
                                                       {
                                                           glMatrixMode(GL_MODELVIEW);
                                                           glTranslatef(0.5f, -0.25f, 2.0f);
                                                           glScalef(2.0f, 2.0f, 2.0f);
                                                       },
                                                       {"gl_Position", "texCoords"});
    ASSERT_EQ(got.size(), vertices.size() * 6) << name;
    for (size_t i = 0; i < vertices.size(); ++i)
    {
        const shadertest::Vertex& v = vertices[i];
        const float* g = &got[i * 6];
        EXPECT_NEAR(g[0], 2.0f * v.position[0] + 0.5f, 1e-6f) << name;
        EXPECT_NEAR(g[1], 2.0f * v.position[1] - 0.25f, 1e-6f) << name;
        EXPECT_NEAR(g[2], 2.0f * v.position[2] + 2.0f, 1e-6f) << name;
        EXPECT_FLOAT_EQ(g[4], v.texCoord[0]) << name;
        EXPECT_FLOAT_EQ(g[5], v.texCoord[1]) << name;
    }
}

TEST_F(ScreenTest, PassThroughClassesTransformAndHandOnTexCoords)
{
    CheckPassThrough<cImageShader>(harness, "cImageShader");
    CheckPassThrough<cScreenShader>(harness, "cScreenShader");
    CheckPassThrough<cOverlayShader>(harness, "cOverlayShader");
    CheckPassThrough<cBackdropShader>(harness, "cBackdropShader");
}

// Locations -------------------------------------------------------------------

template <typename T>
void CheckLocations(const std::vector<std::string>& names, const std::vector<bool>& active)
{
    T shader;
    ASSERT_EQ(static_cast<size_t>(T::kSlotCount), names.size());
    for (int i = 0; i < T::kSlotCount; ++i)
    {
        EXPECT_EQ(T::kUniformNames[i], names[i]);
        EXPECT_EQ(shader.GetLocation(i), -1);
    }
    ASSERT_TRUE(Build(shader));
    for (int i = 0; i < T::kSlotCount; ++i)
    {
        if (active[i])
        {
            EXPECT_GE(shader.GetLocation(i), 0) << names[i];
        }
        else
        {
            EXPECT_EQ(shader.GetLocation(i), -1) << names[i];
        }
        EXPECT_EQ(shader.GetLocation(i),
                  glGetUniformLocationARB(shader.GetProgram(), names[i].c_str()));
    }
}

TEST_F(ScreenTest, EveryClassRecordsItsNamesInOrder)
{
    CheckLocations<cRadialBlurShader>(
        {"sampler0", "center", "iterations", "start", "scale", "alpha"},
        {true, true, true, true, true, true});
    CheckLocations<cDepthOfFieldShader>({"sampler0", "blur", "depth", "vSParams", "fDoFAmnt"},
                                        {true, true, true, true, true});
    CheckLocations<cDistortShader>({"sampler", "distortProgram", "PSParameters", "alpha"},
                                   {true, true, true, true});
    // sampler0 is declared but never read.
    CheckLocations<cWipeMaskShader>({"sampler0", "BlurFactor"}, {false, true});
}

} // namespace
