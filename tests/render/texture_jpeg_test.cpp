// The picture pipeline without GL: JPEG density and scaled decoding, colour
// spaces, damaged files, texture sizing, stretching and the black key.
#include "platform/JpegDecoder.h"
#include "render/TextureSystem.h"

#include "TextureFixtures.h"

#include <string>
#include <vector>

using fixtures::Rgb;
using platform::JpegDecoder;

namespace
{

const std::string kDir = std::string(MIVEX_BINARY_DIR) + "/h2_fixtures/jpeg";

class JpegDecode : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { fixtures::MakeFolders(kDir); }
};

TEST(DisplaySize, DensityGoesThroughHimetricAtNinetySixPerInch)
{
    EXPECT_EQ(platform::DisplayPixels(1000, 1, 96), 1000);
    // Rounded, not cut: 26458 HIMETRIC is 999.99 pixels.
    EXPECT_EQ(platform::DisplayPixels(750, 1, 72), 1000);
    EXPECT_EQ(platform::DisplayPixels(600, 1, 300), 192);
    EXPECT_EQ(platform::DisplayPixels(600, 2, 28), 810);
    // No usable density: the stored size.
    EXPECT_EQ(platform::DisplayPixels(600, 0, 2), 600);
    EXPECT_EQ(platform::DisplayPixels(600, 1, 0), 600);
}

TEST(TextureSize, NearestPowerOfTwoOnALogScaleUpToTheLimit)
{
    EXPECT_EQ(MivexGL::TextureSizeFor(1000, 16384), 1024);
    EXPECT_EQ(MivexGL::TextureSizeFor(700, 16384), 512);
    EXPECT_EQ(MivexGL::TextureSizeFor(724, 16384), 512);
    EXPECT_EQ(MivexGL::TextureSizeFor(725, 16384), 1024);
    EXPECT_EQ(MivexGL::TextureSizeFor(1, 16384), 1);
    EXPECT_EQ(MivexGL::TextureSizeFor(20000, 16384), 16384);
    EXPECT_EQ(MivexGL::TextureSizeFor(1000, 512), 512);
}

TEST(BlackKey, OnlyExactBlackIsTransparent)
{
    const unsigned char rgb[] = {0, 0, 0, 0, 0, 1, 1, 0, 0, 255, 255, 255};
    unsigned char rgba[16] = {};
    MivexGL::KeyBlack(rgb, 4, rgba);
    EXPECT_EQ(rgba[3], 0);
    EXPECT_EQ(rgba[7], 255);
    EXPECT_EQ(rgba[11], 255);
    EXPECT_EQ(rgba[15], 255);
    EXPECT_EQ(rgba[6], 1);
}

TEST(Stretch, AveragesWhenShrinkingAndInterpolatesWhenGrowing)
{
    const unsigned char row[] = {0, 0, 0, 100, 100, 100, 200, 200, 200, 255, 255, 255};
    unsigned char half[6] = {};
    MivexGL::StretchPicture(row, 4, 1, half, 2, 1);
    EXPECT_EQ(half[0], 50);
    EXPECT_EQ(half[3], 228);

    const unsigned char pair[] = {0, 0, 0, 100, 100, 100};
    unsigned char grown[12] = {};
    MivexGL::StretchPicture(pair, 2, 1, grown, 4, 1);
    EXPECT_EQ(grown[0], 0);
    EXPECT_EQ(grown[3], 25);
    EXPECT_EQ(grown[6], 75);
    EXPECT_EQ(grown[9], 100);

    // A flat picture stays flat at an uneven ratio, both ways, on both axes.
    const std::vector<unsigned char> flat(7 * 5 * 3, 77);
    std::vector<unsigned char> out(3 * 11 * 3, 0);
    MivexGL::StretchPicture(flat.data(), 7, 5, out.data(), 3, 11);
    for (unsigned char v : out)
    {
        ASSERT_EQ(v, 77);
    }
}

TEST_F(JpegDecode, LargePictureIsDecodedScaledDown)
{
    const std::string path = kDir + "/dense.jpg";
    fixtures::WriteJpeg(path, 2400, 1600,
                        [](int x, int y) { return fixtures::Quadrant(x, y, 2400, 1600); },
                        {90, 1, 384});
    JpegDecoder decoder;
    ASSERT_TRUE(decoder.Open(path));
    EXPECT_EQ(decoder.GetWidth(), 2400);
    EXPECT_EQ(decoder.GetDisplayWidth(), 600);
    EXPECT_EQ(decoder.GetDisplayHeight(), 400);
    std::vector<unsigned char> rgb;
    int w = 0, h = 0;
    ASSERT_TRUE(decoder.Decode(512, 512, rgb, w, h));
    // 3/8 is the smallest scale that still covers 512 rows.
    EXPECT_EQ(w, 900);
    EXPECT_EQ(h, 600);
    EXPECT_EQ(rgb.size(), static_cast<std::size_t>(w) * h * 3);
    // Top row first: the top left is red.
    EXPECT_NEAR(rgb[(10 * w + 10) * 3], 255, 4);
    EXPECT_NEAR(rgb[(10 * w + 10) * 3 + 2], 0, 4);
}

TEST_F(JpegDecode, CmykAndGreyComeOutAsRgb)
{
    // Adobe CMYK is stored inverted: this is full magenta and yellow, no black.
    const std::string cmyk = kDir + "/cmyk.jpg";
    fixtures::WriteFlatJpeg(cmyk, JCS_CMYK, {255, 0, 0, 255});
    const std::string grey = kDir + "/grey.jpg";
    fixtures::WriteFlatJpeg(grey, JCS_GRAYSCALE, {128});

    struct Case
    {
        std::string path;
        Rgb want;
    };
    for (const Case& c : {Case{cmyk, {255, 0, 0}}, Case{grey, {128, 128, 128}}})
    {
        JpegDecoder decoder;
        ASSERT_TRUE(decoder.Open(c.path)) << c.path;
        std::vector<unsigned char> rgb;
        int w = 0, h = 0;
        ASSERT_TRUE(decoder.Decode(32, 32, rgb, w, h)) << c.path;
        ASSERT_EQ(w, 32);
        EXPECT_NEAR(rgb[0], c.want.r, 3) << c.path;
        EXPECT_NEAR(rgb[1], c.want.g, 3) << c.path;
        EXPECT_NEAR(rgb[2], c.want.b, 3) << c.path;
    }
}

TEST_F(JpegDecode, DamagedFilesFailWithoutAWord)
{
    const std::string good = kDir + "/good.jpg";
    fixtures::WriteJpeg(good, 64, 64,
                        [](int x, int y) { return fixtures::Quadrant(x, y, 64, 64); });
    const std::vector<char> bytes = fixtures::ReadFile(good);

    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();

    // Cut short: the header reads, the picture data does not.
    fixtures::WriteFile(kDir + "/cut.jpg",
                        std::vector<char>(bytes.begin(), bytes.begin() + bytes.size() * 2 / 3));
    JpegDecoder cut;
    std::vector<unsigned char> rgb;
    int w = 0, h = 0;
    if (cut.Open(kDir + "/cut.jpg"))
    {
        EXPECT_FALSE(cut.Decode(64, 64, rgb, w, h));
    }

    // A header that claims 30000 x 30000 is refused before anything is allocated.
    std::vector<char> huge = bytes;
    fixtures::PatchJpegSize(huge, 30000, 30000);
    fixtures::WriteFile(kDir + "/huge.jpg", huge);
    JpegDecoder big;
    EXPECT_FALSE(big.Open(kDir + "/huge.jpg"));

    // Only the start marker, then nonsense.
    std::vector<char> junk(bytes.begin(), bytes.begin() + 2);
    junk.insert(junk.end(), 200, '\x5a');
    fixtures::WriteFile(kDir + "/junk.jpg", junk);
    JpegDecoder nonsense;
    EXPECT_FALSE(nonsense.Open(kDir + "/junk.jpg"));

    // Decoding without a successful Open.
    JpegDecoder closed;
    EXPECT_FALSE(closed.Open(kDir + "/missing.jpg"));
    EXPECT_FALSE(closed.Decode(1, 1, rgb, w, h));

    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

} // namespace
