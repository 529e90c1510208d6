// Live reload in a temporary working folder: a changed picture comes back
// into the same texture name and a broken one keeps the old texels; a changed
// GLSL text changes the frame and a broken one keeps the running program,
// with the info log naming its line. Without Start the folder is never read.
#include "app/ProblemLog.h"
#include "production/LiveReload.h"
#include "render/TextureSystem.h"
#include "shaders/ListedShader.h"
#include "shaders/ScreenShaders.h"
#include "support/Recorders.h"

// After our headers: libjpeg's TRUE and FALSE would shadow the platform's.
#include "render/TextureFixtures.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

using namespace MivexGL;
namespace fs = std::filesystem;

namespace
{

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

fixtures::Rgb DrawnColour(const cProbeShader& program)
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
    return fixtures::Rgb{pixel[0], pixel[1], pixel[2]};
}

bool Same(fixtures::Rgb a, fixtures::Rgb b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

std::vector<unsigned char> Flat(int size, fixtures::Rgb colour)
{
    std::vector<unsigned char> pixels;
    for (int i = 0; i < size * size; ++i)
    {
        pixels.insert(pixels.end(), {colour.r, colour.g, colour.b});
    }
    return pixels;
}

fixtures::Rgb Texel(GLuint name)
{
    std::vector<unsigned char> texels(4 * 4 * 4);
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return fixtures::Rgb{texels[0], texels[1], texels[2]};
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

class LiveReloadTest : public fixtures::GLTest
{
protected:
    void SetUp() override
    {
        fixtures::GLTest::SetUp();
        folder = testsupport::MakeTempFolder("mivex-live");
        ASSERT_FALSE(folder.empty());
        ASSERT_EQ(::chdir(folder.c_str()), 0);
    }
    void TearDown() override
    {
        ASSERT_EQ(::chdir(MIVEX_BINARY_DIR), 0);
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    std::string folder;
};

TEST_F(LiveReloadTest, ChangedPictureReplacesTexelsInPlaceAndBrokenOneKeepsThem)
{
    const fixtures::Rgb red{255, 0, 0};
    const fixtures::Rgb green{0, 255, 0};
    fixtures::WritePng("picture.png", 4, 4, Flat(4, red), false);
    cLiveReload live;
    live.Start();
    cTextureSystem texture;
    texture.LoadTexture("picture.png");
    const GLuint name = texture.GetName();
    ASSERT_NE(name, 0u);
    ASSERT_TRUE(Same(Texel(name), red));
    // Seen once before the change, so the change is a change.
    PollUntil(live, [] { return true; });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    live.Poll();

    fixtures::WritePng("picture.png", 4, 4, Flat(4, green), false);
    Touch("picture.png");
    EXPECT_TRUE(PollUntil(live, [&] { return Same(Texel(name), green); }));
    EXPECT_EQ(texture.GetName(), name);

    const std::uint64_t mark = cProblemLog::Instance().Count();
    WriteText("picture.png", "not a picture at all");
    Touch("picture.png");
    EXPECT_TRUE(PollUntil(live, [&] { return LinesSince(mark, "texture: picture.png: ") > 0; }));
    // One line, however many polls follow.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    live.Poll();
    EXPECT_EQ(LinesSince(mark, "texture: "), 1);
    EXPECT_EQ(texture.GetName(), name);
    EXPECT_TRUE(Same(Texel(name), green));
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
    EXPECT_TRUE(Same(DrawnColour(program), fixtures::Rgb{0, 0, 255}));

    WriteText("live-shaders/cProbeShader.frag", kGreen);
    Touch("live-shaders/cProbeShader.frag");
    EXPECT_TRUE(PollUntil(live,
                          [&] {
                              return Same(DrawnColour(program), fixtures::Rgb{0, 255, 0});
                          }));
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
    EXPECT_TRUE(Same(DrawnColour(program), fixtures::Rgb{0, 255, 0}));

    // Mended, it builds again.
    WriteText("live-shaders/cProbeShader.frag", kBlue);
    Touch("live-shaders/cProbeShader.frag");
    EXPECT_TRUE(PollUntil(live,
                          [&] {
                              return Same(DrawnColour(program), fixtures::Rgb{0, 0, 255});
                          }));
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
    EXPECT_TRUE(Same(DrawnColour(program), fixtures::Rgb{255, 0, 0}));
}

} // namespace
