// Live reload in a temporary working folder: a changed picture comes back
// into the same texture name and a broken one keeps the old texels; a changed
// GLSL text changes the frame and a broken one keeps the running program,
// with the info log naming its line, said once for all programs of the text
// and taken back once it builds. Each variant has its own file, written when
// first built; a copy knows which text it came from; a production's own GLSL
// file is watched in place; anything but a small regular file costs one line.
// Without Start the folder is never read.
#include "log/ProblemLog.h"
#include "log/ShaderLogPlaces.h"
#include "production/LiveReload.h"
#include "render/TextureSystem.h"
#include "shaders/ListedShader.h"
#include "shaders/ScreenShaders.h"
#include "platform/OffscreenGL.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>

// The Linux build embeds this suite's GLSL files; the Windows one does not.
#if defined(MIVEX_EMBEDDED_PROBE)
#include "EmbeddedProbe.h"
#endif
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <algorithm>
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
    explicit cProbeShader(const char* name = "", const char* fragment = kRed)
        : cListedShader("cProbeShader", kVertex, fragment, nullptr, 0)
    {
        SetVariant(name);
    }
    cProbeShader(const Text& vertex, const Text& fragment)
        : cListedShader("cProbeShader", vertex, fragment, nullptr, 0)
    {
    }
    bool Build() { return InitGLSL() && LoadVertexShader() && LoadFragmentShader(); }
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

    // Mended: the picture comes back and its line leaves the overlay's list.
    WriteText("picture.jpg", testsupport::ReadFile(kFirst.string()));
    Touch("picture.jpg");
    auto listed = []
    {
        const std::vector<std::string> kept = cProblemLog::Instance().Recent();
        return std::count_if(kept.begin(), kept.end(),
                             [](const std::string& line)
                             { return line.rfind("texture: picture.jpg: ", 0) == 0; });
    };
    EXPECT_TRUE(PollUntil(live, [&] { return Texels(name) != second && listed() == 0; }));
}

TEST_F(LiveReloadTest, EditedTextRebuildsTheClassAndABrokenOneKeepsTheRunningProgram)
{
    fs::create_directories("live-shaders");
    // A file already there is kept and read instead of the built-in text.
    WriteText("live-shaders/cProbeShader.frag", kBlue);
    cLiveReload live;
    live.Start();

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

    // A second program of the same text fails with the first, in one line.
    cProbeShader twin;
    ASSERT_TRUE(twin.Build());
    const std::uint64_t mark = cProblemLog::Instance().Count();
    WriteText("live-shaders/cProbeShader.frag", kBroken);
    Touch("live-shaders/cProbeShader.frag");
    EXPECT_TRUE(
        PollUntil(live, [&] { return program.LastBuildFailed() && twin.LastBuildFailed(); }));
    std::string line;
    EXPECT_EQ(LinesSince(mark, "shader: cProbeShader: fragment shader did not compile: ", &line),
              1);
    // The driver's log places the fault on line 3 ("0:3(...)" from Mesa).
    EXPECT_NE(line.find(":3("), std::string::npos) << line;
    EXPECT_NE(program.GetBuildLog().find(":3("), std::string::npos) << program.GetBuildLog();
    EXPECT_TRUE(program.IsLinked());
    EXPECT_TRUE(Same(DrawnColour(program), Rgb{0, 255, 0}));

    // Mended, it builds again and the line leaves the overlay's list.
    WriteText("live-shaders/cProbeShader.frag", kBlue);
    Touch("live-shaders/cProbeShader.frag");
    EXPECT_TRUE(PollUntil(live, [&] { return Same(DrawnColour(program), Rgb{0, 0, 255}); }));
    EXPECT_FALSE(program.LastBuildFailed());
    EXPECT_TRUE(PollUntil(live, [&] { return !twin.LastBuildFailed(); }));
    for (const std::string& kept : cProblemLog::Instance().Recent())
    {
        EXPECT_NE(kept, line);
    }
}

TEST_F(LiveReloadTest, EachVariantBuildsFromItsOwnFileWrittenWhenFirstBuilt)
{
    cLiveReload live;
    live.Start();
    // Made, never built: no file.
    cRadialBlurShader radial;
    EXPECT_FALSE(fs::exists("live-shaders/cRadialBlurShader.frag"));

    cProbeShader red;
    cProbeShader blue("blue", kBlue);
    // Same name, another text: a file of its own rather than the other's.
    cProbeShader green("blue", kGreen);
    ASSERT_TRUE(red.Build() && blue.Build() && green.Build());
    EXPECT_TRUE(Same(DrawnColour(red), Rgb{255, 0, 0}));
    EXPECT_TRUE(Same(DrawnColour(blue), Rgb{0, 0, 255}));
    EXPECT_TRUE(Same(DrawnColour(green), Rgb{0, 255, 0}));
    EXPECT_EQ(testsupport::ReadFile("live-shaders/cProbeShader.blue.frag"), kBlue);
    EXPECT_EQ(testsupport::ReadFile("live-shaders/cProbeShader.blue.vert"), cProbeShader::kVertex);

    // An edit reaches the programs built from that file only.
    WriteText("live-shaders/cProbeShader.blue.frag", kGreen);
    Touch("live-shaders/cProbeShader.blue.frag");
    EXPECT_TRUE(PollUntil(live, [&] { return Same(DrawnColour(blue), Rgb{0, 255, 0}); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    live.Poll();
    EXPECT_TRUE(Same(DrawnColour(red), Rgb{255, 0, 0}));
}

TEST_F(LiveReloadTest, CopiesKnowWhichTextTheyCameFrom)
{
    fs::create_directories("live-shaders/.builtin");
    // Untouched copies of an older text (blue), an edit of it, and an edit of
    // the program's own text (red).
    WriteText("live-shaders/cProbeShader.old.frag", kBlue);
    WriteText("live-shaders/.builtin/cProbeShader.old.frag", kBlue);
    WriteText("live-shaders/cProbeShader.stale.frag", kGreen);
    WriteText("live-shaders/.builtin/cProbeShader.stale.frag", kBlue);
    WriteText("live-shaders/cProbeShader.edit.frag", kGreen);
    WriteText("live-shaders/.builtin/cProbeShader.edit.frag", cProbeShader::kRed);
    const std::uint64_t mark = cProblemLog::Instance().Count();
    cLiveReload live;
    live.Start();
    cProbeShader old("old");
    cProbeShader stale("stale");
    cProbeShader edit("edit");
    ASSERT_TRUE(old.Build() && stale.Build() && edit.Build());

    EXPECT_TRUE(Same(DrawnColour(old), Rgb{255, 0, 0}));
    EXPECT_EQ(testsupport::ReadFile("live-shaders/cProbeShader.old.frag"), cProbeShader::kRed);
    EXPECT_EQ(testsupport::ReadFile("live-shaders/.builtin/cProbeShader.old.frag"),
              cProbeShader::kRed);
    EXPECT_TRUE(Same(DrawnColour(edit), Rgb{0, 255, 0}));
    // Played, but never in silence.
    EXPECT_TRUE(Same(DrawnColour(stale), Rgb{0, 255, 0}));
    std::string line;
    EXPECT_EQ(LinesSince(mark, "shader: ", &line), 1);
    EXPECT_EQ(line.rfind("shader: live-shaders/cProbeShader.stale.frag: differs from the "
                         "program's own text",
                         0),
              0u)
        << line;

    // Carried over into the program's own text, the copy is that text again.
    WriteText("live-shaders/cProbeShader.stale.frag", cProbeShader::kRed);
    Touch("live-shaders/cProbeShader.stale.frag");
    EXPECT_TRUE(PollUntil(live, [&] { return Same(DrawnColour(stale), Rgb{255, 0, 0}); }));
    const std::vector<std::string> kept = cProblemLog::Instance().Recent();
    EXPECT_EQ(std::find(kept.begin(), kept.end(), line), kept.end());
    EXPECT_EQ(testsupport::ReadFile("live-shaders/.builtin/cProbeShader.stale.frag"),
              cProbeShader::kRed);
}

TEST_F(LiveReloadTest, OnlySmallRegularFilesAreReadAndTheRunGoesOn)
{
    std::vector<const char*> variants{"folder", "huge"};
    fs::create_directories("live-shaders/cProbeShader.folder.frag");
#if !defined(_WIN32)
    ASSERT_EQ(mkfifo("live-shaders/cProbeShader.fifo.frag", 0600), 0);
    fs::create_symlink("/dev/zero", "live-shaders/cProbeShader.zero.frag");
    variants.insert(variants.end(), {"fifo", "zero"});
#endif
    WriteText("live-shaders/cProbeShader.huge.frag",
              std::string(cLiveReload::kMaxTextBytes + 1, ' ') + kBlue);
    const std::uint64_t mark = cProblemLog::Instance().Count();
    cLiveReload live;
    live.Start();
    for (const char* variant : variants)
    {
        cProbeShader program(variant);
        ASSERT_TRUE(program.Build());
        EXPECT_TRUE(Same(DrawnColour(program), Rgb{255, 0, 0})) << variant;
        const std::string name = std::string("live-shaders/cProbeShader.") + variant + ".frag";
        EXPECT_EQ(LinesSince(mark, "shader: " + name + ": "), 1) << variant;
        // Polled again, nothing more is said.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        live.Poll();
        EXPECT_EQ(LinesSince(mark, "shader: " + name + ": "), 1) << variant;
    }
    EXPECT_EQ(LinesSince(mark, "shader: live-shaders/cProbeShader.huge.frag: larger than 1 MiB"),
              1);
}

#if defined(MIVEX_EMBEDDED_PROBE)
TEST_F(LiveReloadTest, OwnGlslFileIsEmbeddedAndWatchedInPlace)
{
    // The header holds the file's text and names the file.
    EXPECT_EQ(testsupport::ReadFile(glsl::kProbeGreenFrag.path), glsl::kProbeGreenFrag.text);
    EXPECT_TRUE(fs::path(glsl::kProbeGreenFrag.path).is_absolute());

    // A production's file, here a copy this test may edit.
    WriteText("mine.frag", glsl::kProbeGreenFrag.text);
    const std::string mine = (fs::current_path() / "mine.frag").string();
    cLiveReload live;
    live.Start();
    cProbeShader program(glsl::kProbeVert,
                         cListedShader::Text{glsl::kProbeGreenFrag.text, mine.c_str()});
    ASSERT_TRUE(program.Build());
    EXPECT_TRUE(Same(DrawnColour(program), Rgb{0, 255, 0}));
    // No copy: the file itself is what is edited.
    EXPECT_FALSE(fs::exists("live-shaders/cProbeShader.frag"));

    WriteText(mine, kBlue);
    Touch(mine);
    EXPECT_TRUE(PollUntil(live, [&] { return Same(DrawnColour(program), Rgb{0, 0, 255}); }));
}
#endif

bool Kept(const std::string& start)
{
    const std::vector<std::string> recent = cProblemLog::Instance().Recent();
    return std::any_of(recent.begin(), recent.end(),
                       [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

TEST_F(LiveReloadTest, AnEmbeddedFileThatCannotBeWatchedIsSaidUntilItIsBack)
{
    fs::create_directories("glsl");
    const std::string gone = (fs::current_path() / "glsl" / "plasma.frag").string();
    cLiveReload live;
    live.Start();
    const std::uint64_t mark = cProblemLog::Instance().Count();
    cProbeShader program(cListedShader::Text{cProbeShader::kVertex, nullptr},
                         cListedShader::Text{kGreen, gone.c_str()});
    ASSERT_TRUE(program.Build());
    EXPECT_TRUE(Same(DrawnColour(program), Rgb{0, 255, 0}));
    std::string line;
    EXPECT_EQ(LinesSince(mark, "shader: " + gone + ": gone, so --dev cannot watch it", &line), 1);
    EXPECT_NE(line.find("live-shaders/cProbeShader.frag is played"), std::string::npos) << line;

    // Back, it is what the program builds from, and the line leaves the list.
    WriteText(gone, kBlue);
    EXPECT_TRUE(PollUntil(live, [&] { return Same(DrawnColour(program), Rgb{0, 0, 255}); }));
    EXPECT_FALSE(Kept("shader: " + gone));
    WriteText(gone, kGreen);
    Touch(gone);
    EXPECT_TRUE(PollUntil(live, [&] { return Same(DrawnColour(program), Rgb{0, 255, 0}); }));

    // A relative name that leads nowhere from here says so.
    cProbeShader relative(cListedShader::Text{cProbeShader::kVertex, nullptr},
                          cListedShader::Text{kBlue, "elsewhere/tint.frag"});
    ASSERT_TRUE(relative.Build());
    EXPECT_TRUE(Kept("shader: elsewhere/tint.frag: embedded by a relative path not found"));
}

TEST_F(LiveReloadTest, ACompileErrorNamesTheFileAndItsLine)
{
    fs::create_directories("glsl");
    const std::string file = (fs::current_path() / "glsl" / "plasma.frag").string();
    WriteText(file, kBroken);
    const cListedShader::Text vertex{cProbeShader::kVertex, nullptr};
    const cListedShader::Text fragment{kBroken, file.c_str()};
    // In a plain run, from the embedded text, on the overlay's list too.
    const std::uint64_t mark = cProblemLog::Instance().Count();
    {
        cProbeShader program(vertex, fragment);
        EXPECT_FALSE(program.Build());
    }
    std::string line;
    EXPECT_EQ(LinesSince(mark, "shader: cProbeShader: fragment shader did not compile: ", &line),
              1);
    EXPECT_NE(line.find(": glsl/plasma.frag:3:"), std::string::npos) << line;
    // Under --dev, from the file.
    cLiveReload live;
    live.Start();
    cProbeShader program(vertex, fragment);
    EXPECT_FALSE(program.Build());
    EXPECT_NE(program.GetBuildLog().find(": glsl/plasma.frag:3:"), std::string::npos)
        << program.GetBuildLog();
}

TEST(ShaderLogPlaces, EachDriversPlaceBecomesTheFileAndLine)
{
    const std::string here = fs::current_path().string();
    EXPECT_EQ(PlaceShaderLog("0:12(5): error: syntax error\n0:14(1): warning: x", here + "/a.frag"),
              "a.frag:12:5: error: syntax error\na.frag:14:1: warning: x");
    EXPECT_EQ(PlaceShaderLog("0(12) : error C0000: syntax error", "/elsewhere/b.frag"),
              "/elsewhere/b.frag:12: error C0000: syntax error");
    EXPECT_EQ(PlaceShaderLog("ERROR: 0:7: 'x' : undeclared\nERROR: 1 compilation errors", "c.vert"),
              "ERROR: c.vert:7: 'x' : undeclared\nERROR: 1 compilation errors");
    // A number that is no place stays.
    EXPECT_EQ(PlaceShaderLog("10:2: odd", "d.frag"), "10:2: odd");
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
