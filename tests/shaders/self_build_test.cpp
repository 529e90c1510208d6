// A production's program class from two texts: it builds itself with no
// overrides and draws what a class built through the overrides draws; a
// handle the linked program lacks is named until a build has it again; and
// the bind for a scope puts the earlier program back.
#include "shaders/BoundProgram.h"
#include "shaders/ListedShader.h"

#include "ShaderHarness.h"
#include "log/ProblemLog.h"

#include <algorithm>
#include <cstring>
#include <string>

using namespace MivexGL;

namespace
{

const char* const kVertex = R"(
varying vec2 uv;
void main()
{
    uv = gl_MultiTexCoord0.xy;
    gl_Position = gl_Vertex;
}
)";

const char* const kFragment = R"(
uniform float strength;
uniform vec3 tint;
varying vec2 uv;
void main()
{
    gl_FragColor = vec4(tint * strength, 1.0) + vec4(uv, 0.0, 0.0);
}
)";

// strength renamed, as a maker might in the GLSL.
const char* const kRenamed = R"(
uniform float gain;
uniform vec3 tint;
varying vec2 uv;
void main()
{
    gl_FragColor = vec4(tint * gain, 1.0) + vec4(uv, 0.0, 0.0);
}
)";

const cListedShader::Text kVertexFile{kVertex, "/mine/glsl/tint.vert"};
const cListedShader::Text kFragmentFile{kFragment, "/mine/glsl/tint.frag"};

// As a maker writes it now: texts and handles, nothing else.
class cPlainShader : public cListedShader
{
public:
    cPlainShader() : cListedShader("cPlainShader", kVertexFile, kFragmentFile) {}

    cUniform<float> strength{*this, "strength", 1.0f};
    cUniform<cVector3f> tint{*this, "tint"};
};

// As makers had to write it.
class cOverriddenShader : public cListedShader
{
public:
    cOverriddenShader() : cListedShader("cOverriddenShader", kVertexFile, kFragmentFile) {}
    bool Build() { return InitGLSL() && LoadVertexShader() && LoadFragmentShader(); }
    bool LoadVertexShader() override { return BuildVertex(); }
    bool LoadFragmentShader() override { return BuildFragment(); }

    cUniform<float> strength{*this, "strength", 1.0f};
    cUniform<cVector3f> tint{*this, "tint"};
};

const char* RenamedText(void* renamed, const cShaderSystem& program, bool fragment, const char*)
{
    return *static_cast<bool*>(renamed) && fragment &&
                   std::strcmp(program.GetName(), "cPlainShader") == 0
               ? kRenamed
               : nullptr;
}

bool Listed(const std::string& part)
{
    const std::vector<std::string> recent = cProblemLog::Instance().Recent();
    return std::any_of(recent.begin(), recent.end(),
                       [&](const std::string& line)
                       { return line.find(part) != std::string::npos; });
}

class SelfBuild : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(harness.Init(4, 4)); }
    void TearDown() override { cShaderSystem::SetSourceHook(nullptr, nullptr); }

    shadertest::ShaderHarness harness;
};

} // namespace

TEST_F(SelfBuild, TwoTextsWithNoOverridesDrawWhatTheOverriddenClassDraws)
{
    cPlainShader plain;
    cOverriddenShader overridden;
    ASSERT_TRUE(plain.Build());
    ASSERT_TRUE(overridden.Build());
    EXPECT_NE(plain.strength.GetLocation(), -1);
    for (cListedShader* program :
         {static_cast<cListedShader*>(&plain), static_cast<cListedShader*>(&overridden)})
    {
        EXPECT_EQ(program->GetSourceFile(true), kFragmentFile.path);
    }
    const cVector3f tint = cVector3f().Set(0.2f, 0.4f, 0.8f);
    plain.strength = 0.5f;
    overridden.strength = 0.5f;
    plain.tint = tint;
    overridden.tint = tint;
    const shadertest::Image seen =
        harness.Draw(plain.GetProgram(), [&] { ASSERT_TRUE(plain.Bind()); });
    const shadertest::Image wanted =
        harness.Draw(overridden.GetProgram(), [&] { ASSERT_TRUE(overridden.Bind()); });
    EXPECT_TRUE(shadertest::ImageNear(
        seen, [&](int x, int y) { return wanted.At(x, y); }, 0.0f));
    // Not a blank both ways: the tint and the coordinates reach the picture.
    EXPECT_TRUE(shadertest::RgbaNear(seen.At(0, 0), {0.225f, 0.325f, 0.4f, 1.0f}, 1e-5f));
}

TEST_F(SelfBuild, AHandleTheLinkedProgramLacksIsNamedUntilABuildHasItAgain)
{
    bool renamed = false;
    cShaderSystem::SetSourceHook(RenamedText, &renamed);
    cPlainShader program;
    ASSERT_TRUE(program.Build());
    const std::string line = "shader: cPlainShader: uniform \"strength\" is not in the linked "
                             "program (/mine/glsl/tint.frag)";
    EXPECT_FALSE(Listed(line));

    renamed = true;
    ASSERT_TRUE(program.Rebuild());
    EXPECT_TRUE(Listed(line));
    EXPECT_FALSE(Listed("uniform \"tint\""));

    renamed = false;
    ASSERT_TRUE(program.Rebuild());
    EXPECT_FALSE(Listed(line));
}

TEST_F(SelfBuild, TheScopedBindPutsTheEarlierProgramBack)
{
    cPlainShader outer;
    cPlainShader inner;
    ASSERT_TRUE(outer.Build() && inner.Build());
    cPlainShader never;
    GLint current = -1;
    {
        const cBoundProgram useOuter(outer);
        {
            const cBoundProgram useInner(inner);
            EXPECT_TRUE(static_cast<bool>(useInner));
            glGetIntegerv(GL_CURRENT_PROGRAM, &current);
            EXPECT_EQ(static_cast<GLhandleARB>(current), inner.GetProgram());
            // Never built: fixed function is not forced on the one around it.
            const cBoundProgram useNever(never);
            EXPECT_FALSE(static_cast<bool>(useNever));
        }
        glGetIntegerv(GL_CURRENT_PROGRAM, &current);
        EXPECT_EQ(static_cast<GLhandleARB>(current), outer.GetProgram());
    }
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
}
