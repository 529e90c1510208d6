// Lit family vertex stages read back by transform feedback: the water wave,
// the pulsing blob, the projective drift and the water-level wobble.
#include "ProgramTestSupport.h"

#include "shaders/LightingShaders.h"

#include <vector>

using namespace MivexGL;
using namespace programtest;

namespace
{

const float kTolerance = 1e-5f;

shadertest::Vertex MakeVertex(float x, float y, float z, Vec3 n = {0.0f, 0.0f, 1.0f})
{
    shadertest::Vertex v;
    v.position[0] = x;
    v.position[1] = y;
    v.position[2] = z;
    v.normal[0] = n.x;
    v.normal[1] = n.y;
    v.normal[2] = n.z;
    return v;
}

// Captures gl_Position of each vertex with the shader's values bound.
std::vector<float> Positions(shadertest::ShaderHarness& harness, const cLightingShader& shader,
                             const std::vector<shadertest::Vertex>& vertices,
                             const std::vector<std::string>& varyings = {"gl_Position"})
{
    return harness.TransformVertices(
        shader.GetProgram(), vertices,
        [&]
        {
            shader.Bind();
            glVertexAttrib3fARB(shader.GetTangentAttribute(), 1.0f, 0.0f, 0.0f);
        },
        varyings);
}

class LitVertex : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(harness.Init(4, 4)); }
    shadertest::ShaderHarness harness;
};

TEST_F(LitVertex, WaterWavesHeightBySinesOfTimeAndPosition)
{
    cWaterShader shader;
    ASSERT_TRUE(Build(shader));
    shader.SetTime(0.3f);
    std::vector<float> out = Positions(harness, shader, {MakeVertex(0.2f, 0.1f, -0.4f)});
    ASSERT_EQ(out.size(), 4u);
    float dy = std::sin(1.5f + 0.4f) * std::sin(1.5f - 0.8f) / 15.0f;
    EXPECT_NEAR(out[0], 0.2f, kTolerance);
    EXPECT_NEAR(out[1], 0.1f + dy, kTolerance);
    EXPECT_NEAR(out[2], -0.4f, kTolerance);
    EXPECT_NEAR(out[3], 1.0f, kTolerance);
}

TEST_F(LitVertex, BlobMovesAlongTheNormal)
{
    cTwoLightBlobShader shader;
    ASSERT_TRUE(Build(shader));
    Vec3 n = Normalize({0.3f, -0.6f, 0.7f});
    for (float T : {0.0f, 1.1f})
    {
        shader.SetTime(T);
        std::vector<float> out = Positions(harness, shader, {MakeVertex(0.1f, 0.2f, 0.3f, n)});
        ASSERT_EQ(out.size(), 4u);
        float fx = 2.0f + 1.2f * std::sin(T);
        float fy = 2.0f + 1.6f * std::cos(1.3f * T);
        float fz = 3.0f + 1.3f * std::sin(1.1f * T);
        float amp = 1.0f + 1.4f * std::sin(1.4f * T);
        float f = std::sin(n.x * fx + T) * std::sin(n.y * fy + T) * std::sin(n.z * fz + T);
        EXPECT_NEAR(out[0], 0.1f + n.x * amp * f, kTolerance) << "T " << T;
        EXPECT_NEAR(out[1], 0.2f + n.y * amp * f, kTolerance) << "T " << T;
        EXPECT_NEAR(out[2], 0.3f + n.z * amp * f, kTolerance) << "T " << T;
        EXPECT_NEAR(out[3], 1.0f, kTolerance) << "T " << T;
    }
}

TEST_F(LitVertex, DriftShiftsAllFourComponentsIncludingW)
{
    cTwoLightDriftShader shader;
    ASSERT_TRUE(Build(shader));
    Vec3 n = Normalize({0.0f, 0.6f, 0.8f});
    shader.SetTime(0.0f);
    std::vector<float> out = Positions(harness, shader, {MakeVertex(0.4f, -0.3f, 0.2f, n)});
    ASSERT_EQ(out.size(), 4u);
    EXPECT_NEAR(out[0], 0.4f, kTolerance);
    EXPECT_NEAR(out[3], 1.0f, kTolerance);

    shader.SetTime(0.5f);
    out = Positions(harness, shader, {MakeVertex(0.4f, -0.3f, 0.2f, n)});
    ASSERT_EQ(out.size(), 4u);
    float shift = 0.5f * (n.x + n.y + n.z);
    EXPECT_NEAR(out[0], 0.4f - shift, kTolerance);
    EXPECT_NEAR(out[1], -0.3f - shift, kTolerance);
    EXPECT_NEAR(out[2], 0.2f - shift, kTolerance);
    EXPECT_NEAR(out[3], 1.0f - shift, kTolerance);
}

// Below and exactly at the level the clip position wobbles; above it stays.
// The level and the undisplaced height travel on to the fragment stage.
TEST_F(LitVertex, WaterLevelWobblesVerticesAtOrBelowTheLevel)
{
    cUnderwaterShader one;
    cTwoLightUnderwaterShader two;
    ASSERT_TRUE(Build(one));
    ASSERT_TRUE(Build(two));
    const float level = 0.25f;
    const float timer = 0.6f;
    for (cLightingShader* shader :
         {static_cast<cLightingShader*>(&one), static_cast<cLightingShader*>(&two)})
    {
        shader->SetWaterLevel(level);
        shader->SetTime(timer);
        std::vector<float> out =
            Positions(harness, *shader,
                      {MakeVertex(0.1f, -0.5f, 0.0f), MakeVertex(0.3f, level, 0.0f),
                       MakeVertex(-0.2f, 0.75f, 0.0f)},
                      {"gl_Position", "YHeight", "isUWConv"});
        ASSERT_EQ(out.size(), 18u);
        const float xs[3] = {0.1f, 0.3f, -0.2f};
        const float ys[3] = {-0.5f, level, 0.75f};
        for (int i = 0; i < 3; ++i)
        {
            const float* v = &out[static_cast<size_t>(i) * 6];
            bool moves = ys[i] <= level;
            float x = moves ? xs[i] + std::sin(timer + xs[i]) : xs[i];
            float y = moves ? ys[i] + std::cos(timer + ys[i]) : ys[i];
            EXPECT_NEAR(v[0], x, kTolerance) << "vertex " << i;
            EXPECT_NEAR(v[1], y, kTolerance) << "vertex " << i;
            EXPECT_NEAR(v[4], ys[i], kTolerance) << "vertex " << i;
            EXPECT_NEAR(v[5], level, kTolerance) << "vertex " << i;
        }
    }
}

} // namespace
