// Pictures on Windows, through the system's decoders and the shared
// preparation: sizes, orientation and the black key for the picture
// loader's files, own size, alpha and halving for PNG files, and the reasons
// a file fails. Fixtures are written here byte by byte (an uncompressed BMP
// the picture loader reads exactly, a PNG of stored deflate blocks). With
// MIVEX_PICTURE_REFERENCE naming a folder of raw RGBA decodes made on the
// host (tests/windows/picture_agreement.sh), the data pictures are compared
// with them too.
#include "platform/PictureFormat.h"
#include "render/PreparedPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

using MivexGL::cPreparedPicture;
using platform::PictureDecoder;

namespace
{

const std::string kDir = "picture_fixtures_win";

struct Rgba
{
    unsigned char r, g, b, a;
};

using PixelFn = std::function<Rgba(int x, int y)>;

void Put16(std::vector<unsigned char>& out, unsigned value)
{
    out.push_back(static_cast<unsigned char>(value & 0xFF));
    out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}

void Put32(std::vector<unsigned char>& out, std::uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void PutBig32(std::vector<unsigned char>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        out.push_back(static_cast<unsigned char>((value >> shift) & 0xFF));
    }
}

void Save(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<unsigned char> Load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>());
}

// A 24-bit bottom-up BMP at 96 pixels per inch (3780 per metre).
std::string WriteBmp(const std::string& name, int width, int height, const PixelFn& pixel)
{
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(height);
    std::vector<unsigned char> bytes = {'B', 'M'};
    Put32(bytes, 54 + imageBytes);
    Put32(bytes, 0);
    Put32(bytes, 54);
    Put32(bytes, 40);
    Put32(bytes, static_cast<std::uint32_t>(width));
    Put32(bytes, static_cast<std::uint32_t>(height));
    Put16(bytes, 1);
    Put16(bytes, 24);
    Put32(bytes, 0);
    Put32(bytes, imageBytes);
    Put32(bytes, 3780);
    Put32(bytes, 3780);
    Put32(bytes, 0);
    Put32(bytes, 0);
    for (int y = height - 1; y >= 0; --y)
    {
        std::uint32_t written = 0;
        for (int x = 0; x < width; ++x, written += 3)
        {
            const Rgba p = pixel(x, y);
            bytes.push_back(p.b);
            bytes.push_back(p.g);
            bytes.push_back(p.r);
        }
        for (; written < rowBytes; ++written)
        {
            bytes.push_back(0);
        }
    }
    const std::string path = kDir + "/" + name;
    Save(path, bytes);
    return path;
}

std::uint32_t Crc(const unsigned char* data, std::size_t size, std::uint32_t crc = 0)
{
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i)
    {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
        {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

void Chunk(std::vector<unsigned char>& out, const char* type,
           const std::vector<unsigned char>& data)
{
    PutBig32(out, static_cast<std::uint32_t>(data.size()));
    std::vector<unsigned char> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    PutBig32(out, Crc(body.data(), body.size()));
}

// An 8-bit RGBA (or RGB) PNG, its rows in stored deflate blocks.
std::string WritePng(const std::string& name, int width, int height, bool alpha,
                     const PixelFn& pixel)
{
    std::vector<unsigned char> raw;
    for (int y = 0; y < height; ++y)
    {
        raw.push_back(0);
        for (int x = 0; x < width; ++x)
        {
            const Rgba p = pixel(x, y);
            raw.insert(raw.end(), {p.r, p.g, p.b});
            if (alpha)
            {
                raw.push_back(p.a);
            }
        }
    }
    std::vector<unsigned char> zlib = {0x78, 0x01};
    for (std::size_t at = 0; at < raw.size() || at == 0;)
    {
        const std::size_t count = std::min<std::size_t>(65535, raw.size() - at);
        zlib.push_back(at + count == raw.size() ? 1 : 0);
        Put16(zlib, static_cast<unsigned>(count));
        Put16(zlib, static_cast<unsigned>(~count & 0xFFFF));
        zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                    raw.begin() + static_cast<std::ptrdiff_t>(at + count));
        at += count;
        if (count == 0)
        {
            break;
        }
    }
    std::uint32_t a = 1, b = 0;
    for (unsigned char v : raw)
    {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(zlib, (b << 16) | a);

    std::vector<unsigned char> bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    PutBig32(header, static_cast<std::uint32_t>(width));
    PutBig32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, static_cast<unsigned char>(alpha ? 6 : 2), 0, 0, 0});
    Chunk(bytes, "IHDR", header);
    Chunk(bytes, "IDAT", zlib);
    Chunk(bytes, "IEND", {});
    const std::string path = kDir + "/" + name;
    Save(path, bytes);
    return path;
}

Rgba Quadrant(int x, int y, int width, int height)
{
    const bool left = x < width / 2;
    if (y < height / 2)
    {
        return left ? Rgba{255, 0, 0, 255} : Rgba{0, 255, 0, 255};
    }
    return left ? Rgba{0, 0, 255, 255} : Rgba{255, 255, 255, 255};
}

const unsigned char* Texel(const cPreparedPicture& picture, int x, int y)
{
    return picture.GetPixels() + (static_cast<std::size_t>(y) * picture.GetWidth() + x) * 4;
}

void ExpectTexel(const cPreparedPicture& picture, int x, int y, Rgba want, int tolerance = 0)
{
    const unsigned char* p = Texel(picture, x, y);
    EXPECT_NEAR(p[0], want.r, tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(p[1], want.g, tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(p[2], want.b, tolerance) << "at " << x << "," << y;
    EXPECT_EQ(p[3], want.a) << "at " << x << "," << y;
}

class WindowsPictures : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { std::filesystem::create_directories(kDir); }
};

TEST_F(WindowsPictures, PictureLoaderFilesArePowerOfTwoUprightBottomRowFirstAndKeyed)
{
    struct Case
    {
        int width, height, textureWidth, textureHeight;
    };
    for (const Case& c : {Case{1000, 700, 1024, 512}, Case{725, 724, 1024, 512},
                          Case{100, 60, 128, 64}, Case{64, 64, 64, 64}})
    {
        const std::string path = WriteBmp(
            "quad" + std::to_string(c.width) + "x" + std::to_string(c.height) + ".bmp", c.width,
            c.height, [&](int x, int y) { return Quadrant(x, y, c.width, c.height); });
        cPreparedPicture picture;
        ASSERT_EQ(picture.Prepare(path, 16384), cPreparedPicture::kReady) << picture.GetReason();
        ASSERT_EQ(picture.GetWidth(), c.textureWidth) << path;
        ASSERT_EQ(picture.GetHeight(), c.textureHeight) << path;
        const int w = picture.GetWidth();
        const int h = picture.GetHeight();
        // Texture row 0 is the picture's bottom: blue and white there.
        ExpectTexel(picture, w / 8, h / 8, {0, 0, 255, 255}, 3);
        ExpectTexel(picture, w - w / 8, h / 8, {255, 255, 255, 255}, 3);
        ExpectTexel(picture, w / 8, h - h / 8, {255, 0, 0, 255}, 3);
        ExpectTexel(picture, w - w / 8, h - h / 8, {0, 255, 0, 255}, 3);
    }

    // Only exact black is transparent, and the file's colour is kept exactly.
    const std::string key = WriteBmp("key.bmp", 32, 32,
                                     [](int x, int) {
                                         return x < 16 ? Rgba{0, 0, 0, 255} : Rgba{0, 0, 1, 255};
                                     });
    cPreparedPicture picture;
    ASSERT_EQ(picture.Prepare(key, 16384), cPreparedPicture::kReady) << picture.GetReason();
    ExpectTexel(picture, 4, 4, {0, 0, 0, 0});
    ExpectTexel(picture, 28, 4, {0, 0, 1, 255});
}

TEST_F(WindowsPictures, PngFilesKeepTheirSizeAlphaAndRowOrderAndHalveByBoxes)
{
    // 37 x 29: odd sides, so a halving's last boxes are cut short.
    const PixelFn pixel = [](int x, int y)
    {
        return Rgba{static_cast<unsigned char>(x * 6), static_cast<unsigned char>(y * 8),
                    static_cast<unsigned char>(x == 0 ? 0 : 200),
                    static_cast<unsigned char>(x < 18 ? 255 : 64)};
    };
    const std::string path = WritePng("odd.png", 37, 29, true, pixel);
    cPreparedPicture picture;
    ASSERT_EQ(picture.Prepare(platform::PictureFormat::For(".png"), path, 16384,
                              MivexGL::kMaxPictureBytes),
              cPreparedPicture::kReady)
        << picture.GetReason();
    ASSERT_EQ(picture.GetWidth(), 37);
    ASSERT_EQ(picture.GetHeight(), 29);
    EXPECT_TRUE(picture.HasOwnAlpha());
    // Top row first, alpha as stored, black not keyed.
    for (int y : {0, 13, 28})
    {
        for (int x : {0, 17, 18, 36})
        {
            ExpectTexel(picture, x, y, pixel(x, y));
        }
    }

    // Halved twice: 10 x 8, each texel the rounded mean of its box.
    ASSERT_EQ(picture.Prepare(platform::PictureFormat::For(".png"), path, 16384, 10 * 8 * 4),
              cPreparedPicture::kReady);
    ASSERT_EQ(picture.GetWidth(), 10);
    ASSERT_EQ(picture.GetHeight(), 8);
    EXPECT_EQ(picture.GetNaturalWidth(), 37);
    for (int oy = 0; oy < 8; ++oy)
    {
        for (int ox = 0; ox < 10; ++ox)
        {
            int sum[4] = {};
            int count = 0;
            for (int y = oy * 4; y < std::min(29, oy * 4 + 4); ++y)
            {
                for (int x = ox * 4; x < std::min(37, ox * 4 + 4); ++x, ++count)
                {
                    const Rgba p = pixel(x, y);
                    sum[0] += p.r;
                    sum[1] += p.g;
                    sum[2] += p.b;
                    sum[3] += p.a;
                }
            }
            const unsigned char* got = Texel(picture, ox, oy);
            for (int c = 0; c < 4; ++c)
            {
                ASSERT_EQ(got[c], (sum[c] + count / 2) / count) << ox << "," << oy << " " << c;
            }
        }
    }

    const std::string solid = WritePng(
        "solid.png", 3, 2, false,
        [](int x, int y) {
            return Rgba{static_cast<unsigned char>(x), static_cast<unsigned char>(y), 9, 255};
        });
    ASSERT_EQ(picture.Prepare(platform::PictureFormat::For(".png"), solid, 16384,
                              MivexGL::kMaxPictureBytes),
              cPreparedPicture::kReady);
    EXPECT_FALSE(picture.HasOwnAlpha());
    ExpectTexel(picture, 2, 1, {2, 1, 9, 255});
}

TEST_F(WindowsPictures, FailuresSayWhy)
{
    const std::string text = kDir + "/text.png";
    Save(text, {'p', 'l', 'a', 'i', 'n'});
    Save(kDir + "/text.jpg", {'p', 'l', 'a', 'i', 'n'});
    // A JPEG header that claims 60000 x 60000 pixels, and nothing else.
    Save(kDir + "/huge.jpg", {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0xEA, 0x60, 0xEA, 0x60,
                              0x03, 0x01, 0x11, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01});
    struct Case
    {
        std::string path;
        std::string reason;
    };
    const Case cases[] = {
        {kDir + "/missing.png", "no such file or directory"},
        {kDir + "/missing.jpg", "no such file or directory"},
        {text, "not a PNG file"},
        {kDir + "/huge.jpg", "picture too large"},
    };
    for (const Case& c : cases)
    {
        const std::unique_ptr<PictureDecoder> decoder =
            platform::PictureFormat::For(c.path).create();
        EXPECT_FALSE(decoder->Open(c.path)) << c.path;
        EXPECT_EQ(decoder->GetError(), c.reason) << c.path;
    }
    const std::unique_ptr<PictureDecoder> loader =
        platform::PictureFormat::PictureLoader().create();
    EXPECT_FALSE(loader->Open(kDir + "/text.jpg"));
    EXPECT_NE(loader->GetError(), "");
}

// The data pictures decoded here against the host's decode of the same
// files: libjpeg-turbo's JPEG within kJpegTolerance a channel (two IDCTs and
// upsamplers may round apart), libpng's PNG exactly.
constexpr int kJpegTolerance = 6;

TEST(PictureAgreement, DataPicturesDecodeAsOnTheHost)
{
    const char* folder = std::getenv("MIVEX_PICTURE_REFERENCE");
    if (folder == nullptr || folder[0] == '\0')
    {
        GTEST_SKIP() << "no host decodes (run tests/windows/picture_agreement.sh)";
    }
    int compared = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator("data"))
    {
        const std::string name = entry.path().filename().string();
        const std::string extension = entry.path().extension().string();
        if (extension != ".jpg" && extension != ".png")
        {
            continue;
        }
        const bool png = extension == ".png";
        const std::vector<unsigned char> reference =
            Load(std::string(folder) + "/" + name + ".rgba");
        ASSERT_FALSE(reference.empty()) << name;
        const std::unique_ptr<PictureDecoder> decoder =
            platform::PictureFormat::For(entry.path().string()).create();
        ASSERT_TRUE(decoder->Open(entry.path().string())) << name << ": " << decoder->GetError();
        const int shownWidth = decoder->GetDisplayWidth();
        const int shownHeight = decoder->GetDisplayHeight();
        int w = 0, h = 0;
        ASSERT_TRUE(decoder->StartDecode(decoder->GetWidth(), decoder->GetHeight(), w, h)) << name;
        ASSERT_EQ(reference.size(), static_cast<std::size_t>(w) * h * 4) << name;
        std::vector<unsigned char> ours(reference.size());
        for (int y = 0; y < h;)
        {
            const int got =
                decoder->ReadSomeRows(&ours[static_cast<std::size_t>(y) * w * 4], w * 4, 16);
            ASSERT_GT(got, 0) << name << ": " << decoder->GetError();
            y += got;
        }
        int largest = 0;
        double total = 0;
        for (std::size_t i = 0; i < ours.size(); ++i)
        {
            const int difference = std::abs(static_cast<int>(ours[i]) - reference[i]);
            largest = std::max(largest, difference);
            total += difference;
        }
        RecordProperty(name + "_largest", largest);
        std::printf("%s: %d x %d (%d x %d shown), largest difference %d, mean %.3f\n", name.c_str(),
                    w, h, shownWidth, shownHeight, largest,
                    total / static_cast<double>(ours.size()));
        EXPECT_LE(largest, png ? 0 : kJpegTolerance) << name;
        ++compared;
    }
    EXPECT_GE(compared, 34);
}

} // namespace
