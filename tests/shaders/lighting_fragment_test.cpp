// Lit family fragment results against CPU arithmetic: the reflection mix,
// fog limits, the fog-free water, the water-level rule, light summing, tint,
// alpha members and the plain bump program. Constant maps and a far eye keep
// the interpolated vectors effectively exact.
#include "ProgramTestSupport.h"

#include "shaders/LightingShaders.h"

#include <algorithm>
#include <memory>

using namespace MivexGL;
using namespace programtest;
using shadertest::Image;
using shadertest::Mix;

namespace
{

const float kTolerance = 2e-4f;
const float kEyeZ = 1000.0f;

class LitFragment : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(harness.Init(8, 8));
        colour = harness.MakeTexture(Image::Filled(2, 2, S));
        normal = harness.MakeTexture(
            Image::Filled(2, 2, {0.5f + 0.5f * N.x, 0.5f + 0.5f * N.y, 0.5f + 0.5f * N.z, 1.0f}));
        height = harness.MakeTexture(Image::Filled(2, 2, {0.7f, 0.0f, 0.0f, 1.0f}));
        specular = harness.MakeTexture(Image::Filled(2, 2, {mask, 0.0f, 0.0f, 1.0f}));
        cube = std::make_unique<CubeMap>(env);
    }

    // The family's common values; a test changes what it examines.
    void Configure(cLightingShader& shader)
    {
        shader.SetLightPosition(light.x, light.y, light.z);
        shader.SetLightPosition2(light.x, light.y, light.z);
        shader.SetEye(0.0f, 0.0f, kEyeZ);
        shader.SetLightColor(1.0f, 1.0f, 1.0f);
        shader.SetLight2Color(1.0f, 1.0f, 1.0f);
        shader.SetAmbient(ambient);
        shader.SetSpecPower(specPower);
        shader.SetSpecOverdrive(overdrive);
        shader.SetFogColor(fog.r, fog.g, fog.b);
        shader.SetFogDensity(0.0f);
    }

    // Draws with tangent (1,0,0), so tangent space is eye space here.
    Image DrawWith(const cLightingShader& shader, float fogCoord = 0.0f)
    {
        Image image = harness.Draw(
            shader.GetProgram(),
            [&]
            {
                EXPECT_TRUE(shader.Bind());
                harness.BindTexture(shader.GetProgram(), nullptr, shader.GetColorMapUnit(), colour);
                harness.BindTexture(shader.GetProgram(), nullptr, shader.GetNormalMapUnit(),
                                    normal);
                harness.BindTexture(shader.GetProgram(), nullptr, shader.GetHeightMapUnit(),
                                    height);
                harness.BindTexture(shader.GetProgram(), nullptr, shader.GetSpecularMapUnit(),
                                    specular);
                cube->Bind(shader.GetCubeMapUnit());
                glVertexAttrib3fARB(shader.GetTangentAttribute(), 1.0f, 0.0f, 0.0f);
                glFogCoordf(fogCoord);
            });
        CubeMap::Unbind(shader.GetCubeMapUnit());
        return image;
    }

    Vec3 View(int x, int y) const { return {-PixelCentre(x, 8), -PixelCentre(y, 8), kEyeZ}; }

    // One lit term with the view vector of pixel (x, y).
    Vec3 Lit(int x, int y, Vec3 lightDir, Vec3 lightColour) const
    {
        float diffuse = std::max(Dot(N, lightDir), 0.0f);
        Vec3 h = Normalize(lightDir + Normalize(View(x, y)));
        float specTerm = std::pow(std::clamp(Dot(N, h), 0.0f, 1.0f), specPower) * overdrive * mask;
        return {std::min(diffuse * lightColour.x + specTerm, 1.0f),
                std::min(diffuse * lightColour.y + specTerm, 1.0f),
                std::min(diffuse * lightColour.z + specTerm, 1.0f)};
    }

    Rgba Shade(const Rgba& base, Vec3 lit) const
    {
        return base * ambient + Rgba{lit.x * base.r, lit.y * base.g, lit.z * base.b, base.a};
    }

    Rgba FogColour() const { return {fog.r, fog.g, fog.b, 1.0f}; }

    shadertest::ShaderHarness harness;
    const Rgba S{0.8f, 0.5f, 0.3f, 0.9f};
    const Rgba env{0.2f, 0.6f, 0.9f, 0.7f};
    const Rgba fog{0.4f, 0.45f, 0.5f, 1.0f};
    const Vec3 N = Normalize({0.3f, -0.2f, 0.9f});
    const Vec3 light{0.5f, 0.4f, 1.0f};
    const float mask = 0.6f;
    const float ambient = 0.3f;
    const float specPower = 8.0f;
    const float overdrive = 0.7f;
    // Made in SetUp: the shared context exists only once the harness is up.
    std::unique_ptr<CubeMap> cube;
    GLuint colour = 0;
    GLuint normal = 0;
    GLuint height = 0;
    GLuint specular = 0;
};

TEST_F(LitFragment, ReflectionMixPicksEnvironmentAtZeroAndSurfaceAtOne)
{
    cReflectBumpShader shader;
    ASSERT_TRUE(Build(shader));
    Configure(shader);
    Vec3 L = Normalize(light);

    shader.SetReflectMix(0.0f);
    EXPECT_TRUE(ImageNear(
        DrawWith(shader),
        [&](int x, int y) {
            return Shade(env, Lit(x, y, L, {1, 1, 1}));
        },
        kTolerance));
    shader.SetReflectMix(1.0f);
    EXPECT_TRUE(ImageNear(
        DrawWith(shader),
        [&](int x, int y) {
            return Shade(S, Lit(x, y, L, {1, 1, 1}));
        },
        kTolerance));

    // Both terms are fogged before the mix.
    shader.SetReflectMix(0.25f);
    shader.SetFogDensity(0.0008f);
    EXPECT_TRUE(ImageNear(
        DrawWith(shader),
        [&](int x, int y)
        {
            Vec3 v = View(x, y);
            float f = 0.0008f * std::sqrt(Dot(v, v));
            float F = std::pow(2.71828f, -(f * f));
            Vec3 lit = Lit(x, y, L, {1, 1, 1});
            return Mix(Mix(FogColour(), Shade(env, lit), F), Mix(FogColour(), Shade(S, lit), F),
                       0.25f);
        },
        kTolerance));
}

TEST_F(LitFragment, FogLimitsGiveSurfaceOrOpaqueFogColour)
{
    cTwoLightShader shader;
    ASSERT_TRUE(Build(shader));
    Configure(shader);
    Vec3 L = Normalize(light);

    EXPECT_TRUE(ImageNear(
        DrawWith(shader),
        [&](int x, int y) {
            return Shade(S, Lit(x, y, L, {1, 1, 1}));
        },
        kTolerance));
    shader.SetFogDensity(1.0f);
    EXPECT_TRUE(ImageNear(
        DrawWith(shader), [&](int, int) { return FogColour(); }, kTolerance));
}

TEST_F(LitFragment, WaterWithoutFogIgnoresFogAndIsOpaque)
{
    cWaterNoFogShader shader;
    ASSERT_TRUE(Build(shader));
    Configure(shader);
    shader.SetFogDensity(1.0f);
    shader.SetReflectMix(0.4f);
    shader.SetTime(3.0f);
    Vec3 L = Normalize(light);
    EXPECT_TRUE(ImageNear(
        DrawWith(shader),
        [&](int x, int y)
        {
            Vec3 lit = Lit(x, y, L, {1, 1, 1});
            Rgba Ct = Shade(env, lit);
            Rgba Lt = Shade(S, lit);
            Ct.a = 1.0f;
            Lt.a = 1.0f;
            return Mix(Ct, Lt, 0.4f);
        },
        kTolerance));

    // The fogged sibling under the same values shows the fog colour.
    cWaterShader fogged;
    ASSERT_TRUE(Build(fogged));
    Configure(fogged);
    fogged.SetFogDensity(1.0f);
    EXPECT_TRUE(ImageNear(
        DrawWith(fogged), [&](int, int) { return FogColour(); }, kTolerance));
}

// Level -0.5 with timer -0.8 moves the two bottom corners outwards and down,
// so the quad still covers the target; rows well above the level are clear
// and rows well below are fogged by the fixed-function fog coordinate.
TEST_F(LitFragment, TwoLightUnderwaterFogsOnlyBelowTheWaterLevel)
{
    cTwoLightUnderwaterShader shader;
    ASSERT_TRUE(Build(shader));
    Configure(shader);
    shader.SetSpecOverdrive(0.0f);
    shader.SetFogDensity(0.002f);
    shader.SetWaterLevel(-0.5f);
    shader.SetTime(-0.8f);
    Image image = DrawWith(shader, 500.0f);

    Rgba clear = Shade(S, Vec3{1, 1, 1} * std::max(Dot(N, Normalize(light)), 0.0f));
    Rgba fogged = Mix(FogColour(), clear, 1.0f / 2.71828f);
    for (int x = 0; x < 8; ++x)
    {
        EXPECT_TRUE(RgbaNear(image.At(x, 7), clear, kTolerance)) << "top, column " << x;
        EXPECT_TRUE(RgbaNear(image.At(x, 0), fogged, kTolerance)) << "bottom, column " << x;
    }
}

TEST_F(LitFragment, TwoEqualLightsMatchOneAndUnequalLightsAverage)
{
    cTwoLightShader shader;
    ASSERT_TRUE(Build(shader));
    Configure(shader);
    shader.SetLightColor(0.9f, 0.7f, 0.5f);
    shader.SetLight2Color(0.9f, 0.7f, 0.5f);
    Vec3 L = Normalize(light);
    EXPECT_TRUE(ImageNear(
        DrawWith(shader),
        [&](int x, int y) {
            return Shade(S, Lit(x, y, L, {0.9f, 0.7f, 0.5f}));
        },
        kTolerance));

    Vec3 second{-0.6f, 0.1f, 0.8f};
    shader.SetLightPosition2(second.x, second.y, second.z);
    shader.SetLight2Color(0.2f, 0.4f, 1.0f);
    EXPECT_TRUE(ImageNear(
        DrawWith(shader),
        [&](int x, int y)
        {
            return (Shade(S, Lit(x, y, L, {0.9f, 0.7f, 0.5f})) +
                    Shade(S, Lit(x, y, Normalize(second), {0.2f, 0.4f, 1.0f}))) /
                   2.0f;
        },
        kTolerance));
}

TEST_F(LitFragment, TintAddsColourOnceAndRaisesAlphaByOne)
{
    cTwoLightTintShader shader;
    ASSERT_TRUE(Build(shader));
    Configure(shader);
    shader.SetTint(0.1f, 0.2f, 0.3f);
    Vec3 L = Normalize(light);
    EXPECT_TRUE(ImageNear(
        DrawWith(shader),
        [&](int x, int y) {
            return Shade(S, Lit(x, y, L, {1, 1, 1})) + Rgba{0.1f, 0.2f, 0.3f, 1.0f};
        },
        kTolerance));
}

TEST_F(LitFragment, FadeReplacesAlphaAfterFogWhileAlphaMemberDoesNot)
{
    cTwoLightFadeShader fade;
    cTwoLightAlphaShader alpha;
    ASSERT_TRUE(Build(fade));
    ASSERT_TRUE(Build(alpha));
    for (cLightingShader* shader :
         {static_cast<cLightingShader*>(&fade), static_cast<cLightingShader*>(&alpha)})
    {
        Configure(*shader);
        shader->SetFogDensity(1.0f);
        shader->SetAlpha(0.25f);
    }
    Rgba faded = FogColour();
    faded.a = 0.25f;
    EXPECT_TRUE(ImageNear(
        DrawWith(fade), [&](int, int) { return faded; }, kTolerance));
    EXPECT_TRUE(ImageNear(
        DrawWith(alpha), [&](int, int) { return FogColour(); }, kTolerance));
}

TEST_F(LitFragment, DriftDrawsWithoutFog)
{
    cTwoLightDriftShader shader;
    ASSERT_TRUE(Build(shader));
    Configure(shader);
    shader.SetFogDensity(1.0f);
    Vec3 L = Normalize(light);
    EXPECT_TRUE(ImageNear(
        DrawWith(shader),
        [&](int x, int y) {
            return Shade(S, Lit(x, y, L, {1, 1, 1}));
        },
        kTolerance));
}

// Light straight on, normal tipped toward x: both the diffuse term and the
// highlight from the reflected light vector are non-zero.
TEST(SimpleBumpFragment, FollowsTheBumpArithmetic)
{
    shadertest::ShaderHarness harness;
    ASSERT_TRUE(harness.Init(8, 8));
    const Rgba C{0.7f, 0.6f, 0.4f, 0.8f};
    const Vec3 n = Normalize({0.9f, 0.0f, 0.436f});
    GLuint colour = harness.MakeTexture(Image::Filled(2, 2, C));
    GLuint normal = harness.MakeTexture(
        Image::Filled(2, 2, {0.5f + 0.5f * n.x, 0.5f + 0.5f * n.y, 0.5f + 0.5f * n.z, 1.0f}));

    cSimpleBumpShader shader;
    ASSERT_TRUE(Build(shader));
    shader.SetLightPosition(0.0f, 0.0f, 2.0f);
    shader.SetEyePosition(0.0f, 0.0f, kEyeZ);
    shader.SetSurfaceColor(0.9f, 0.8f, 0.7f);
    shader.SetSpecularFactor(2.0f);
    shader.SetBumpDensity(123.0f);
    Image image = harness.Draw(
        shader.GetProgram(),
        [&]
        {
            EXPECT_TRUE(shader.Bind());
            harness.BindTexture(shader.GetProgram(), nullptr, shader.GetColorMapUnit(), colour);
            harness.BindTexture(shader.GetProgram(), nullptr, shader.GetNormalMapUnit(), normal);
            glVertexAttrib3fARB(shader.GetTangentAttribute(), 1.0f, 0.0f, 0.0f);
        });
    EXPECT_TRUE(ImageNear(
        image,
        [&](int x, int y)
        {
            Vec3 L{0.0f, 0.0f, 1.0f};
            Vec3 eyeDir = Normalize({-PixelCentre(x, 8), -PixelCentre(y, 8), kEyeZ});
            float d = std::max(Dot(n, L), 0.0f);
            Vec3 R = L - n * (2.0f * Dot(n, L));
            float specTerm = std::pow(std::max(Dot(eyeDir, R), 0.0f), 8.0f) * 2.0f;
            Vec3 lit{std::min(0.9f * d + specTerm, 1.0f), std::min(0.8f * d + specTerm, 1.0f),
                     std::min(0.7f * d + specTerm, 1.0f)};
            return C * 0.2f + Rgba{lit.x * C.r, lit.y * C.g, lit.z * C.b, C.a};
        },
        kTolerance));
}

} // namespace
