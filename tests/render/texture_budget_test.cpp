// Pictures under a memory allowance: a texture larger than it is halved on
// both sides until it fits and says so once; and the whole demo, fed a data
// folder of tiny 1-dpi JPEGs (each asking for the largest texture) and one
// huge PNG, loads in bounded memory, measured as the child's peak RSS.
#include "platform/PngDecoder.h"
#include "render/TextureSystem.h"
#include "support/Recorders.h"

#include "TextureFixtures.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using MivexGL::cTextureSystem;
namespace fs = std::filesystem;

namespace
{

const std::string kDir = "picture_fixtures/budget";

// 86 x 86 pixels recorded at 1 dpi: 86 inches, 8256 pixels on the display,
// an 8192 x 8192 texture by the density rule.
void WriteTinyJpeg(const std::string& path)
{
    fixtures::WriteJpeg(path, 86, 86,
                        [](int x, int y)
                        {
                            return fixtures::Rgb{static_cast<unsigned char>(40 + x), 90,
                                                 static_cast<unsigned char>(40 + y)};
                        },
                        {50, 1, 1});
}

// A size x size RGB PNG written a row at a time: a few MB on disk,
// size * size * 3 bytes once decoded.
void WriteBigPng(const std::string& path, int size, bool interlaced = false)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(size), static_cast<png_uint_32>(size), 8,
                 PNG_COLOR_TYPE_RGB, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 1);
    png_write_info(png, info);
    // Interlaced, every pass takes every row and keeps its own pixels.
    const int passes = png_set_interlace_handling(png);
    std::vector<png_byte> row(static_cast<std::size_t>(size) * 3);
    for (int pass = 0; pass < passes; ++pass)
    {
        for (int y = 0; y < size; ++y)
        {
            for (std::size_t i = 0; i < row.size(); ++i)
            {
                row[i] = static_cast<png_byte>((i / 3 + static_cast<std::size_t>(y)) / 32);
            }
            png_write_row(png, row.data());
        }
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

class TextureBudget : public fixtures::GLTest
{
public:
    static void SetUpTestSuite()
    {
        fixtures::GLTest::SetUpTestSuite();
        fixtures::MakeFolders(kDir);
    }

protected:
    static void Size(const cTextureSystem& texture, GLint& width, GLint& height)
    {
        glBindTexture(GL_TEXTURE_2D, texture.GetName());
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    }
};

TEST_F(TextureBudget, PicturesPastTheirAllowanceAreHalvedAndSaySo)
{
    const std::string jpeg = kDir + "/wide.jpg";
    // 400 x 100 at 96 dpi: a 512 x 128 texture, 256 KiB.
    fixtures::WriteJpeg(jpeg, 400, 100,
                        [](int x, int y) { return fixtures::Quadrant(x, y, 400, 100); },
                        {95, 1, 96});
    const std::string png = kDir + "/odd.png";
    std::vector<unsigned char> pixels(37 * 29 * 4, 200);
    fixtures::WritePng(png, 37, 29, pixels, true);

    struct Case
    {
        std::string path;
        long long allowance;
        GLint width, height;
        std::string said;
    };
    const Case cases[] = {
        // Exactly the size fits: nothing said.
        {jpeg, 512 * 128 * 4, 512, 128, ""},
        {jpeg, 512 * 128 * 4 - 1, 256, 64,
         "texture: " + jpeg +
             ": 512 x 128 is too large for the texture memory budget, loaded at 256 x 64\n"},
        {jpeg, 4000, 32, 8,
         "texture: " + jpeg +
             ": 512 x 128 is too large for the texture memory budget, loaded at 32 x 8\n"},
        // Nothing left: the smallest texture there is, never none.
        {jpeg, 0, 1, 1,
         "texture: " + jpeg +
             ": 512 x 128 is too large for the texture memory budget, loaded at 1 x 1\n"},
        // PNG at its own size; odd sides round up.
        {png, 37 * 29 * 4, 37, 29, ""},
        {png, 37 * 29 * 4 - 4, 19, 15,
         "texture: " + png +
             ": 37 x 29 is too large for the texture memory budget, loaded at 19 x 15\n"},
    };
    for (const Case& c : cases)
    {
        int width = 0, height = 0;
        int maxSize = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
        ASSERT_TRUE(cTextureSystem::MeasureTexture(c.path.c_str(), maxSize, width, height));
        EXPECT_EQ(width, c.path == jpeg ? 512 : 37);

        testing::internal::CaptureStderr();
        cTextureSystem texture;
        texture.LoadTexture(c.path.c_str(), nullptr, c.allowance);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.said) << c.allowance;
        ASSERT_NE(texture.GetName(), 0u) << c.path << " " << c.allowance;
        GLint w = 0, h = 0;
        Size(texture, w, h);
        EXPECT_EQ(w, c.width) << c.path << " " << c.allowance;
        EXPECT_EQ(h, c.height) << c.path << " " << c.allowance;
    }
    // The halved PNG is still the file's colour and alpha.
    cTextureSystem texture;
    testing::internal::CaptureStderr();
    texture.LoadTexture(png.c_str(), nullptr, 5 * 4 * 4);
    testing::internal::GetCapturedStderr();
    std::vector<unsigned char> texels(5 * 4 * 4);
    GLint w = 0, h = 0;
    Size(texture, w, h);
    ASSERT_EQ(w, 5);
    ASSERT_EQ(h, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    for (unsigned char v : texels)
    {
        ASSERT_EQ(v, 200);
    }
}

// The allowance decides the texture while the picture is read: a huge PNG
// halved to a small texture never exists at full size in memory.
TEST_F(TextureBudget, AHugePngHalvedOnTheWayInCostsNoFullSizeMemory)
{
    for (bool interlaced : {false, true})
    {
        const std::string png = kDir + (interlaced ? "/huge_adam7.png" : "/huge.png");
        WriteBigPng(png, 8192, interlaced);
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        cTextureSystem texture;
        testing::internal::CaptureStderr();
        texture.LoadTexture(png.c_str(), nullptr, 1 << 20);
        const std::string said = testing::internal::GetCapturedStderr();
        rusage after{};
        ::getrusage(RUSAGE_SELF, &after);
        ASSERT_NE(texture.GetName(), 0u);
        EXPECT_EQ(said, "texture: " + png +
                            ": 8192 x 8192 is too large for the texture memory budget, loaded "
                            "at 512 x 512\n");
        // Decoded whole it would be 192 MB; halved on the way in, a row or
        // so, or for an interlaced file the sums of the result.
        EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 32 * 1024) << "KB, " << png;
        std::remove(png.c_str());
    }
}

// The demo's own loader, in a child process, on a data folder where every
// picture asks for the largest texture there is: the set stays within its
// budget and the loading picture within its own allowance, so the child's
// peak stays far below what 35 textures of 8192 x 8192 would take (9 GB).
TEST(TextureBudgetWholeDemo, HostilePicturesLoadInBoundedMemory)
{
    const std::string folder = testsupport::MakeTempFolder("mivex-budget");
    fixtures::MakeFolders(folder + "/data/General");
    const std::string tiny = folder + "/tiny.jpg";
    WriteTinyJpeg(tiny);
    // Every picture name the generated data folder has, and the loading picture.
    std::vector<std::string> names = {"General/loading.jpg"};
    for (const auto& entry : fs::directory_iterator(std::string(MIVEX_BINARY_DIR) + "/data"))
    {
        if (entry.path().extension() == ".jpg")
        {
            names.push_back(entry.path().filename().string());
        }
    }
    ASSERT_EQ(names.size(), 34u);
    for (const std::string& name : names)
    {
        fs::copy_file(tiny, folder + "/data/" + name);
    }
    WriteBigPng(folder + "/data/og1.png", 8192);

    const std::string errors = folder + "/stderr.txt";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int none = ::open("/dev/null", O_WRONLY);
        if (err < 0 || none < 0 || ::chdir(folder.c_str()) != 0)
        {
            ::_exit(126);
        }
        ::dup2(err, 2);
        ::dup2(none, 1);
        ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        const std::string frames = folder + "/frames";
        ::execl(CAPTURE_EXE, CAPTURE_EXE, "--from", "20500", "--to", "20500", "--size", "64x48",
                "--frames", frames.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ASSERT_EQ(::wait4(child, &status, 0, &usage), child);
    const std::string said = testsupport::ReadFile(errors);
    ASSERT_TRUE(WIFEXITED(status)) << said;
    EXPECT_EQ(WEXITSTATUS(status), 0) << said;

    const long peakMb = usage.ru_maxrss / 1024;
    RecordProperty("peak_mb", static_cast<int>(peakMb));
    EXPECT_LT(peakMb, 1536) << said;
    // Every picture loaded, the ones past the budget halved, each said once.
    std::size_t lines = 0;
    for (std::size_t at = said.find("texture: "); at != std::string::npos;
         at = said.find("texture: ", at + 1))
    {
        ++lines;
    }
    EXPECT_NE(said.find("texture: data/General/loading.jpg: 8192 x 8192 is too large for the "
                        "texture memory budget, loaded at 4096 x 4096\n"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("texture: data\\og1.png: 8192 x 8192 is too large for the texture "
                        "memory budget, loaded at 1 x 1\n"),
              std::string::npos)
        << said;
    // At most one line a picture.
    EXPECT_LE(lines, names.size() + 1) << said;
    std::error_code error;
    fs::remove_all(folder, error);
}

} // namespace
