// The picture pipeline without GL: JPEG density and scaled decoding, colour
// spaces, damaged files, texture sizing, stretching and the black key.
#include "platform/JpegDecoder.h"
#include "render/TextureSystem.h"

#include "TextureFixtures.h"

#include <sys/resource.h>

#include <string>
#include <vector>

using fixtures::Rgb;
using platform::JpegDecoder;

namespace
{

const std::string kDir = std::string(MIVEX_BINARY_DIR) + "/picture_fixtures/jpeg";

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

    // A header that claims 30000 x 30000 opens, and its decode, at an eighth
    // and a few rows at a time, fails on the missing data.
    std::vector<char> huge = bytes;
    fixtures::PatchJpegSize(huge, 30000, 30000);
    fixtures::WriteFile(kDir + "/huge.jpg", huge);
    JpegDecoder big;
    ASSERT_TRUE(big.Open(kDir + "/huge.jpg"));
    ASSERT_TRUE(big.StartDecode(64, 64, 4, w, h));
    EXPECT_EQ(w, 3750);
    std::vector<unsigned char> rows(static_cast<std::size_t>(w) * 4 * 16);
    int got = 0;
    while ((got = big.ReadSomeRows(rows.data(), w * 4, 16)) > 0)
    {
    }
    EXPECT_EQ(got, -1);
    EXPECT_NE(big.GetError(), "");
    // Past the format's own limit it does not open.
    fixtures::PatchJpegSize(huge, 65535, 65535);
    fixtures::WriteFile(kDir + "/huge.jpg", huge);
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

// A progressive picture is decoded from all its coefficients at once, so a
// header alone that claims 20000 x 3000 would have the library reserve
// 360 MB before it finds no data: refused from the header instead, while a
// real progressive picture of a sane size still decodes.
TEST_F(JpegDecode, ALyingProgressiveHeaderReservesNothing)
{
    const std::string path = kDir + "/progressive.jpg";
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        jpeg_compress_struct info;
        jpeg_error_mgr err;
        info.err = jpeg_std_error(&err);
        jpeg_create_compress(&info);
        jpeg_stdio_dest(&info, file);
        info.image_width = 64;
        info.image_height = 48;
        info.input_components = 3;
        info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&info);
        for (int c = 0; c < info.num_components; ++c)
        {
            info.comp_info[c].h_samp_factor = 1;
            info.comp_info[c].v_samp_factor = 1;
        }
        jpeg_simple_progression(&info);
        jpeg_start_compress(&info, TRUE);
        std::vector<unsigned char> row(64 * 3, 120);
        while (info.next_scanline < info.image_height)
        {
            JSAMPROW rows[1] = {row.data()};
            jpeg_write_scanlines(&info, rows, 1);
        }
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        std::fclose(file);
    }
    JpegDecoder sane;
    ASSERT_TRUE(sane.Open(path));
    std::vector<unsigned char> rgb;
    int w = 0, h = 0;
    ASSERT_TRUE(sane.Decode(64, 48, rgb, w, h));
    EXPECT_NEAR(rgb[0], 120, 2);

    // Up to the end of the first scan's header, then nothing.
    std::vector<char> bytes = fixtures::ReadFile(path);
    std::size_t end = 0;
    for (std::size_t i = 2; i + 3 < bytes.size() && end == 0; ++i)
    {
        if (static_cast<unsigned char>(bytes[i]) == 0xFF &&
            static_cast<unsigned char>(bytes[i + 1]) == 0xDA)
        {
            end = i + 2 + (static_cast<unsigned char>(bytes[i + 2]) << 8) +
                  static_cast<unsigned char>(bytes[i + 3]);
        }
    }
    ASSERT_NE(end, 0u);
    bytes.resize(end);
    fixtures::PatchJpegSize(bytes, 20000, 3000);
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    JpegDecoder liar;
    EXPECT_FALSE(
        liar.OpenMemory(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
    EXPECT_EQ(liar.GetError(), "picture too large to decode");
    // Under the bound the header opens; the missing data fails the decode.
    fixtures::PatchJpegSize(bytes, 2000, 1500);
    ASSERT_TRUE(
        liar.OpenMemory(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
    EXPECT_FALSE(liar.Decode(2000, 1500, rgb, w, h));
    EXPECT_FALSE(liar.GetError().empty());
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    // 2000 x 1500 keeps 18 MB of coefficients and 9 MB of pixels.
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "KB";
}

} // namespace
