// Live reload in a temporary working folder: a changed picture comes back
// into the same texture name and a broken one keeps the old texels; a changed
// GLSL text changes the frame and a broken one keeps the running program,
// with the info log naming its line. Without Start the folder is never read.
#include "app/ProblemLog.h"
#include "production/LiveReload.h"
#include "render/TextureSystem.h"
#include "shaders/ListedShader.h"
#include "shaders/ScreenShaders.h"
#include "platform/OffscreenGL.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

using namespace MivexGL;
namespace fs = std::filesystem;

namespace
{

struct Rgb
{
    unsigned char r, g, b;
};

class cProbeShader : public cListedShader
{
public:
    cProbeShader() : cListedShader("cProbeShader", kVertex, kRed, nullptr, 0) {}
    bool LoadVertexShader() override { return BuildVertex(); }
    bool LoadFragmentShader() override { return BuildFragment(); }

    static constexpr const char* kVertex = "void main()\n{\n    gl_Position = gl_Vertex;\n}\n";
    static constexpr const char* kRed =
        "void main()\n{\n    gl_FragColor = vec4(1.0, 0.0, 0.0, 1.0);\n}\n";
};

const char* const kBlue = "void main()\n{\n    gl_FragColor = vec4(0.0, 0.0, 1.0, 1.0);\n}\n";
const char* const kGreen = "void main()\n{\n    gl_FragColor = vec4(0.0, 1.0, 0.0, 1.0);\n}\n";
// The fault sits on line 3.
const char* const kBroken = "void main()\n{\n    gl_FragColor = vec4(0.0, 1.0 0.0, 1.0);\n}\n";

void WriteText(const fs::path& file, const std::string& text)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
}

// A later modification time than any seen, however coarse the file system.
void Touch(const fs::path& file)
{
    static auto stamp = fs::file_time_type::clock::now();
    stamp += std::chrono::seconds(2);
    fs::last_write_time(file, stamp);
}

// Polls as a frame loop would until done says so; generous for a loaded machine.
bool PollUntil(cLiveReload& live, const std::function<bool()>& done)
{
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < limit)
    {
        live.Poll();
        if (done())
        {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

Rgb DrawnColour(const cProbeShader& program)
{
    glViewport(0, 0, 64, 64);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_TRUE(program.Bind());
    glBegin(GL_QUADS);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(1.0f, -1.0f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    program.Unbind();
    unsigned char pixel[4] = {};
    glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return Rgb{pixel[0], pixel[1], pixel[2]};
}

bool Same(Rgb a, Rgb b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

// The whole level 0 of a texture, with its size in front.
std::vector<unsigned char> Texels(GLuint name)
{
    glBindTexture(GL_TEXTURE_2D, name);
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<unsigned char> texels(static_cast<std::size_t>(width * height * 4) + 2);
    texels[0] = static_cast<unsigned char>(width);
    texels[1] = static_cast<unsigned char>(height);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data() + 2);
    glPopClientAttrib();
    glBindTexture(GL_TEXTURE_2D, 0);
    return texels;
}

// Problem lines since mark that start with prefix.
int LinesSince(std::uint64_t mark, const std::string& prefix, std::string* last = nullptr)
{
    const std::vector<std::string> recent = cProblemLog::Instance().Recent();
    const std::uint64_t fresh = cProblemLog::Instance().Count() - mark;
    int found = 0;
    for (std::size_t i = recent.size() - std::min<std::size_t>(fresh, recent.size());
         i < recent.size(); ++i)
    {
        if (recent[i].rfind(prefix, 0) == 0)
        {
            ++found;
            if (last != nullptr)
            {
                *last = recent[i];
            }
        }
    }
    return found;
}

class LiveReloadTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        gl = new platform::OffscreenGL;
        ASSERT_TRUE(gl->Create(64, 64));
    }
    static void TearDownTestSuite()
    {
        delete gl;
        gl = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(gl != nullptr && gl->MakeCurrent());
        folder = testsupport::MakeTempFolder("mivex-live");
        ASSERT_FALSE(folder.empty());
        fs::current_path(folder);
    }
    void TearDown() override
    {
        fs::current_path(MIVEX_BINARY_DIR);
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    static platform::OffscreenGL* gl;
    std::string folder;
};

platform::OffscreenGL* LiveReloadTest::gl = nullptr;

// Two of the generated pictures, different in size and content.
const fs::path kFirst = fs::path(MIVEX_BINARY_DIR) / "data" / "specular.jpg";
const fs::path kSecond = fs::path(MIVEX_BINARY_DIR) / "data" / "Gramek.jpg";

TEST_F(LiveReloadTest, ChangedPictureReplacesTexelsInPlaceAndBrokenOneKeepsThem)
{
    // What the second picture looks like loaded the ordinary way.
    fs::copy_file(kSecond, "second.jpg");
    cTextureSystem reference;
    reference.LoadTexture("second.jpg");
    ASSERT_NE(reference.GetName(), 0u);
    const std::vector<unsigned char> second = Texels(reference.GetName());

    fs::copy_file(kFirst, "picture.jpg");
    cLiveReload live;
    live.Start();
    cTextureSystem texture;
    texture.LoadTexture("picture.jpg");
    const GLuint name = texture.GetName();
    ASSERT_NE(name, 0u);
    ASSERT_NE(Texels(name), second);
    // Seen once before the change, so the change is a change.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    live.Poll();

    // Written over, as an editor saves (MinGW's copy_file cannot overwrite).
    WriteText("picture.jpg", testsupport::ReadFile(kSecond.string()));
    Touch("picture.jpg");
    EXPECT_TRUE(PollUntil(live, [&] { return Texels(name) == second; }));
    EXPECT_EQ(texture.GetName(), name);

    const std::uint64_t mark = cProblemLog::Instance().Count();
    WriteText("picture.jpg", "not a picture at all");
    Touch("picture.jpg");
    EXPECT_TRUE(PollUntil(live, [&] { return LinesSince(mark, "texture: picture.jpg: ") > 0; }));
    // One line, however many polls follow.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    live.Poll();
    EXPECT_EQ(LinesSince(mark, "texture: "), 1);
    EXPECT_EQ(texture.GetName(), name);
    EXPECT_EQ(Texels(name), second);
}

TEST_F(LiveReloadTest, EditedTextRebuildsTheClassAndABrokenOneKeepsTheRunningProgram)
{
    fs::create_directories("live-shaders");
    // A file already there is kept and read instead of the built-in text.
    WriteText("live-shaders/cProbeShader.frag", kBlue);
    cLiveReload live;
    live.Start();
    // The library's classes are written out at the start.
    cRadialBlurShader radial;
    EXPECT_EQ(testsupport::ReadFile("live-shaders/cRadialBlurShader.frag"),
              radial.GetFragmentSource());

    cProbeShader program;
    ASSERT_TRUE(program.InitGLSL());
    ASSERT_TRUE(program.LoadVertexShader());
    ASSERT_TRUE(program.LoadFragmentShader());
    EXPECT_EQ(testsupport::ReadFile("live-shaders/cProbeShader.vert"), cProbeShader::kVertex);
    EXPECT_TRUE(Same(DrawnColour(program), Rgb{0, 0, 255}));

    WriteText("live-shaders/cProbeShader.frag", kGreen);
    Touch("live-shaders/cProbeShader.frag");
    EXPECT_TRUE(PollUntil(live, [&] { return Same(DrawnColour(program), Rgb{0, 255, 0}); }));
    EXPECT_FALSE(program.LastBuildFailed());

    const std::uint64_t mark = cProblemLog::Instance().Count();
    WriteText("live-shaders/cProbeShader.frag", kBroken);
    Touch("live-shaders/cProbeShader.frag");
    EXPECT_TRUE(PollUntil(live, [&] { return program.LastBuildFailed(); }));
    std::string line;
    EXPECT_EQ(LinesSince(mark, "shader: cProbeShader: fragment shader did not compile: ", &line),
              1);
    // The driver's log places the fault on line 3 ("0:3(...)" from Mesa).
    EXPECT_NE(line.find(":3("), std::string::npos) << line;
    EXPECT_NE(program.GetBuildLog().find(":3("), std::string::npos) << program.GetBuildLog();
    EXPECT_TRUE(program.IsLinked());
    EXPECT_TRUE(Same(DrawnColour(program), Rgb{0, 255, 0}));

    // Mended, it builds again.
    WriteText("live-shaders/cProbeShader.frag", kBlue);
    Touch("live-shaders/cProbeShader.frag");
    EXPECT_TRUE(PollUntil(live, [&] { return Same(DrawnColour(program), Rgb{0, 0, 255}); }));
    EXPECT_FALSE(program.LastBuildFailed());
}

TEST_F(LiveReloadTest, WithoutStartTheBuiltInTextsAreUsed)
{
    {
        // A reload that came and went leaves nothing behind.
        cLiveReload live;
        live.Start();
    }
    fs::create_directories("live-shaders");
    WriteText("live-shaders/cProbeShader.frag", kBlue);
    cProbeShader program;
    ASSERT_TRUE(program.InitGLSL());
    ASSERT_TRUE(program.LoadVertexShader());
    ASSERT_TRUE(program.LoadFragmentShader());
    EXPECT_TRUE(Same(DrawnColour(program), Rgb{255, 0, 0}));
}

} // namespace
