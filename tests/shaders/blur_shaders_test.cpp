// Blur-map and disc blur programs drawn on the GL harness and compared with
// the same arithmetic on the CPU.
#include "shaders/BlurShaders.h"

#include "ShaderHarness.h"

#include "render/ShaderSeams.h"

#include <cmath>

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

class BlurTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(harness.Init(kSize, kSize)); }

    bool BuildGaussian(cGaussianMapShader& shader)
    {
        return shader.InitGLSL() && shader.LoadVertexShader() &&
               shader.LoadBlurMapProgram(static_cast<float>(kSize), static_cast<float>(kSize));
    }
    bool BuildDisc(cDiscBlurShader& shader)
    {
        return shader.InitGLSL() && shader.LoadVertexShader() && shader.LoadFragmentShader();
    }

    // Blur-map program drawn with explicit uniform values.
    Image DrawGaussian(const cGaussianMapShader& shader, const Image& source, const Image& map,
                       float blurFactor, float bloom, float alpha)
    {
        GLuint src = harness.MakeTexture(source);
        GLuint mapTexture = harness.MakeTexture(map);
        GLhandleARB p = shader.GetProgram();
        return harness.Draw(p,
                            [&]
                            {
                                harness.BindTexture(p, "sampler0", 0, src);
                                harness.BindTexture(p, "sampler1", 1, mapTexture);
                                harness.Uniform1f(p, "BlurFactor", blurFactor);
                                harness.Uniform1f(p, "width", static_cast<float>(kSize));
                                harness.Uniform1f(p, "height", static_cast<float>(kSize));
                                harness.Uniform1f(p, "bloom", bloom);
                                harness.Uniform1f(p, "alpha", alpha);
                            });
    }

    shadertest::ShaderHarness harness;
};

// The nine-tap blur, bloom level, alpha factor and map blend, per pixel.
Rgba GaussianReference(const Image& source, const Image& map, int x, int y, float blurFactor,
                       float bloom, float alpha)
{
    const float weights[3][3] = {{1, 2, 1}, {2, 4, 2}, {1, 2, 1}};
    float sw = (1.0f / kSize) * blurFactor;
    float sh = (1.0f / kSize) * blurFactor;
    float u = source.U(x);
    float v = source.V(y);
    Rgba b;
    for (int j = -1; j <= 1; ++j)
    {
        for (int i = -1; i <= 1; ++i)
        {
            b = b + shadertest::SampleNearest(source, u + i * sw, v + j * sh) *
                        (weights[j + 1][i + 1] / 16.0f);
        }
    }
    b = shadertest::Saturate((b - Rgba{bloom, bloom, bloom, bloom}) / (1.0f - bloom));
    b.a = alpha * b.a;
    Rgba o = shadertest::SampleNearest(source, u, v);
    float w = shadertest::SampleNearest(map, u, v).r;
    return shadertest::Mix(o, b, w);
}

TEST_F(BlurTest, GaussianBlackMapLeavesSourceExactly)
{
    cGaussianMapShader shader;
    ASSERT_TRUE(BuildGaussian(shader));
    Image source = Source();
    Image out = DrawGaussian(shader, source, Image::Filled(kSize, kSize, {}), 1.0f, 0.5f, 0.3f);
    EXPECT_TRUE(shadertest::ImageNear(
        out, [&](int x, int y) { return source.At(x, y); }, 0.0f));
}

TEST_F(BlurTest, GaussianMatchesReferenceWithPerPixelMap)
{
    cGaussianMapShader shader;
    ASSERT_TRUE(BuildGaussian(shader));
    Image source = Source();
    // Weight grows left to right; the right column is fully blurred.
    Image map = Image::Generate(kSize, kSize,
                                [](int x, int) {
                                    return Rgba{x / 15.0f, 0.0f, 0.0f, 1.0f};
                                });
    // One-texel steps, so every tap lands on a neighbouring texel centre.
    Image out = DrawGaussian(shader, source, map, 1.0f, 0.0f, 0.5f);
    EXPECT_TRUE(shadertest::ImageNear(
        out, [&](int x, int y) { return GaussianReference(source, map, x, y, 1.0f, 0.0f, 0.5f); },
        1e-5f));

    // Two-texel steps with a bloom level.
    out = DrawGaussian(shader, source, map, 2.0f, 0.2f, 1.0f);
    EXPECT_TRUE(shadertest::ImageNear(
        out, [&](int x, int y) { return GaussianReference(source, map, x, y, 2.0f, 0.2f, 1.0f); },
        1e-5f));
}

TEST_F(BlurTest, GaussianBloomLevelRescalesAboveTheLevel)
{
    cGaussianMapShader shader;
    ASSERT_TRUE(BuildGaussian(shader));
    // Zero spread: every tap is the centre texel, so the level acts on it alone.
    Image source = Image::Generate(kSize, kSize,
                                   [](int x, int)
                                   {
                                       const float levels[4] = {0.5f, 1.0f, 0.25f, 0.75f};
                                       float l = levels[x % 4];
                                       return Rgba{l, l, l, 1.0f};
                                   });
    Image white = Image::Filled(kSize, kSize, {1.0f, 1.0f, 1.0f, 1.0f});
    Image out = DrawGaussian(shader, source, white, 0.0f, 0.5f, 1.0f);
    const float expected[4] = {0.0f, 1.0f, 0.0f, 0.5f};
    EXPECT_TRUE(shadertest::ImageNear(
        out,
        [&](int x, int)
        {
            float e = expected[x % 4];
            return Rgba{e, e, e, 1.0f};
        },
        1e-6f));
}

TEST_F(BlurTest, GaussianZeroSpreadGivesCentreTexelClamped)
{
    cGaussianMapShader shader;
    ASSERT_TRUE(BuildGaussian(shader));
    // Values above 1 show the level's clamp; the rest pass unchanged.
    Image source = Image::Generate(kSize, kSize,
                                   [](int x, int y) {
                                       return Rgba{x / 15.0f, 2.0f * y / 15.0f, 0.5f, 0.75f};
                                   });
    Image white = Image::Filled(kSize, kSize, {1.0f, 1.0f, 1.0f, 1.0f});
    Image out = DrawGaussian(shader, source, white, 0.0f, 0.0f, 0.5f);
    EXPECT_TRUE(shadertest::ImageNear(
        out,
        [&](int x, int y)
        {
            Rgba s = shadertest::Saturate(source.At(x, y));
            s.a *= 0.5f;
            return s;
        },
        1e-6f));
}

TEST_F(BlurTest, GaussianBindSendsHeldValues)
{
    cGaussianMapShader shader;
    EXPECT_FLOAT_EQ(shader.GetBlurFactor(), 0.01f);
    EXPECT_FLOAT_EQ(shader.GetBloom(), 0.0f);
    EXPECT_FLOAT_EQ(shader.GetAlpha(), 1.0f);
    ASSERT_TRUE(BuildGaussian(shader));
    EXPECT_FLOAT_EQ(shader.GetWidth(), static_cast<float>(kSize));

    Image source = Source();
    Image map = Image::Filled(kSize, kSize, {1.0f, 0.0f, 0.0f, 0.0f});
    GLuint src = harness.MakeTexture(source);
    GLuint mapTexture = harness.MakeTexture(map);
    shader.SetSamplerUnits(2, 3);
    shader.SetBloom(0.25f);
    shader.SetAlpha(0.5f);
    shader.SetBlurFactor(1.0f);
    Image out = harness.Draw(shader.GetProgram(),
                             [&]
                             {
                                 harness.BindTexture(shader.GetProgram(), nullptr, 2, src);
                                 harness.BindTexture(shader.GetProgram(), nullptr, 3, mapTexture);
                                 shader.Bind();
                             });
    EXPECT_TRUE(shadertest::ImageNear(
        out, [&](int x, int y) { return GaussianReference(source, map, x, y, 1.0f, 0.25f, 0.5f); },
        1e-5f));
}

TEST_F(BlurTest, GaussianRecordsSevenLocationsInOrder)
{
    const char* expected[] = {"sampler0", "sampler1", "BlurFactor", "width",
                              "height",   "alpha",    "bloom"};
    cGaussianMapShader shader;
    for (int i = 0; i < cGaussianMapShader::kSlotCount; ++i)
    {
        EXPECT_STREQ(cGaussianMapShader::kUniformNames[i], expected[i]);
        EXPECT_EQ(shader.GetLocation(i), -1);
    }
    ASSERT_TRUE(BuildGaussian(shader));
    for (int i = 0; i < cGaussianMapShader::kSlotCount; ++i)
    {
        EXPECT_GE(shader.GetLocation(i), 0) << expected[i];
        EXPECT_EQ(shader.GetLocation(i), glGetUniformLocationARB(shader.GetProgram(), expected[i]));
    }
}

TEST_F(BlurTest, GaussianWithoutGLSLStoresSizeButBuildsNothing)
{
    SetShaderExtensionsOverride("GL_ARB_shader_objects");
    cGaussianMapShader shader;
    EXPECT_FALSE(shader.InitGLSL());
    SetShaderExtensionsOverride(nullptr);
    EXPECT_FALSE(shader.LoadVertexShader());
    EXPECT_FALSE(shader.LoadBlurMapProgram(1024.0f, 768.0f));
    EXPECT_FLOAT_EQ(shader.GetHeight(), 768.0f);
    EXPECT_EQ(shader.GetLocation(cGaussianMapShader::kSampler0), -1);
    // Binding a program that never linked must leave fixed function in place.
    shader.Bind();
    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
}

// Thirteen taps over ten.
Rgba DiscReference(const Image& source, float u, float v, float blurFactor)
{
    const float offsets[12][2] = {
        {-0.326212f, -0.405805f}, {-0.840144f, -0.073580f}, {-0.695914f, 0.457137f},
        {-0.203345f, 0.620716f},  {0.962340f, -0.194983f},  {0.473434f, -0.480026f},
        {0.519456f, 0.767022f},   {0.185461f, -0.893124f},  {0.507431f, 0.064425f},
        {0.896420f, 0.412458f},   {-0.321940f, -0.932615f}, {-0.791559f, -0.597705f}};
    Rgba s = shadertest::SampleLinear(source, u, v);
    for (const auto& o : offsets)
    {
        s = s + shadertest::SampleLinear(source, u + blurFactor * o[0], v + blurFactor * o[1]);
    }
    return s / 10.0f;
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

TEST_F(BlurTest, DiscOfUniformGreyIsThirteenTenths)
{
    cDiscBlurShader shader;
    ASSERT_TRUE(BuildDisc(shader));
    GLuint grey = harness.MakeTexture(Image::Filled(kSize, kSize, {0.4f, 0.4f, 0.4f, 0.4f}));
    shader.SetBlurFactor(0.1f);
    Image out = harness.Draw(shader.GetProgram(),
                             [&]
                             {
                                 harness.BindTexture(shader.GetProgram(), nullptr, 0, grey);
                                 shader.Bind();
                             });
    EXPECT_TRUE(shadertest::ImageNear(
        out,
        [](int, int) {
            return Rgba{0.52f, 0.52f, 0.52f, 0.52f};
        },
        1e-5f));
}

TEST_F(BlurTest, DiscZeroRadiusBrightensTheCentreSample)
{
    cDiscBlurShader shader;
    ASSERT_TRUE(BuildDisc(shader));
    Image source = Source();
    GLuint src = harness.MakeTexture(source);
    shader.SetBlurFactor(0.0f);
    Image out = harness.Draw(shader.GetProgram(),
                             [&]
                             {
                                 harness.BindTexture(shader.GetProgram(), nullptr, 0, src);
                                 shader.Bind();
                             });
    EXPECT_TRUE(shadertest::ImageNear(
        out, [&](int x, int y) { return source.At(x, y) * 1.3f; }, 1e-5f));
}

TEST_F(BlurTest, DiscUsesProgramDefaultRadiusAndHeldRadius)
{
    cDiscBlurShader shader;
    ASSERT_TRUE(BuildDisc(shader));
    Image source = Gradient(256);
    GLuint src = harness.MakeTexture(source, true);
    GLhandleARB p = shader.GetProgram();

    // Nothing sent for BlurFactor: the text's own 0.01 applies.
    Image out = harness.Draw(p, [&] { harness.BindTexture(p, "sampler0", 0, src); });
    EXPECT_TRUE(shadertest::ImageNear(
        out, [&](int x, int y) { return DiscReference(source, out.U(x), out.V(y), 0.01f); },
        1e-4f));

    shader.SetBlurFactor(0.2f);
    out = harness.Draw(p,
                       [&]
                       {
                           harness.BindTexture(p, nullptr, 0, src);
                           shader.Bind();
                       });
    EXPECT_TRUE(shadertest::ImageNear(
        out, [&](int x, int y) { return DiscReference(source, out.U(x), out.V(y), 0.2f); }, 1e-4f));
}

TEST_F(BlurTest, DiscRecordsTwoLocationsInOrder)
{
    cDiscBlurShader shader;
    ASSERT_TRUE(BuildDisc(shader));
    EXPECT_STREQ(cDiscBlurShader::kUniformNames[0], "sampler0");
    EXPECT_STREQ(cDiscBlurShader::kUniformNames[1], "BlurFactor");
    for (int i = 0; i < cDiscBlurShader::kSlotCount; ++i)
    {
        EXPECT_GE(shader.GetLocation(i), 0);
        EXPECT_EQ(shader.GetLocation(i),
                  glGetUniformLocationARB(shader.GetProgram(), cDiscBlurShader::kUniformNames[i]));
    }
}

} // namespace
