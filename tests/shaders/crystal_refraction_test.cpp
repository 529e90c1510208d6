// Crystal programs: they link with their lists, the Fresnel weights at normal
// incidence are those of the blue channel's index and are halved, each class
// combines reflection and refraction as its member demands, and the vertex
// stages place and animate vertices as written.
#include "ProgramTestSupport.h"

#include "shaders/CrystalShaders.h"

#include <memory>
#include <string>
#include <vector>

using namespace MivexGL;
using namespace programtest;
using shadertest::Image;

namespace
{

const float kTolerance = 2e-4f;

template <typename Shader> void CheckList(const std::vector<std::string>& list)
{
    Shader shader;
    ASSERT_TRUE(Build(shader));
    ASSERT_EQ(shader.GetLookupCount(), static_cast<int>(list.size()));
    for (int i = 0; i < shader.GetLookupCount(); ++i)
    {
        EXPECT_EQ(list[static_cast<size_t>(i)], shader.GetLookupName(i));
        EXPECT_NE(shader.GetLocation(shader.GetLookupName(i)), -1) << shader.GetLookupName(i);
    }
}

TEST(CrystalBuild, EveryClassLinksWithItsList)
{
    shadertest::ShaderHarness harness;
    ASSERT_TRUE(harness.Init(4, 4));
    CheckList<cCrystalShader>({"CubeMap", "ColorMap", "refraction_index", "CrystalColor"});
    CheckList<cCrystalSumShader>({"CubeMap", "ColorMap", "refraction_index", "CrystalColor"});
    CheckList<cCrystalBlobShader>({"CubeMap", "ColorMap", "refraction_index", "time"});
    CheckList<cGlassShader>({"CubeMap", "ColorMap", "refraction_index"});
}

// The quad is pushed 1000 units away, so every pixel looks straight along
// its normal (0,0,1); the colour map leaves that normal as it is. Reflected
// rays end on the +z face, refracted rays on the -z face.
class CrystalFragment : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(harness.Init(4, 4));
        flatNormal = harness.MakeTexture(Image::Filled(2, 2, {0.5f, 0.5f, 1.0f, 1.0f}));
        const Rgba other{5.0f, 5.0f, 5.0f, 5.0f};
        const Rgba faces[6] = {other, other, other, other, front, back};
        cube = std::make_unique<CubeMap>(faces);
    }

    Image DrawWith(const cRefractionShader& shader)
    {
        Image image = harness.Draw(shader.GetProgram(),
                                   [&]
                                   {
                                       LoadFlatProjection();
                                       glTranslatef(0.0f, 0.0f, -1000.0f);
                                       EXPECT_TRUE(shader.Bind());
                                       harness.BindTexture(shader.GetProgram(), nullptr,
                                                           shader.GetColorMapUnit(), flatNormal);
                                       cube->Bind(shader.GetCubeMapUnit());
                                   });
        CubeMap::Unbind(shader.GetCubeMapUnit());
        return image;
    }

    // Halved Fresnel terms at normal incidence for inside index k.
    static void Fresnel(float k, float& reflectance, float& transmittance)
    {
        float rs = (1.0f - k) / (1.0f + k);
        reflectance = rs * rs / 2.0f;
        transmittance = (1.0f + rs * rs) / 2.0f;
    }

    shadertest::ShaderHarness harness;
    const Rgba front{0.9f, 0.3f, 0.6f, 0.25f};
    const Rgba back{0.1f, 0.8f, 0.4f, 0.5f};
    GLuint flatNormal = 0;
    std::unique_ptr<CubeMap> cube;
};

TEST_F(CrystalFragment, GlassWeightsByBlueFresnelAndCarriesThemInAlpha)
{
    cGlassShader shader;
    ASSERT_TRUE(Build(shader));
    // Index 1.4 puts blue at 1.5: 0.04 and 1.04 before halving.
    shader.SetRefractionIndex(1.4f);
    Image image = DrawWith(shader);
    Rgba want{0.9f * 0.02f + 0.1f * 0.52f, 0.3f * 0.02f + 0.8f * 0.52f, 0.6f * 0.02f + 0.4f * 0.52f,
              0.54f};
    EXPECT_TRUE(ImageNear(
        image, [&](int, int) { return want; }, kTolerance));

    // At 1.5 the weights are those of 1.6, not of the red index.
    shader.SetRefractionIndex(1.5f);
    float R = 0.0f;
    float T = 0.0f;
    Fresnel(1.6f, R, T);
    image = DrawWith(shader);
    EXPECT_TRUE(ImageNear(
        image,
        [&](int, int) {
            return Rgba{0.9f * R + 0.1f * T, 0.3f * R + 0.8f * T, 0.6f * R + 0.4f * T, R + T};
        },
        kTolerance));
}

TEST_F(CrystalFragment, BlobCombinesLikeGlass)
{
    cCrystalBlobShader shader;
    ASSERT_TRUE(Build(shader));
    shader.SetRefractionIndex(1.4f);
    // The blob stage leaves a vertex with normal (0,0,1) in place at time 0.
    Rgba want{0.9f * 0.02f + 0.1f * 0.52f, 0.3f * 0.02f + 0.8f * 0.52f, 0.6f * 0.02f + 0.4f * 0.52f,
              0.54f};
    EXPECT_TRUE(ImageNear(
        DrawWith(shader), [&](int, int) { return want; }, kTolerance));
}

TEST_F(CrystalFragment, CrystalSwapsTheWeightsAndAddsItsColour)
{
    cCrystalShader shader;
    ASSERT_TRUE(Build(shader));
    shader.SetRefractionIndex(1.4f);
    shader.SetCrystalColor(0.05f, 0.1f, 0.15f);
    Rgba want{0.9f * 0.52f + 0.1f * 0.02f + 0.05f, 0.3f * 0.52f + 0.8f * 0.02f + 0.1f,
              0.6f * 0.52f + 0.4f * 0.02f + 0.15f, 1.0f};
    EXPECT_TRUE(ImageNear(
        DrawWith(shader), [&](int, int) { return want; }, kTolerance));
}

TEST_F(CrystalFragment, SumIgnoresFresnel)
{
    cCrystalSumShader shader;
    ASSERT_TRUE(Build(shader));
    shader.SetCrystalColor(0.05f, 0.1f, 0.15f);
    Rgba want{0.9f + 0.1f + 0.05f, 0.3f + 0.8f + 0.1f, 0.6f + 0.4f + 0.15f, 1.0f};
    for (float index : {1.0f, 1.4f, 2.5f})
    {
        shader.SetRefractionIndex(index);
        EXPECT_TRUE(ImageNear(
            DrawWith(shader), [&](int, int) { return want; }, kTolerance))
            << "index " << index;
    }
}

shadertest::Vertex MakeVertex(Vec3 p, Vec3 n)
{
    shadertest::Vertex v;
    v.position[0] = p.x;
    v.position[1] = p.y;
    v.position[2] = p.z;
    v.normal[0] = n.x;
    v.normal[1] = n.y;
    v.normal[2] = n.z;
    return v;
}

TEST(CrystalVertex, PlainStagePassesPositionViewAndNormal)
{
    shadertest::ShaderHarness harness;
    ASSERT_TRUE(harness.Init(4, 4));
    cGlassShader shader;
    ASSERT_TRUE(Build(shader));
    // Bind gives the cube and 2D samplers different units; left both on unit
    // 0, as GL starts them, the draw is refused.
    auto bind = [&] { shader.Bind(); };
    Vec3 p{0.3f, -0.2f, -2.0f};
    Vec3 n = Normalize({0.2f, 0.5f, 0.8f});
    std::vector<float> out = harness.TransformVertices(shader.GetProgram(), {MakeVertex(p, n)},
                                                       bind, {"gl_Position", "View", "N"});
    ASSERT_EQ(out.size(), 10u);
    Vec3 view = Normalize(p * -1.0f);
    const float want[10] = {p.x, p.y, p.z, 1.0f, view.x, view.y, view.z, n.x, n.y, n.z};
    for (int i = 0; i < 10; ++i)
    {
        EXPECT_NEAR(out[static_cast<size_t>(i)], want[i], 1e-5f) << "component " << i;
    }
}

TEST(CrystalVertex, BlobMovesOnlyTheClipPositionAlongTheNormal)
{
    shadertest::ShaderHarness harness;
    ASSERT_TRUE(harness.Init(4, 4));
    cCrystalBlobShader shader;
    ASSERT_TRUE(Build(shader));
    Vec3 p{0.2f, 0.3f, 0.4f};
    Vec3 n = Normalize({1.0f, 2.0f, 3.0f});
    for (float T : {0.0f, 0.7f})
    {
        shader.SetTime(T);
        std::vector<float> out =
            harness.TransformVertices(shader.GetProgram(), {MakeVertex(p, n)},
                                      [&] { shader.Bind(); }, {"gl_Position", "View"});
        ASSERT_EQ(out.size(), 7u);
        float fx = 2.0f + 1.2f * std::sin(T);
        float fy = 2.0f + 1.6f * std::cos(1.3f * T);
        float fz = 3.0f + 1.3f * std::sin(1.1f * T);
        float amp = 1.0f + 1.4f * std::sin(1.4f * T);
        float f = std::sin(n.x * fx + T) * std::sin(n.y * fy + T) * std::sin(n.z * fz + T);
        Vec3 moved = p + n * (amp * f);
        Vec3 view = Normalize(p * -1.0f);
        const float want[7] = {moved.x, moved.y, moved.z, 1.0f, view.x, view.y, view.z};
        for (int i = 0; i < 7; ++i)
        {
            EXPECT_NEAR(out[static_cast<size_t>(i)], want[i], 1e-5f) << "T " << T << " " << i;
        }
    }
}

} // namespace
