// Program base against a real GL context: the colour program's output, the
// capability guard (through the extension and lookup seams), stage failures
// and the release order of GL objects.
#include "render/ShaderSystem.h"
#include "render/ShaderSeams.h"

#include "platform/GLProc.h"

// The harness lives with the program-library tests; this area links it in
// here rather than into every render test.
#include "shaders/ShaderHarness.cpp"

#include <cstring>
#include <string>
#include <vector>

using MivexGL::cShaderSystem;
using MivexGL::SetShaderExtensionsOverride;
using MivexGL::SetShaderProcLookupOverride;
using shadertest::Rgba;
using shadertest::ShaderHarness;

namespace
{

std::vector<GLhandleARB> gDeleted;
int gLookups = 0;
const char* gMissing[3] = {nullptr, nullptr, nullptr};

void RecordingDelete(GLhandleARB handle)
{
    gDeleted.push_back(handle);
    auto real =
        reinterpret_cast<PFNGLDELETEOBJECTARBPROC>(platform::GetGLProcAddress("glDeleteObjectARB"));
    real(handle);
}

// Real entry points, with glDeleteObjectARB recorded and the names in
// gMissing reported absent.
platform::GLProc Lookup(const char* name)
{
    ++gLookups;
    for (const char* missing : gMissing)
    {
        if (missing != nullptr && std::strcmp(missing, name) == 0)
        {
            return nullptr;
        }
    }
    if (std::strcmp(name, "glDeleteObjectARB") == 0)
    {
        return reinterpret_cast<platform::GLProc>(&RecordingDelete);
    }
    return platform::GetGLProcAddress(name);
}

// Exposes the handles and one entry point for inspection.
class cProbe : public cShaderSystem
{
public:
    GLhandleARB Vertex() const { return vertexShader; }
    GLhandleARB Fragment() const { return fragmentShader; }
    bool AnyEntryPointLoaded() const
    {
        return glCreateProgramObjectARB != nullptr || glDeleteObjectARB != nullptr ||
               glUniform1iARB != nullptr || glActiveTextureARB != nullptr;
    }
    GLint Find(const char* name) const { return Location(name); }
};

class cBrokenVertex : public cProbe
{
public:
    bool LoadVertexShader() override
    {
        return BuildStage(GL_VERTEX_SHADER_ARB, "void main() { gl_Position = ; }", vertexShader);
    }
};

class ShaderSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(harness.Init(8, 8));
        gDeleted.clear();
        gLookups = 0;
        gMissing[0] = gMissing[1] = gMissing[2] = nullptr;
        SetShaderProcLookupOverride(&Lookup);
    }
    void TearDown() override
    {
        SetShaderProcLookupOverride(nullptr);
        SetShaderExtensionsOverride(nullptr);
    }

    ShaderHarness harness;
};

TEST_F(ShaderSystemTest, ColourProgramDrawsWhiteAsCyan)
{
    cShaderSystem shader;
    ASSERT_TRUE(shader.InitGLSL());
    ASSERT_TRUE(shader.LoadVertexShader());
    ASSERT_TRUE(shader.LoadFragmentShader());
    shadertest::Image out = harness.Draw(shader.GetProgram(), {}, {1.0f, 1.0f, 1.0f, 1.0f});
    EXPECT_TRUE(shadertest::ImageNear(
        out,
        [](int, int) {
            return Rgba{0.0f, 1.0f, 1.0f, 1.0f};
        },
        1e-6f));
}

TEST_F(ShaderSystemTest, ColourProgramKeepsGreenBlueAlphaOfVertexColour)
{
    cShaderSystem shader;
    ASSERT_TRUE(shader.InitGLSL());
    ASSERT_TRUE(shader.LoadVertexShader());
    ASSERT_TRUE(shader.LoadFragmentShader());
    shadertest::Image out = harness.Draw(shader.GetProgram(), {}, {0.75f, 0.25f, 0.5f, 0.125f});
    EXPECT_TRUE(shadertest::RgbaNear(out.At(3, 4), {0.0f, 0.25f, 0.5f, 0.125f}, 1e-6f));
}

TEST_F(ShaderSystemTest, MissingGLSLExtensionLoadsNothing)
{
    // Shader objects without the shading language: not enough.
    SetShaderExtensionsOverride("GL_ARB_multitexture GL_ARB_shader_objects");
    {
        cProbe shader;
        EXPECT_FALSE(shader.InitGLSL());
        EXPECT_FALSE(shader.AnyEntryPointLoaded());
        EXPECT_EQ(shader.GetProgram(), 0u);
        EXPECT_FALSE(shader.LoadVertexShader());
        EXPECT_FALSE(shader.LoadFragmentShader());
        EXPECT_FALSE(shader.LoadExtraShader());
    }
    EXPECT_EQ(gLookups, 0);
    EXPECT_TRUE(gDeleted.empty());

    SetShaderExtensionsOverride("GL_ARB_shading_language_100");
    cProbe second;
    EXPECT_FALSE(second.InitGLSL());
    EXPECT_EQ(gLookups, 0);
}

TEST_F(ShaderSystemTest, MissingRequiredEntryPointFailsAndDestroysSilently)
{
    for (const char* name : {"glUniform1iARB", "glGetInfoLogARB", "glLinkProgramARB"})
    {
        gMissing[0] = name;
        gDeleted.clear();
        {
            cProbe shader;
            EXPECT_FALSE(shader.InitGLSL()) << name;
            EXPECT_EQ(shader.GetProgram(), 0u) << name;
            EXPECT_FALSE(shader.LoadVertexShader()) << name;
            EXPECT_FALSE(shader.LoadFragmentShader()) << name;
            EXPECT_EQ(shader.Find("color"), -1) << name;
            shader.Use();
            shader.UseFixedFunction();
        }
        EXPECT_TRUE(gDeleted.empty()) << name;
    }
}

TEST_F(ShaderSystemTest, OptionalEntryPointsMayBeAbsent)
{
    gMissing[0] = "glUniform3fARB";
    gMissing[1] = "glUniform2fvARB";
    gMissing[2] = "glActiveTextureARB";
    cShaderSystem shader;
    ASSERT_TRUE(shader.InitGLSL());
    EXPECT_NE(shader.GetProgram(), 0u);
    EXPECT_TRUE(shader.LoadVertexShader());
    EXPECT_TRUE(shader.LoadFragmentShader());
}

TEST_F(ShaderSystemTest, NeverInitialisedObjectIssuesNoCall)
{
    {
        cProbe shader;
        EXPECT_FALSE(shader.LoadVertexShader());
        EXPECT_FALSE(shader.LoadFragmentShader());
    }
    EXPECT_EQ(gLookups, 0);
    EXPECT_TRUE(gDeleted.empty());
}

TEST_F(ShaderSystemTest, ReleasesVertexThenFragmentThenProgram)
{
    GLhandleARB vs = 0;
    GLhandleARB fs = 0;
    GLhandleARB program = 0;
    {
        cProbe shader;
        ASSERT_TRUE(shader.InitGLSL());
        ASSERT_TRUE(shader.LoadVertexShader());
        ASSERT_TRUE(shader.LoadFragmentShader());
        vs = shader.Vertex();
        fs = shader.Fragment();
        program = shader.GetProgram();
    }
    ASSERT_NE(vs, 0u);
    EXPECT_EQ(gDeleted, (std::vector<GLhandleARB>{vs, fs, program}));
}

TEST_F(ShaderSystemTest, BrokenVertexStageStaysUnattachedAndIsReported)
{
    GLhandleARB vs = 0;
    {
        cBrokenVertex shader;
        ASSERT_TRUE(shader.InitGLSL());
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(shader.LoadVertexShader());
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.rfind("shader: cShaderSystem: vertex shader did not compile: ", 0), 0u)
            << err;

        // The shader object is kept for release but was never attached.
        vs = shader.Vertex();
        EXPECT_NE(vs, 0u);
        GLint attached = -1;
        glGetObjectParameterivARB(shader.GetProgram(), GL_OBJECT_ATTACHED_OBJECTS_ARB, &attached);
        EXPECT_EQ(attached, 0);

        // A second build into the same slot would orphan the first object.
        EXPECT_FALSE(shader.LoadVertexShader());
        EXPECT_EQ(shader.Vertex(), vs);

        // The fragment loader links without a vertex stage.
        EXPECT_TRUE(shader.LoadFragmentShader());
        glGetObjectParameterivARB(shader.GetProgram(), GL_OBJECT_ATTACHED_OBJECTS_ARB, &attached);
        EXPECT_EQ(attached, 1);
    }
    ASSERT_EQ(gDeleted.size(), 3u);
    EXPECT_EQ(gDeleted.front(), vs);
}

TEST_F(ShaderSystemTest, UnknownUniformNameGivesMinusOne)
{
    cProbe shader;
    ASSERT_TRUE(shader.InitGLSL());
    ASSERT_TRUE(shader.LoadVertexShader());
    ASSERT_TRUE(shader.LoadFragmentShader());
    EXPECT_EQ(shader.Find("BlurFactor"), -1);
}

} // namespace
