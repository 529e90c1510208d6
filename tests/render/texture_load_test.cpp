// Loading pictures into textures on a real GL context: sizes, orientation,
// colour key, decoder choice, bind state and failures.
#include "render/TextureSystem.h"

#include "TextureFixtures.h"

#include <string>
#include <vector>

using fixtures::Rgb;
using MivexGL::cTextureSystem;

namespace
{

const std::string kDir = "picture_fixtures/load";

class TextureLoad : public fixtures::GLTest
{
public:
    static void SetUpTestSuite()
    {
        fixtures::GLTest::SetUpTestSuite();
        fixtures::MakeFolders(kDir);
    }

protected:
    static std::string Jpeg(const std::string& name, int width, int height,
                            fixtures::JpegOptions options = fixtures::JpegOptions())
    {
        const std::string path = kDir + "/" + name;
        fixtures::WriteJpeg(
            path, width, height,
            [=](int x, int y) { return fixtures::Quadrant(x, y, width, height); }, options);
        return path;
    }

    static void Size(const cTextureSystem& texture, GLint& width, GLint& height)
    {
        glBindTexture(GL_TEXTURE_2D, texture.GetName());
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    }

    static std::vector<unsigned char> Texels(const cTextureSystem& texture, GLint& width,
                                             GLint& height)
    {
        Size(texture, width, height);
        std::vector<unsigned char> texels(static_cast<std::size_t>(width) * height * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        return texels;
    }
};

void ExpectTexel(const std::vector<unsigned char>& texels, int width, int x, int y, Rgb want,
                 int alpha = 255)
{
    const unsigned char* p = &texels[(static_cast<std::size_t>(y) * width + x) * 4];
    EXPECT_NEAR(p[0], want.r, 3) << "at " << x << "," << y;
    EXPECT_NEAR(p[1], want.g, 3) << "at " << x << "," << y;
    EXPECT_NEAR(p[2], want.b, 3) << "at " << x << "," << y;
    EXPECT_EQ(p[3], alpha) << "at " << x << "," << y;
}

TEST_F(TextureLoad, SizeIsNearestPowerOfTwoOfDisplaySize)
{
    struct Case
    {
        int width, height;
        fixtures::JpegOptions options;
        GLint wantWidth, wantHeight;
    };
    const Case cases[] = {
        {1000, 700, {100, 0, 1}, 1024, 512},
        {725, 724, {100, 1, 96}, 1024, 512},
        // 600 pixels at 72 per inch show as 800 on the display, not 600.
        {600, 600, {100, 1, 72}, 1024, 1024},
        {600, 600, {100, -1, 0}, 512, 512},
        // 28 per cm is about 71 per inch.
        {600, 300, {100, 2, 28}, 1024, 512},
    };
    int index = 0;
    for (const Case& c : cases)
    {
        const std::string path =
            Jpeg("size" + std::to_string(index++) + ".jpg", c.width, c.height, c.options);
        cTextureSystem texture;
        texture.LoadTexture(path.c_str());
        ASSERT_NE(texture.GetName(), 0u) << path;
        GLint width = 0, height = 0;
        Size(texture, width, height);
        EXPECT_EQ(width, c.wantWidth) << path;
        EXPECT_EQ(height, c.wantHeight) << path;
    }
}

// More stored pixels than any texture holds: decoded scaled down, a few rows
// at a time, to a texture of the limit itself (and at the GL's own limit,
// halved to the picture allowance like any other).
TEST_F(TextureLoad, APictureBeyondTheLimitGetsATextureOfTheLimit)
{
    const std::string path = Jpeg("huge9000x8000.jpg", 9000, 8000, {50, 0, 1});
    MivexGL::cPreparedPicture picture;
    ASSERT_EQ(picture.Prepare(path, 4096), MivexGL::cPreparedPicture::kReady)
        << picture.GetReason();
    ASSERT_EQ(picture.GetWidth(), 4096);
    ASSERT_EQ(picture.GetHeight(), 4096);
    const std::vector<unsigned char> texels(picture.GetPixels(),
                                            picture.GetPixels() + 4096 * 4096 * 4);
    ExpectTexel(texels, 4096, 100, 100, {0, 0, 255});
    ExpectTexel(texels, 4096, 4000, 100, {255, 255, 255});
    ExpectTexel(texels, 4096, 100, 4000, {255, 0, 0});
    ExpectTexel(texels, 4096, 4000, 4000, {0, 255, 0});
    picture.Clear();

    testing::internal::CaptureStderr();
    cTextureSystem texture;
    texture.LoadTexture(path.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "texture: " + path +
                  ": 8192 x 8192 is too large for the texture memory budget, loaded at 4096 x "
                  "4096\n");
    ASSERT_NE(texture.GetName(), 0u);
    GLint width = 0, height = 0;
    Size(texture, width, height);
    EXPECT_EQ(width, 4096);
    EXPECT_EQ(height, 4096);
}

TEST_F(TextureLoad, BottomRowComesFirstAndPictureStaysUpright)
{
    // Same size, and stretched unevenly (wider, shorter).
    const std::string same = Jpeg("quad64.jpg", 64, 64);
    const std::string stretched = Jpeg("quad100x60.jpg", 100, 60);
    for (const std::string& path : {same, stretched})
    {
        cTextureSystem texture;
        texture.LoadTexture(path.c_str());
        ASSERT_NE(texture.GetName(), 0u);
        GLint w = 0, h = 0;
        const std::vector<unsigned char> texels = Texels(texture, w, h);
        ASSERT_EQ(h, 64);
        EXPECT_EQ(w, path == same ? 64 : 128);
        ExpectTexel(texels, w, w / 8, 8, {0, 0, 255});
        ExpectTexel(texels, w, w - w / 8, 8, {255, 255, 255});
        ExpectTexel(texels, w, w / 8, 56, {255, 0, 0});
        ExpectTexel(texels, w, w - w / 8, 56, {0, 255, 0});
    }
}

TEST_F(TextureLoad, PureBlackBecomesTransparent)
{
    const std::string path = kDir + "/key.jpg";
    fixtures::WriteJpeg(path, 64, 64,
                        [](int x, int) {
                            return x < 32 ? Rgb{0, 0, 0} : Rgb{128, 128, 128};
                        });
    cTextureSystem texture;
    texture.LoadTexture(path.c_str());
    ASSERT_NE(texture.GetName(), 0u);
    GLint w = 0, h = 0;
    const std::vector<unsigned char> texels = Texels(texture, w, h);
    ExpectTexel(texels, w, 8, 30, {0, 0, 0}, 0);
    ExpectTexel(texels, w, 56, 30, {128, 128, 128}, 255);
}

TEST_F(TextureLoad, PngNamesChooseThePngReaderCaseSensitively)
{
    // Top row: opaque red, translucent green; bottom row: blue, white.
    const std::vector<unsigned char> pixels = {255, 0, 0,   255, 0,   255, 0,   64,
                                               0,   0, 255, 255, 255, 255, 255, 255};
    const std::string lower = kDir + "/two.png";
    const std::string upper = kDir + "/two.PNG";
    fixtures::WritePng(lower, 2, 2, pixels, true);
    fixtures::WritePng(upper, 2, 2, pixels, true);

    cTextureSystem png;
    png.LoadTexture(lower.c_str());
    ASSERT_NE(png.GetName(), 0u);
    GLint w = 0, h = 0;
    const std::vector<unsigned char> texels = Texels(png, w, h);
    ASSERT_EQ(w, 2);
    ASSERT_EQ(h, 2);
    // The file's top row is uploaded first, and its alpha is kept.
    ExpectTexel(texels, w, 0, 0, {255, 0, 0}, 255);
    ExpectTexel(texels, w, 1, 0, {0, 255, 0}, 64);
    ExpectTexel(texels, w, 0, 1, {0, 0, 255}, 255);
    GLint wrapS = 0, minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(wrapS, GL_CLAMP);
    EXPECT_EQ(minFilter, GL_LINEAR);

    // The picture path takes the row the name picks too, not the loader's.
    cTextureSystem picture;
    ASSERT_TRUE(picture.LoadPicture(lower.c_str()));
    const std::vector<unsigned char> same = Texels(picture, w, h);
    ASSERT_EQ(w, 2);
    ASSERT_EQ(h, 2);
    ExpectTexel(same, w, 1, 0, {0, 255, 0}, 64);

    // Capital letters go to the JPEG reader, which cannot read it.
    cTextureSystem capital;
    capital.LoadTexture(upper.c_str());
    EXPECT_EQ(capital.GetName(), 0u);
}

// Upright: the picture's bottom row at t = 0 for every format, a PNG turned
// over and a JPEG as it always loads.
TEST_F(TextureLoad, UprightPutsTheBottomRowFirstWhateverTheFormat)
{
    // Top row: red, green; bottom row: blue, white.
    const std::vector<unsigned char> pixels = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    const std::string png = kDir + "/upright.png";
    fixtures::WritePng(png, 2, 2, pixels, false);
    const std::string jpeg = Jpeg("upright.jpg", 64, 64);
    for (const std::string& path : {png, jpeg})
    {
        cTextureSystem upright;
        upright.LoadTexture(path.c_str(), cTextureSystem::kUpright);
        ASSERT_NE(upright.GetName(), 0u) << path;
        GLint w = 0, h = 0;
        const std::vector<unsigned char> texels = Texels(upright, w, h);
        const int x = w - 1 - w / 8;
        const int top = h - 1 - h / 8;
        ExpectTexel(texels, w, w / 8, h / 8, {0, 0, 255});
        ExpectTexel(texels, w, x, h / 8, {255, 255, 255});
        ExpectTexel(texels, w, w / 8, top, {255, 0, 0});
        ExpectTexel(texels, w, x, top, {0, 255, 0});
    }
    // As loaded, the PNG still comes top row first.
    cTextureSystem asStored;
    asStored.LoadTexture(png.c_str(), cTextureSystem::kAsLoaded);
    GLint w = 0, h = 0;
    ExpectTexel(Texels(asStored, w, h), w, 0, 0, {255, 0, 0});
}

TEST_F(TextureLoad, PathsResolveSeparatorsCaseAndLength)
{
    Jpeg("Mixed.jpg", 16, 16);
    cTextureSystem texture;
    texture.LoadTexture("Picture_Fixtures\\LOAD\\mixed.JPG");
    EXPECT_NE(texture.GetName(), 0u);

    // Far beyond 260 characters once the current folder is in front.
    std::string deep = kDir;
    for (int i = 0; i < 4; ++i)
    {
        deep += "/" + std::string(80, static_cast<char>('a' + i));
    }
    fixtures::MakeFolders(deep);
    fixtures::WriteJpeg(deep + "/p.jpg", 16, 16, [](int, int) { return Rgb{9, 9, 9}; });
    cTextureSystem longPath;
    longPath.LoadTexture((deep + "/p.jpg").c_str());
    EXPECT_NE(longPath.GetName(), 0u);
}

TEST_F(TextureLoad, BindStateAndTexturingFollowTheCalls)
{
    const std::string path = Jpeg("bind.jpg", 16, 16);
    glDisable(GL_TEXTURE_2D);
    cTextureSystem texture;
    texture.LoadTexture(path.c_str());
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0, mag = 0, wrap = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), texture.GetName());
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
    EXPECT_EQ(mag, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_REPEAT);

    // Bind changes no parameter: the clamp stays.
    texture.BindClamp();
    texture.Unbind();
    texture.Bind();
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap);
    EXPECT_EQ(wrap, GL_CLAMP);
    texture.BindRepeat();
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_REPEAT);
    texture.Unbind();
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);

    // A failed load still enables texturing.
    glDisable(GL_TEXTURE_2D);
    cTextureSystem missing;
    missing.LoadTexture("picture_fixtures/none.jpg");
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(TextureLoad, ReloadKeepsOtherTexturesAlive)
{
    const std::string path = Jpeg("again.jpg", 16, 16);
    cTextureSystem first;
    first.LoadTexture(path.c_str());
    ASSERT_NE(first.GetName(), 0u);

    // As after a display switch: the new context hands out the same names.
    gl->Destroy();
    ASSERT_TRUE(gl->Create(64, 64));
    cTextureSystem other;
    other.LoadTexture(path.c_str());
    ASSERT_NE(other.GetName(), 0u);
    first.LoadTexture(path.c_str());
    EXPECT_NE(first.GetName(), 0u);
    EXPECT_NE(first.GetName(), other.GetName());
    EXPECT_TRUE(glIsTexture(other.GetName()));

    // A JPEG that fails changes nothing; a PNG that fails is pngBind's 0.
    const GLuint kept = first.GetName();
    first.LoadTexture("picture_fixtures/none.jpg");
    EXPECT_EQ(first.GetName(), kept);
    first.LoadTexture("picture_fixtures/none.png");
    EXPECT_EQ(first.GetName(), 0u);
}

// A failed picture stays an empty texture, and says which file and why in
// one tagged line on standard error per load, nothing on standard output.
TEST_F(TextureLoad, FailuresLeaveNameZeroAndSayWhyOnce)
{
    const std::string good = Jpeg("whole.jpg", 64, 64);
    const std::vector<char> bytes = fixtures::ReadFile(good);

    std::vector<char> truncated(bytes.begin(), bytes.begin() + bytes.size() / 2);
    fixtures::WriteFile(kDir + "/truncated.jpg", truncated);
    std::vector<char> huge = bytes;
    fixtures::PatchJpegSize(huge, 65535, 65535);
    fixtures::WriteFile(kDir + "/huge.jpg", huge);
    // Within the format's limit, so it fails on the missing data instead.
    std::vector<char> lying = bytes;
    fixtures::PatchJpegSize(lying, 30000, 30000);
    fixtures::WriteFile(kDir + "/lying.jpg", lying);
    const std::string text = "plainly not a picture";
    fixtures::WriteFile(kDir + "/text.jpg", std::vector<char>(text.begin(), text.end()));
    fixtures::WriteFile(kDir + "/empty.jpg", std::vector<char>());
    fixtures::WriteFile(kDir + "/bad.png", std::vector<char>(text.begin(), text.end()));

    const std::string paths[] = {"picture_fixtures/missing.jpg", kDir + "/truncated.jpg",
                                 kDir + "/huge.jpg", kDir + "/lying.jpg", kDir + "/text.jpg",
                                 kDir + "/empty.jpg", kDir + "/bad.png",
                                 "picture_fixtures/missing.png", kDir,
                                 // Never fetched: the network plays no part.
                                 "http://127.0.0.1:9/" + good};
    auto expectOneLine = [](const std::string& err, const std::string& path)
    {
        const std::string tag = "texture: " + path + ": ";
        EXPECT_EQ(err.compare(0, tag.size(), tag), 0) << err;
        EXPECT_GT(err.size(), tag.size() + 1) << "no reason: " << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    };
    for (const std::string& path : paths)
    {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        cTextureSystem texture;
        texture.LoadTexture(path.c_str());
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(texture.GetName(), 0u) << path;
        EXPECT_EQ(out, "") << path;
        expectOneLine(err, path);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(texture.LoadPicture(path.c_str())) << path;
        expectOneLine(testing::internal::GetCapturedStderr(), path);
    }
    // The reasons tell the common cases apart.
    testing::internal::CaptureStderr();
    cTextureSystem texture;
    texture.LoadTexture((kDir + "/text.jpg").c_str());
    texture.LoadTexture("picture_fixtures/missing.jpg");
    texture.LoadTexture((kDir + "/huge.jpg").c_str());
    texture.LoadTexture((kDir + "/bad.png").c_str());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "texture: " + kDir +
                  "/text.jpg: not a JPEG file: starts with 0x70 0x6c\n"
                  "texture: picture_fixtures/missing.jpg: no such file or directory\n"
                  "texture: " +
                  kDir +
                  "/huge.jpg: maximum supported image dimension is 65500 pixels\n"
                  "texture: " +
                  kDir + "/bad.png: not a PNG file\n");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(TextureWithoutContext, NothingCrashes)
{
    cTextureSystem texture;
    texture.LoadTexture("picture_fixtures/none.jpg");
    EXPECT_EQ(texture.GetName(), 0u);
}

} // namespace
