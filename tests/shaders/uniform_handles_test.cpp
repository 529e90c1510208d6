// A program class that names each uniform once, as a member handle: the
// handles go on the lookup list after the names given, Bind sends the value
// each holds, and a rebuild (live reload) moves them to the new program's
// locations.
#include "shaders/ListedShader.h"

#include "ShaderHarness.h"

#include <cstring>

using namespace MivexGL;
using shadertest::Rgba;

namespace
{

const char* const kVertex = R"(
void main()
{
    gl_Position = gl_Vertex;
}
)";

const char* const kFragment = R"(
uniform float strength;
uniform vec3 tint;
uniform vec4 offset;
uniform int flip;
void main()
{
    vec4 c = vec4(tint * strength, 1.0) + offset;
    gl_FragColor = flip == 1 ? c.abgr : c;
}
)";

// The same result (uniforms start at 0), with a used array ahead of the
// handles' names so their locations move.
const char* const kRebuilt = R"(
uniform vec4 pad[6];
uniform float strength;
uniform vec3 tint;
uniform vec4 offset;
uniform int flip;
void main()
{
    vec4 c = vec4(tint * strength, 1.0) + offset + pad[5];
    gl_FragColor = flip == 1 ? c.abgr : c;
}
)";

const char* const kListed[] = {"strength"};

class cHandleShader : public cListedShader
{
public:
    cHandleShader() : cListedShader("cHandleShader", kVertex, kFragment, kListed, 1) {}
    bool LoadVertexShader() override { return BuildVertex(); }
    bool LoadFragmentShader() override { return BuildFragment(); }

    cUniform<float> strength{*this, "strength", 1.0f};
    cUniform<cVector3f> tint{*this, "tint"};
    cUniform<std::array<float, 4>> offset{*this, "offset", {0.0f, 0.0f, 0.0f, 0.0f}};
    cUniform<int> flip{*this, "flip", 0};
    cUniform<float> unused{*this, "notInTheText", 3.0f};
};

const char* RebuiltText(void*, const cShaderSystem& program, bool fragment, const char*)
{
    return fragment && std::strcmp(program.GetName(), "cHandleShader") == 0 ? kRebuilt : nullptr;
}

class UniformHandles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(harness.Init(4, 4));
        ASSERT_TRUE(shader.InitGLSL() && shader.LoadVertexShader() && shader.LoadFragmentShader());
    }
    void TearDown() override { cShaderSystem::SetSourceHook(nullptr, nullptr); }

    Rgba Drawn()
    {
        return harness.Draw(shader.GetProgram(), [this] { ASSERT_TRUE(shader.Bind()); }).At(1, 1);
    }

    shadertest::ShaderHarness harness;
    cHandleShader shader;
};

TEST_F(UniformHandles, ListedAfterTheNamesGivenWithTheirLocations)
{
    ASSERT_EQ(shader.GetLookupCount(), 6);
    const char* const expected[] = {"strength", "strength", "tint",
                                    "offset",   "flip",     "notInTheText"};
    for (int i = 0; i < 6; ++i)
    {
        EXPECT_STREQ(shader.GetLookupName(i), expected[i]);
    }
    EXPECT_EQ(shader.GetLookupName(6), nullptr);
    EXPECT_NE(shader.tint.GetLocation(), -1);
    EXPECT_EQ(shader.GetLocation("tint"), shader.tint.GetLocation());
    EXPECT_EQ(shader.GetLocation("strength"), shader.strength.GetLocation());
    EXPECT_EQ(shader.unused.GetLocation(), -1);
}

TEST_F(UniformHandles, BindSendsEveryValueAndARebuildKeepsThemLanding)
{
    shader.strength = 0.5f;
    shader.tint = cVector3f().Set(0.2f, 0.4f, 0.8f);
    shader.offset = {0.25f, 0.0f, 0.0f, -0.5f};
    EXPECT_TRUE(shadertest::RgbaNear(Drawn(), {0.35f, 0.2f, 0.4f, 0.5f}, 1e-5f));
    shader.flip = 1;
    EXPECT_TRUE(shadertest::RgbaNear(Drawn(), {0.5f, 0.4f, 0.2f, 0.35f}, 1e-5f));

    const GLint before = shader.tint.GetLocation();
    cShaderSystem::SetSourceHook(RebuiltText, nullptr);
    ASSERT_TRUE(shader.Rebuild());
    EXPECT_NE(shader.tint.GetLocation(), before);
    EXPECT_TRUE(shadertest::RgbaNear(Drawn(), {0.5f, 0.4f, 0.2f, 0.35f}, 1e-5f));
}

} // namespace
