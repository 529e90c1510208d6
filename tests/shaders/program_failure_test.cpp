// A program that does not build stays unusable and says why: one "shader: "
// line on standard error naming the class and carrying the driver's info log,
// for every class of the four families.
#include "ShaderHarness.h"

#include "shaders/BlurShaders.h"
#include "shaders/CrystalShaders.h"
#include "shaders/LightingShaders.h"
#include "shaders/ScreenShaders.h"

#include "platform/GLProc.h"
#include "render/ShaderSeams.h"

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

using namespace MivexGL;

namespace
{

const char* const kNames[] = {"tint"};

class cProbeShader : public cListedShader
{
public:
    cProbeShader(const char* vertexText, const char* fragmentText)
        : cListedShader("cProbeShader", vertexText, fragmentText, kNames, 1)
    {
    }
    bool LoadVertexShader() override { return BuildVertex(); }
    bool LoadFragmentShader() override { return BuildFragment(); }
};

const char* const kVertex = R"(
varying vec2 v;
void main()
{
    gl_Position = gl_Vertex;
    v = gl_Vertex.xy;
}
)";

std::vector<std::string> TaggedLines(const std::string& err)
{
    std::vector<std::string> tagged;
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);)
    {
        if (line.rfind("shader: ", 0) == 0)
        {
            tagged.push_back(line);
        }
    }
    return tagged;
}

// The line is the tag, the reason and a non-empty first line of the log.
::testing::AssertionResult Reports(const std::string& line, const std::string& tag)
{
    if (line.rfind(tag, 0) != 0 || line.size() <= tag.size() || line[tag.size()] == ' ')
    {
        return ::testing::AssertionFailure() << "\"" << line << "\" is not \"" << tag << "<log>\"";
    }
    return ::testing::AssertionSuccess();
}

// The program is left unusable: fixed function stays current after Bind.
void ExpectUnusable(const cListedShader& shader)
{
    EXPECT_FALSE(shader.IsLinked());
    EXPECT_EQ(shader.GetLocation("tint"), -1);
    EXPECT_FALSE(shader.Bind());
    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
}

class ProgramFailureTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(harness.Init(4, 4)); }
    void TearDown() override { SetShaderProcLookupOverride(nullptr); }

    shadertest::ShaderHarness harness;
};

TEST_F(ProgramFailureTest, StageAndLinkFailuresAreOneTaggedLineEach)
{
    {
        cProbeShader shader(kVertex, "varying vec2 v;\nvoid main() { gl_FragColor = nowhere; }\n");
        ASSERT_TRUE(shader.InitGLSL());
        ::testing::internal::CaptureStderr();
        EXPECT_TRUE(shader.LoadVertexShader());
        EXPECT_FALSE(shader.LoadFragmentShader());
        std::string err = ::testing::internal::GetCapturedStderr();
        std::vector<std::string> tagged = TaggedLines(err);
        ASSERT_EQ(tagged.size(), 1u) << err;
        EXPECT_TRUE(Reports(tagged[0], "shader: cProbeShader: fragment shader did not compile: "));
        EXPECT_EQ(err.rfind("shader: ", 0), 0u) << err;
        EXPECT_EQ(err.back(), '\n');
        ExpectUnusable(shader);
    }
    {
        // Both stages compile; the varying's types disagree only at the link.
        cProbeShader shader(kVertex, "uniform float tint;\nvarying vec3 v;\n"
                                     "void main() { gl_FragColor = vec4(v, tint); }\n");
        ASSERT_TRUE(shader.InitGLSL());
        ::testing::internal::CaptureStderr();
        EXPECT_TRUE(shader.LoadVertexShader());
        EXPECT_FALSE(shader.LoadFragmentShader());
        std::string err = ::testing::internal::GetCapturedStderr();
        std::vector<std::string> tagged = TaggedLines(err);
        ASSERT_EQ(tagged.size(), 1u) << err;
        EXPECT_TRUE(Reports(tagged[0], "shader: cProbeShader: program did not link: "));
        ExpectUnusable(shader);
    }
}

// Every text handed to the driver is replaced by one that cannot compile.
void BrokenSource(GLhandleARB handle, GLsizei, const GLcharARB**, const GLint*)
{
    static const GLcharARB* broken = "this is not GLSL";
    auto real =
        reinterpret_cast<PFNGLSHADERSOURCEARBPROC>(platform::GetGLProcAddress("glShaderSourceARB"));
    real(handle, 1, &broken, nullptr);
}

platform::GLProc BreakingLookup(const char* name)
{
    if (std::strcmp(name, "glShaderSourceARB") == 0)
    {
        return reinterpret_cast<platform::GLProc>(&BrokenSource);
    }
    return platform::GetGLProcAddress(name);
}

// Both loaders fail, each under the class's own name, and nothing more is said.
template <typename Shader> void CheckNamed(const char* name)
{
    Shader shader;
    ASSERT_TRUE(shader.InitGLSL()) << name;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(shader.LoadVertexShader()) << name;
    EXPECT_FALSE(shader.LoadFragmentShader()) << name;
    std::vector<std::string> tagged = TaggedLines(::testing::internal::GetCapturedStderr());
    ASSERT_EQ(tagged.size(), 2u) << name;
    std::string tag = std::string("shader: ") + name + ": ";
    EXPECT_TRUE(Reports(tagged[0], tag + "vertex shader did not compile: "));
    EXPECT_TRUE(Reports(tagged[1], tag + "fragment shader did not compile: "));
}

TEST_F(ProgramFailureTest, EveryClassNamesItself)
{
    SetShaderProcLookupOverride(&BreakingLookup);
    CheckNamed<cWaterNoFogShader>("cWaterNoFogShader");
    CheckNamed<cWaterShader>("cWaterShader");
    CheckNamed<cUnderwaterShader>("cUnderwaterShader");
    CheckNamed<cReflectBumpShader>("cReflectBumpShader");
    CheckNamed<cTwoLightShader>("cTwoLightShader");
    CheckNamed<cTwoLightRepeatShader>("cTwoLightRepeatShader");
    CheckNamed<cTwoLightBlobShader>("cTwoLightBlobShader");
    CheckNamed<cTwoLightUnderwaterShader>("cTwoLightUnderwaterShader");
    CheckNamed<cTwoLightDriftShader>("cTwoLightDriftShader");
    CheckNamed<cTwoLightScrollShader>("cTwoLightScrollShader");
    CheckNamed<cTwoLightTintShader>("cTwoLightTintShader");
    CheckNamed<cTwoLightFadeShader>("cTwoLightFadeShader");
    CheckNamed<cTwoLightAlphaShader>("cTwoLightAlphaShader");
    CheckNamed<cSimpleBumpShader>("cSimpleBumpShader");
    CheckNamed<cGaussianMapShader>("cGaussianMapShader");
    CheckNamed<cDiscBlurShader>("cDiscBlurShader");
    CheckNamed<cRadialBlurShader>("cRadialBlurShader");
    CheckNamed<cDepthOfFieldShader>("cDepthOfFieldShader");
    CheckNamed<cDistortShader>("cDistortShader");
    CheckNamed<cWipeMaskShader>("cWipeMaskShader");
    CheckNamed<cWobbleShader>("cWobbleShader");
    CheckNamed<cImageShader>("cImageShader");
    CheckNamed<cScreenShader>("cScreenShader");
    CheckNamed<cOverlayShader>("cOverlayShader");
    CheckNamed<cBackdropShader>("cBackdropShader");
    CheckNamed<cCrystalShader>("cCrystalShader");
    CheckNamed<cCrystalSumShader>("cCrystalSumShader");
    CheckNamed<cCrystalBlobShader>("cCrystalBlobShader");
    CheckNamed<cGlassShader>("cGlassShader");
}

// The demo's two programs build in its own order without a word.
TEST_F(ProgramFailureTest, DemoProgramsBuildSilently)
{
    cGaussianMapShader gaussianMap;
    cRadialBlurShader radialBlur;
    ::testing::internal::CaptureStderr();
    gaussianMap.InitGLSL();
    gaussianMap.LoadVertexShader();
    gaussianMap.LoadBlurMapProgram(1024.0f, 768.0f);
    radialBlur.InitGLSL();
    radialBlur.LoadVertexShader();
    radialBlur.LoadFragmentShader();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(gaussianMap.IsLinked());
    EXPECT_TRUE(radialBlur.IsLinked());
}

} // namespace
