// Every lighting class builds and links on a conformant compiler, records its
// uniform list in order with one slot per distinct name, and binds "Tangent"
// to its fixed attribute index.
#include "ProgramTestSupport.h"

#include "shaders/LightingShaders.h"

#include <string>
#include <vector>

using namespace MivexGL;

namespace
{

using Names = std::vector<std::string>;

const Names kOneLight = {
    "LightPosition", "Tangent",       "LightDir",    "EyeDir",  "LightPosition", "NormalMap",
    "ColorMap",      "HeightMap",     "SpecularMap", "CubeMap", "vEye",          "r",
    "SpecPower",     "SpecOverdrive", "Ai",          "timer",   "FogDensity",    "FogColor"};

const Names kTwoLightHead = {
    "Tangent",   "LightDir",      "EyeDir",      "LightPosition", "LightPosition2", "NormalMap",
    "ColorMap",  "HeightMap",     "SpecularMap", "CubeMap",       "vEye",           "r",
    "SpecPower", "SpecOverdrive", "Ai",          "LightColor",    "Light2Color"};

Names Join(Names head, const Names& tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

Names Without(Names list, const std::string& name)
{
    for (auto it = list.begin(); it != list.end(); ++it)
    {
        if (*it == name)
        {
            list.erase(it);
            break;
        }
    }
    return list;
}

// Builds the class and checks its list, and which names are live or absent.
template <typename Shader>
void CheckClass(const Names& list, const Names& active, const Names& absent)
{
    shadertest::ShaderHarness harness;
    ASSERT_TRUE(harness.Init(4, 4));
    Shader shader;
    ASSERT_TRUE(programtest::Build(shader));
    ASSERT_TRUE(shader.IsLinked());

    ASSERT_EQ(shader.GetLookupCount(), static_cast<int>(list.size()));
    for (int i = 0; i < shader.GetLookupCount(); ++i)
    {
        EXPECT_EQ(list[static_cast<size_t>(i)], shader.GetLookupName(i)) << "entry " << i;
    }
    for (const std::string& name : active)
    {
        EXPECT_NE(shader.GetLocation(name.c_str()), -1) << name << " should be live";
        EXPECT_EQ(shader.GetLocation(name.c_str()),
                  glGetUniformLocationARB(shader.GetProgram(), name.c_str()))
            << name;
    }
    for (const std::string& name : absent)
    {
        EXPECT_EQ(shader.GetLocation(name.c_str()), -1) << name << " should be absent";
    }
    EXPECT_EQ(glGetAttribLocationARB(shader.GetProgram(), "Tangent"),
              static_cast<GLint>(cLightingShader::kTangentAttribute));
}

const Names kNeverUniform = {"Tangent", "LightDir", "EyeDir"};

TEST(LightingBuild, OneLightMembersBuildWithTheirLists)
{
    Names oneLightLive = {"LightPosition", "NormalMap", "ColorMap",   "SpecularMap",
                          "CubeMap",       "vEye",      "r",          "SpecPower",
                          "SpecOverdrive", "Ai",        "FogDensity", "FogColor"};
    CheckClass<cWaterShader>(kOneLight, Join(oneLightLive, {"HeightMap", "timer"}), kNeverUniform);
    // No fog in this member: its fog names are listed but dead.
    CheckClass<cWaterNoFogShader>(kOneLight,
                                  {"LightPosition", "HeightMap", "timer", "CubeMap", "r"},
                                  Join(kNeverUniform, {"FogDensity", "FogColor"}));
    Names underwater = Join(Without(kOneLight, "timer"), {"isUW", "timer"});
    CheckClass<cUnderwaterShader>(underwater, Join(oneLightLive, {"HeightMap", "isUW", "timer"}),
                                  kNeverUniform);
    CheckClass<cReflectBumpShader>(Without(kOneLight, "timer"), oneLightLive,
                                   Join(kNeverUniform, {"HeightMap", "timer"}));
}

TEST(LightingBuild, TwoLightMembersBuildWithTheirLists)
{
    Names fog = {"FogDensity", "FogColor"};
    Names live = {"LightPosition", "LightPosition2", "NormalMap",     "ColorMap", "SpecularMap",
                  "vEye",          "SpecPower",      "SpecOverdrive", "Ai",       "LightColor",
                  "Light2Color"};
    Names dead = Join(kNeverUniform, {"HeightMap", "CubeMap", "r"});
    Names reference = Join(kTwoLightHead, fog);

    CheckClass<cTwoLightShader>(reference, Join(live, fog), dead);
    CheckClass<cTwoLightRepeatShader>(reference, Join(live, fog), dead);
    CheckClass<cTwoLightBlobShader>(Join(reference, {"time"}), Join(live, {"time"}), dead);
    CheckClass<cTwoLightUnderwaterShader>(Join(reference, {"isUW", "timer"}),
                                          Join(live, {"isUW", "timer", "FogDensity"}), dead);
    CheckClass<cTwoLightDriftShader>(Join(kTwoLightHead, {"time"}), Join(live, {"time"}), dead);
    CheckClass<cTwoLightScrollShader>(Join(reference, {"timer"}), Join(live, {"timer"}), dead);
    CheckClass<cTwoLightTintShader>(Join(reference, {"Color"}), Join(live, {"Color"}), dead);
    CheckClass<cTwoLightFadeShader>(Join(reference, {"alpha"}), Join(live, {"alpha"}), dead);
    // "alpha" is declared but never reaches the output.
    CheckClass<cTwoLightAlphaShader>(Join(reference, {"alpha"}), live, Join(dead, {"alpha"}));
}

TEST(LightingBuild, SimpleBumpRecordsItsOwnList)
{
    Names list = {"colorMap", "normalMap",    "LightDir",    "EyeDir",   "LightPosition",
                  "Tangent",  "SurfaceColor", "BumpDensity", "BumpSize", "SpecularFactor"};
    CheckClass<cSimpleBumpShader>(
        list, {"colorMap", "normalMap", "LightPosition", "SurfaceColor", "SpecularFactor"},
        {"LightDir", "EyeDir", "Tangent", "BumpDensity", "BumpSize"});
    shadertest::ShaderHarness harness;
    ASSERT_TRUE(harness.Init(4, 4));
    cSimpleBumpShader shader;
    ASSERT_TRUE(programtest::Build(shader));
    EXPECT_NE(shader.GetEyePosLocation(), -1);
    // Not in the list, so the list lookup does not know it.
    EXPECT_EQ(shader.GetLocation("EyePos"), -1);
}

TEST(LightingBuild, RepeatedNameSharesOneSlotAndUnlinkedAnswersMinusOne)
{
    shadertest::ShaderHarness harness;
    ASSERT_TRUE(harness.Init(4, 4));
    cWaterShader shader;
    EXPECT_EQ(shader.GetLocation("LightPosition"), -1);
    EXPECT_FALSE(shader.Bind());
    ASSERT_TRUE(programtest::Build(shader));
    EXPECT_EQ(shader.GetLocation("LightPosition"),
              glGetUniformLocationARB(shader.GetProgram(), "LightPosition"));
    EXPECT_EQ(shader.GetLocation("NotListed"), -1);
    EXPECT_EQ(shader.GetAttributeIndex(), 6);
}

TEST(LightingBuild, LoadersRefuseWithoutInitialisation)
{
    shadertest::ShaderHarness harness;
    ASSERT_TRUE(harness.Init(4, 4));
    cTwoLightShader shader;
    EXPECT_FALSE(shader.LoadVertexShader());
    EXPECT_FALSE(shader.LoadFragmentShader());
    EXPECT_FALSE(shader.IsLinked());
    EXPECT_EQ(shader.GetLocation("Ai"), -1);
}

} // namespace
