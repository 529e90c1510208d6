// The picture pipeline in front of the upload, without GL: the fixed-point
// stretch against the floating-point one it replaced, the keyed bottom-up
// picture against decode + stretch + flip + key done the plain way, and the
// decoder's row batches.
#include "platform/JpegDecoder.h"
#include "render/PreparedPicture.h"

#include "TextureFixtures.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using MivexGL::cPreparedPicture;
using platform::JpegDecoder;

namespace
{

const std::string kDir = std::string(MIVEX_BINARY_DIR) + "/picture_fixtures/prepare";

// The stretch as it was: per-axis float weights, each pass rounded to bytes.
struct Taps
{
    int first;
    std::vector<float> weights;
};

std::vector<Taps> ReferenceTaps(int srcSize, int dstSize)
{
    std::vector<Taps> taps(static_cast<std::size_t>(dstSize));
    const double scale = static_cast<double>(srcSize) / dstSize;
    for (int i = 0; i < dstSize; ++i)
    {
        Taps& t = taps[static_cast<std::size_t>(i)];
        if (srcSize > dstSize)
        {
            const double a = i * scale;
            const double b = (i + 1) * scale;
            const int first = static_cast<int>(std::floor(a));
            const int last = std::min(srcSize - 1, static_cast<int>(std::ceil(b)) - 1);
            t.first = first;
            for (int j = first; j <= last; ++j)
            {
                const double overlap = std::min(b, j + 1.0) - std::max(a, static_cast<double>(j));
                t.weights.push_back(static_cast<float>(std::max(0.0, overlap) / scale));
            }
        }
        else
        {
            double x = (i + 0.5) * scale - 0.5;
            x = std::min(std::max(x, 0.0), srcSize - 1.0);
            const int j = static_cast<int>(std::floor(x));
            const float f = static_cast<float>(x - j);
            t.first = j;
            t.weights.push_back(1.0f - f);
            if (j + 1 < srcSize)
            {
                t.weights.push_back(f);
            }
        }
    }
    return taps;
}

unsigned char ReferenceByte(float v)
{
    return static_cast<unsigned char>(std::min(255.0f, std::max(0.0f, std::floor(v + 0.5f))));
}

std::vector<unsigned char> ReferenceStretch(const std::vector<unsigned char>& src, int sw, int sh,
                                            int dw, int dh)
{
    const std::vector<Taps> columns = ReferenceTaps(sw, dw);
    const std::vector<Taps> rows = ReferenceTaps(sh, dh);
    std::vector<unsigned char> mid(static_cast<std::size_t>(dw) * sh * 3);
    for (int y = 0; y < sh; ++y)
    {
        for (int x = 0; x < dw; ++x)
        {
            const Taps& t = columns[static_cast<std::size_t>(x)];
            for (int c = 0; c < 3; ++c)
            {
                float sum = 0.0f;
                for (std::size_t k = 0; k < t.weights.size(); ++k)
                {
                    sum += t.weights[k] *
                           src[(static_cast<std::size_t>(y) * sw + t.first + k) * 3 + c];
                }
                mid[(static_cast<std::size_t>(y) * dw + x) * 3 + c] = ReferenceByte(sum);
            }
        }
    }
    std::vector<unsigned char> out(static_cast<std::size_t>(dw) * dh * 3);
    for (int y = 0; y < dh; ++y)
    {
        const Taps& t = rows[static_cast<std::size_t>(y)];
        for (std::size_t i = 0; i < static_cast<std::size_t>(dw) * 3; ++i)
        {
            float sum = 0.0f;
            for (std::size_t k = 0; k < t.weights.size(); ++k)
            {
                sum += t.weights[k] * mid[(t.first + k) * dw * 3 + i];
            }
            out[static_cast<std::size_t>(y) * dw * 3 + i] = ReferenceByte(sum);
        }
    }
    return out;
}

int LargestDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    if (a.size() != b.size())
    {
        return 256;
    }
    int worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        worst = std::max(worst, std::abs(static_cast<int>(a[i]) - b[i]));
    }
    return worst;
}

std::vector<unsigned char> Noise(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
    for (unsigned char& v : pixels)
    {
        v = static_cast<unsigned char>(random() & 0xFF);
    }
    return pixels;
}

// What the loader made before pictures were prepared ahead: full decode,
// stretch, bottom row first, black keyed.
std::vector<unsigned char> PlainPipeline(const std::string& path, int width, int height)
{
    JpegDecoder decoder;
    std::vector<unsigned char> rgb;
    int w = 0, h = 0;
    if (!decoder.Open(path) || !decoder.Decode(width, height, rgb, w, h))
    {
        return {};
    }
    const std::vector<unsigned char> stretched = ReferenceStretch(rgb, w, h, width, height);
    std::vector<unsigned char> rgba(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y)
    {
        MivexGL::KeyBlack(&stretched[static_cast<std::size_t>(height - 1 - y) * width * 3],
                          static_cast<std::size_t>(width),
                          &rgba[static_cast<std::size_t>(y) * width * 4]);
    }
    return rgba;
}

std::vector<unsigned char> Pixels(const cPreparedPicture& picture)
{
    const unsigned char* p = picture.GetPixels();
    return std::vector<unsigned char>(p, p + static_cast<std::size_t>(picture.GetWidth()) *
                                                 picture.GetHeight() * 4);
}

class Prepare : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { fixtures::MakeFolders(kDir); }

    // A busy picture with black patches, so keying and every filter tap matter.
    static std::string Picture(const std::string& name, int width, int height,
                               fixtures::JpegOptions options = fixtures::JpegOptions())
    {
        const std::string path = kDir + "/" + name;
        fixtures::WriteJpeg(
            path, width, height,
            [](int x, int y)
            {
                if ((x / 7 + y / 5) % 6 == 0)
                {
                    return fixtures::Rgb{0, 0, 0};
                }
                return fixtures::Rgb{static_cast<unsigned char>(x * 37 + y * 11),
                                     static_cast<unsigned char>(x * y + 40),
                                     static_cast<unsigned char>(255 - x * 3)};
            },
            options);
        return path;
    }
};

TEST(FixedPointStretch, MatchesTheFloatStretchWithinOneLevelAtAnyRatio)
{
    struct Case
    {
        int sw, sh, dw, dh;
    };
    const Case cases[] = {
        {37, 23, 64, 32},
        {64, 48, 16, 16},
        {100, 60, 128, 64},
        {5, 7, 3, 11},
        {13, 1, 4, 1},
        {1, 9, 1, 32},
        {300, 17, 64, 64},
        {64, 64, 64, 64},
        {64, 40, 64, 128},
        {99, 64, 32, 64},
        // Averages over a hundred and more pixels a sample.
        {2000, 3, 16, 3},
        {5, 1500, 5, 2},
    };
    unsigned seed = 1;
    for (const Case& c : cases)
    {
        const std::vector<unsigned char> src = Noise(c.sw, c.sh, seed++);
        std::vector<unsigned char> out(static_cast<std::size_t>(c.dw) * c.dh * 3);
        MivexGL::StretchPicture(src.data(), c.sw, c.sh, out.data(), c.dw, c.dh);
        EXPECT_LE(LargestDifference(out, ReferenceStretch(src, c.sw, c.sh, c.dw, c.dh)), 1)
            << c.sw << "x" << c.sh << " to " << c.dw << "x" << c.dh;
    }
}

TEST(FixedPointStretch, TheManifestRatiosComeOutBitForBit)
{
    // 1024 x 768 pictures become 1024 x 1024 textures; halving and doubling
    // have weights in whole 256ths too.
    struct Case
    {
        int sw, sh, dw, dh;
    };
    const Case cases[] = {{256, 192, 256, 256},
                          {48, 36, 64, 48},
                          {40, 30, 80, 60},
                          {64, 64, 32, 32},
                          {33, 21, 33, 21}};
    unsigned seed = 100;
    for (const Case& c : cases)
    {
        const std::vector<unsigned char> src = Noise(c.sw, c.sh, seed++);
        std::vector<unsigned char> out(static_cast<std::size_t>(c.dw) * c.dh * 3);
        MivexGL::StretchPicture(src.data(), c.sw, c.sh, out.data(), c.dw, c.dh);
        EXPECT_EQ(out, ReferenceStretch(src, c.sw, c.sh, c.dw, c.dh))
            << c.sw << "x" << c.sh << " to " << c.dw << "x" << c.dh;
    }
}

TEST(BlackKeyInPlace, AlphaComesFromTheColourOnly)
{
    // Whatever the fourth byte held before.
    unsigned char rgba[] = {0, 0, 0, 255, 0, 0, 1, 0, 1, 0, 0, 17, 0, 255, 0, 0, 9, 9, 9, 200};
    MivexGL::KeyBlackInPlace(rgba, 5);
    EXPECT_EQ(rgba[3], 0);
    EXPECT_EQ(rgba[7], 255);
    EXPECT_EQ(rgba[11], 255);
    EXPECT_EQ(rgba[15], 255);
    EXPECT_EQ(rgba[19], 255);
    EXPECT_EQ(rgba[6], 1);
    EXPECT_EQ(rgba[16], 9);
}

TEST_F(Prepare, SameTexelsAsDecodeStretchFlipAndKeyDoneOneAfterTheOther)
{
    struct Case
    {
        std::string name;
        int width, height;
        fixtures::JpegOptions options;
        int textureWidth, textureHeight;
        // Ratios in whole 256ths come out bit for bit, others within one.
        int tolerance;
    };
    const Case cases[] = {
        // As the manifest: 1024 x 768 at 72 per inch shows 1365 x 1024.
        {"manifest.jpg", 192, 144, {95, 1, 72}, 256, 256, 0},
        {"same.jpg", 64, 32, {95, 0, 1}, 64, 32, 0},
        {"wider.jpg", 100, 60, {95, 0, 1}, 128, 64, 1},
        {"across.jpg", 90, 64, {95, 0, 1}, 64, 64, 1},
        // 3/8 DCT scale, then averaged down to 512 x 256.
        {"dense.jpg", 1200, 700, {90, 1, 200}, 512, 256, 1},
        {"tall.jpg", 30, 200, {95, 0, 1}, 32, 256, 1},
    };
    for (const Case& c : cases)
    {
        const std::string path = Picture(c.name, c.width, c.height, c.options);
        cPreparedPicture picture;
        ASSERT_EQ(picture.Prepare(path, 16384), cPreparedPicture::kReady) << c.name;
        EXPECT_EQ(picture.GetWidth(), c.textureWidth) << c.name;
        EXPECT_EQ(picture.GetHeight(), c.textureHeight) << c.name;
        EXPECT_EQ(picture.GetPath(), path);
        EXPECT_EQ(picture.GetMaxSize(), 16384);
        const std::vector<unsigned char> plain =
            PlainPipeline(path, picture.GetWidth(), picture.GetHeight());
        EXPECT_LE(LargestDifference(Pixels(picture), plain), c.tolerance) << c.name;
        // The key follows the stretched colour exactly, even where it differs.
        const std::vector<unsigned char> got = Pixels(picture);
        for (std::size_t i = 0; i < got.size(); i += 4)
        {
            const bool black = got[i] == 0 && got[i + 1] == 0 && got[i + 2] == 0;
            ASSERT_EQ(got[i + 3], black ? 0 : 255) << c.name << " at " << i / 4;
        }
    }
}

TEST_F(Prepare, GreyAndCmykPicturesKeepTheirColour)
{
    const std::string grey = kDir + "/grey.jpg";
    fixtures::WriteFlatJpeg(grey, JCS_GRAYSCALE, {128}, 48);
    const std::string cmyk = kDir + "/cmyk.jpg";
    fixtures::WriteFlatJpeg(cmyk, JCS_CMYK, {255, 0, 0, 255}, 48);
    for (const std::string& path : {grey, cmyk})
    {
        cPreparedPicture picture;
        ASSERT_EQ(picture.Prepare(path, 16384), cPreparedPicture::kReady) << path;
        EXPECT_EQ(picture.GetWidth(), 64);
        EXPECT_LE(LargestDifference(Pixels(picture), PlainPipeline(path, 64, 64)), 1) << path;
    }
}

TEST_F(Prepare, TheLimitCapsTheTextureAndMemoryIsKeptForTheNextPicture)
{
    const std::string big = Picture("big.jpg", 300, 200);
    const std::string small = Picture("small.jpg", 40, 40);
    cPreparedPicture picture;
    ASSERT_EQ(picture.Prepare(big, 128), cPreparedPicture::kReady);
    EXPECT_EQ(picture.GetWidth(), 128);
    EXPECT_EQ(picture.GetHeight(), 128);
    const unsigned char* memory = picture.GetPixels();
    ASSERT_EQ(picture.Prepare(small, 128), cPreparedPicture::kReady);
    EXPECT_EQ(picture.GetWidth(), 32);
    EXPECT_EQ(picture.GetPixels(), memory);
    EXPECT_LE(LargestDifference(Pixels(picture), PlainPipeline(small, 32, 32)), 1);
    // Made again from its own path for a lower limit.
    ASSERT_EQ(picture.Prepare(picture.GetPath(), 16), cPreparedPicture::kReady);
    EXPECT_EQ(picture.GetPath(), small);
    EXPECT_EQ(picture.GetWidth(), 16);
    picture.Clear();
    EXPECT_EQ(picture.GetStatus(), cPreparedPicture::kEmpty);
    EXPECT_EQ(picture.GetPixels(), nullptr);
}

TEST_F(Prepare, MissingAndDamagedFilesAreToldApart)
{
    const std::string good = Picture("whole.jpg", 64, 64);
    const std::vector<char> bytes = fixtures::ReadFile(good);
    fixtures::WriteFile(kDir + "/cut.jpg",
                        std::vector<char>(bytes.begin(), bytes.begin() + bytes.size() / 2));

    cPreparedPicture picture;
    EXPECT_EQ(picture.Prepare(kDir + "/missing.jpg", 1024), cPreparedPicture::kUnreadable);
    EXPECT_EQ(picture.Prepare(kDir + "/cut.jpg", 1024), cPreparedPicture::kFailed);
    EXPECT_EQ(picture.Prepare(good, 0), cPreparedPicture::kFailed);
    // A failure after a success leaves no stale picture to upload.
    ASSERT_EQ(picture.Prepare(good, 1024), cPreparedPicture::kReady);
    EXPECT_EQ(picture.Prepare(kDir + "/cut.jpg", 1024), cPreparedPicture::kFailed);
    EXPECT_EQ(picture.GetWidth(), 0);
}

TEST_F(Prepare, RowBatchesAddUpToTheWholeDecodeInEitherDirection)
{
    const std::string path = Picture("rows.jpg", 40, 50);
    JpegDecoder whole;
    ASSERT_TRUE(whole.Open(path));
    std::vector<unsigned char> rgb;
    int w = 0, h = 0;
    ASSERT_TRUE(whole.Decode(40, 50, rgb, w, h));

    // Four bytes a pixel, bottom row first, a few rows a call.
    JpegDecoder batches;
    ASSERT_TRUE(batches.Open(path));
    ASSERT_TRUE(batches.StartDecode(40, 50, 4, w, h));
    ASSERT_EQ(w, 40);
    ASSERT_EQ(h, 50);
    std::vector<unsigned char> rgba(static_cast<std::size_t>(w) * h * 4, 7);
    const std::ptrdiff_t up = -static_cast<std::ptrdiff_t>(w) * 4;
    unsigned char* bottom = &rgba[static_cast<std::size_t>(h - 1) * w * 4];
    int y = 0;
    while (y < h)
    {
        const int got = batches.ReadSomeRows(bottom + y * up, up, 3);
        ASSERT_GT(got, 0);
        ASSERT_LE(got, 3);
        y += got;
    }
    EXPECT_EQ(y, h);
    EXPECT_EQ(batches.ReadSomeRows(bottom, up, 3), 0);
    for (int row = 0; row < h; ++row)
    {
        for (int x = 0; x < w; ++x)
        {
            const unsigned char* a = &rgb[(static_cast<std::size_t>(row) * w + x) * 3];
            const unsigned char* b = &rgba[(static_cast<std::size_t>(h - 1 - row) * w + x) * 4];
            ASSERT_EQ(a[0], b[0]);
            ASSERT_EQ(a[1], b[1]);
            ASSERT_EQ(a[2], b[2]);
            ASSERT_EQ(b[3], 255);
        }
    }

    // Damaged data fails the batch that meets it.
    const std::vector<char> bytes = fixtures::ReadFile(path);
    fixtures::WriteFile(kDir + "/rows_cut.jpg",
                        std::vector<char>(bytes.begin(), bytes.begin() + bytes.size() / 2));
    JpegDecoder cut;
    ASSERT_TRUE(cut.Open(kDir + "/rows_cut.jpg"));
    ASSERT_TRUE(cut.StartDecode(40, 50, 3, w, h));
    std::vector<unsigned char> rows(static_cast<std::size_t>(w) * h * 3);
    int result = 1;
    for (int at = 0; result > 0; at += result)
    {
        result = cut.ReadSomeRows(&rows[static_cast<std::size_t>(at) * w * 3], w * 3, 8);
    }
    EXPECT_EQ(result, -1);
    EXPECT_EQ(cut.ReadSomeRows(rows.data(), w * 3, 8), -1);
}

} // namespace
