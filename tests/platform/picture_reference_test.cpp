// Our PNG and JPEG decoding against a reference decoder we do not write
// (ImageMagick's convert): every PNG colour type, bit depth, transparency
// chunk and interlacing, written with libpng on the spot, and the JPEG
// variants made with convert and jpegtran. Pixels must agree to a level.
#include "platform/JpegDecoder.h"
#include "platform/PngDecoder.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace
{

const std::string kDir = std::string(MIVEX_BINARY_DIR) + "/picture_fixtures/reference";

// Odd sizes, so every Adam7 pass has a partial last block.
constexpr int kWidth = 37;
constexpr int kHeight = 29;

bool HasTool(const char* name)
{
    return std::system(("command -v " + std::string(name) + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<unsigned char> Output(const std::string& command)
{
    std::vector<unsigned char> out;
    std::FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr)
    {
        return out;
    }
    unsigned char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0)
    {
        out.insert(out.end(), buffer, buffer + got);
    }
    ::pclose(pipe);
    return out;
}

// The reference decode: 8-bit RGBA, top row first.
std::vector<unsigned char> Reference(const std::string& path)
{
    return Output("convert '" + path + "' -colorspace sRGB -depth 8 rgba:-");
}

std::vector<unsigned char> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>());
}

// Largest difference of any channel; alpha compared only when ours has it,
// otherwise the reference must be opaque everywhere.
int LargestDifference(const std::vector<unsigned char>& ours, int channels,
                      const std::vector<unsigned char>& reference, std::size_t pixels)
{
    if (ours.size() != pixels * channels || reference.size() != pixels * 4)
    {
        return 256;
    }
    int largest = 0;
    for (std::size_t i = 0; i < pixels; ++i)
    {
        for (int c = 0; c < 4; ++c)
        {
            const int want = reference[i * 4 + c];
            const int got = c < channels ? ours[i * channels + c] : 255;
            largest = std::max(largest, std::abs(want - got));
        }
    }
    return largest;
}

// Samples that use every level of a depth, in no order a decoder could
// get right by accident.
unsigned Sample(int x, int y, int c, int depth)
{
    const unsigned h = static_cast<unsigned>(x * 7919 + y * 104729 + c * 15485863) * 2654435761u;
    return (h >> 7) & ((1u << depth) - 1u);
}

struct PngCase
{
    int colour;
    int depth;
    bool interlaced;
    bool transparency;
    int width = kWidth;
    int height = kHeight;

    std::string Name() const
    {
        std::ostringstream name;
        name << "c" << colour << "_d" << depth << (interlaced ? "_adam7" : "")
             << (transparency ? "_trns" : "") << ".png";
        return name.str();
    }
};

// Writes a PNG of exactly the case's colour type, depth, interlacing and
// tRNS chunk, samples packed as the format stores them.
bool WritePngCase(const std::string& path, const PngCase& c)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
    {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0)
    {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(c.width), static_cast<png_uint_32>(c.height),
                 c.depth, c.colour, c.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    const int entries = 1 << std::min(c.depth, 8);
    std::vector<png_color> palette;
    std::vector<png_byte> alphas;
    if (c.colour == PNG_COLOR_TYPE_PALETTE)
    {
        for (int i = 0; i < entries; ++i)
        {
            palette.push_back(png_color{static_cast<png_byte>(i * 53 + 7),
                                        static_cast<png_byte>(255 - i * 29),
                                        static_cast<png_byte>(i * i * 13)});
            // Fewer alphas than entries: the rest are opaque.
            if (i < entries - 1 || entries == 2)
            {
                alphas.push_back(static_cast<png_byte>(i * 97 % 256));
            }
        }
        png_set_PLTE(png, info, palette.data(), entries);
    }
    const int channels = png_get_channels(png, info);
    png_color_16 key{};
    if (c.transparency)
    {
        // The colour of the first pixel, which therefore comes out clear.
        key.gray = static_cast<png_uint_16>(Sample(0, 0, 0, c.depth));
        key.red = key.gray;
        key.green = static_cast<png_uint_16>(Sample(0, 0, 1, c.depth));
        key.blue = static_cast<png_uint_16>(Sample(0, 0, 2, c.depth));
        png_set_tRNS(png, info, alphas.empty() ? nullptr : alphas.data(),
                     static_cast<int>(alphas.size()), &key);
    }
    png_write_info(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    std::vector<std::vector<png_byte>> rows(static_cast<std::size_t>(c.height),
                                            std::vector<png_byte>(rowBytes, 0));
    std::vector<png_bytep> pointers;
    for (int y = 0; y < c.height; ++y)
    {
        std::size_t bit = 0;
        for (int x = 0; x < c.width; ++x)
        {
            for (int ch = 0; ch < channels; ++ch, bit += c.depth)
            {
                unsigned v = Sample(x, y, ch, c.depth);
                if (c.colour == PNG_COLOR_TYPE_PALETTE)
                {
                    v %= static_cast<unsigned>(entries);
                }
                png_byte* at = &rows[y][bit / 8];
                if (c.depth == 16)
                {
                    at[0] = static_cast<png_byte>(v >> 8);
                    at[1] = static_cast<png_byte>(v & 0xFF);
                }
                else
                {
                    // Packed from the high bits down.
                    at[0] |= static_cast<png_byte>(v << (8 - c.depth - bit % 8));
                }
            }
        }
        pointers.push_back(rows[y].data());
    }
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return true;
}

class PictureReference : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ::mkdir((std::string(MIVEX_BINARY_DIR) + "/picture_fixtures").c_str(), 0755);
        ::mkdir(kDir.c_str(), 0755);
    }
    void SetUp() override
    {
        ASSERT_TRUE(HasTool("convert")) << "ImageMagick's convert is needed: tools/setup.sh";
    }
};

TEST_F(PictureReference, EveryPngFormatDecodesAsTheReferenceDoes)
{
    std::vector<PngCase> cases;
    const struct
    {
        int colour;
        std::vector<int> depths;
        bool keyable;
    } formats[] = {{PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}, true},
                   {PNG_COLOR_TYPE_RGB, {8, 16}, true},
                   {PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}, true},
                   {PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}, false},
                   {PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}, false}};
    for (const auto& f : formats)
    {
        for (int depth : f.depths)
        {
            for (bool interlaced : {false, true})
            {
                cases.push_back({f.colour, depth, interlaced, false});
                if (f.keyable)
                {
                    cases.push_back({f.colour, depth, interlaced, true});
                }
            }
        }
    }
    for (const PngCase& c : cases)
    {
        const std::string path = kDir + "/" + c.Name();
        ASSERT_TRUE(WritePngCase(path, c)) << path;
        const std::vector<unsigned char> reference = Reference(path);
        const bool hasAlpha = (c.colour & PNG_COLOR_MASK_ALPHA) != 0 || c.transparency;

        platform::PngPixels fromFile;
        std::string why;
        ASSERT_TRUE(platform::DecodePngFile(path.c_str(), fromFile, &why)) << path << ": " << why;
        EXPECT_EQ(fromFile.width, static_cast<unsigned>(kWidth)) << path;
        EXPECT_EQ(fromFile.height, static_cast<unsigned>(kHeight)) << path;
        EXPECT_EQ(fromFile.alpha, hasAlpha) << path;
        EXPECT_LE(LargestDifference(fromFile.pixels, fromFile.alpha ? 4 : 3, reference,
                                    static_cast<std::size_t>(kWidth) * kHeight),
                  1)
            << path;

        // From memory, the same pixels; without alpha, the colour as stored.
        const std::vector<unsigned char> bytes = ReadBytes(path);
        platform::PngPixels fromMemory;
        ASSERT_TRUE(platform::DecodePng(bytes.data(), bytes.size(), fromMemory, &why)) << path;
        EXPECT_EQ(fromMemory.pixels, fromFile.pixels) << path;
        platform::PngPixels solid;
        ASSERT_TRUE(platform::DecodePng(bytes.data(), bytes.size(), solid, &why, false)) << path;
        ASSERT_FALSE(solid.alpha) << path;
        ASSERT_EQ(solid.pixels.size(), static_cast<std::size_t>(kWidth) * kHeight * 3) << path;
        for (std::size_t i = 0, n = static_cast<std::size_t>(kWidth) * kHeight; i < n; ++i)
        {
            const unsigned char* want = &fromFile.pixels[i * (fromFile.alpha ? 4 : 3)];
            const unsigned char* got = &solid.pixels[i * 3];
            ASSERT_TRUE(want[0] == got[0] && want[1] == got[1] && want[2] == got[2])
                << path << " pixel " << i;
        }
    }
}

TEST_F(PictureReference, DamagedPngsFailWithAReason)
{
    const PngCase c{PNG_COLOR_TYPE_RGB, 16, true, false};
    const std::string path = kDir + "/whole.png";
    ASSERT_TRUE(WritePngCase(path, c));
    const std::vector<unsigned char> bytes = ReadBytes(path);

    struct Damage
    {
        const char* name;
        std::vector<unsigned char> bytes;
    };
    std::vector<unsigned char> cut(bytes.begin(), bytes.begin() + bytes.size() / 2);
    std::vector<unsigned char> flipped = bytes;
    flipped[bytes.size() / 2] ^= 0x55;
    std::vector<unsigned char> huge = bytes;
    // IHDR width at offset 16: 100000 x 29 is within libpng's limits but past
    // the limit given below; its CRC made right, so only the size is wrong.
    huge[16] = 0;
    huge[17] = 0x01;
    huge[18] = 0x86;
    huge[19] = 0xA0;
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 12; i < 12 + 4 + 13; ++i)
    {
        crc ^= huge[i];
        for (int k = 0; k < 8; ++k)
        {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    crc ^= 0xFFFFFFFFu;
    for (int k = 0; k < 4; ++k)
    {
        huge[29 + k] = static_cast<unsigned char>(crc >> (24 - 8 * k));
    }
    const Damage damages[] = {{"cut", cut},
                              {"flipped", flipped},
                              {"text", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'}},
                              {"empty", {}}};
    for (const Damage& d : damages)
    {
        platform::PngPixels out;
        std::string why;
        EXPECT_FALSE(platform::DecodePng(d.bytes.data(), d.bytes.size(), out, &why)) << d.name;
        EXPECT_FALSE(why.empty()) << d.name;
        EXPECT_TRUE(out.pixels.empty()) << d.name;
    }
    // A lying size is refused before any row is made.
    platform::PngPixels out;
    std::string why;
    EXPECT_FALSE(platform::DecodePng(huge.data(), huge.size(), out, &why, true, kWidth * 1000LL));
    EXPECT_EQ(why, "picture too large");
    EXPECT_FALSE(platform::DecodePng(bytes.data(), bytes.size(), out, &why, true,
                                     platform::kMaxPngPixels, kWidth - 1));
    EXPECT_EQ(why, "picture too large");
}

// Halved while read, a picture is the box average of the file's pixels, as
// the reference scales by a whole factor; interlaced or not, the same.
TEST_F(PictureReference, HalvedPngsAreBoxAverages)
{
    for (int depth : {8, 16})
    {
        std::vector<unsigned char> first;
        for (bool interlaced : {false, true})
        {
            const PngCase c{PNG_COLOR_TYPE_RGB, depth, interlaced, false, 64, 48};
            const std::string path = kDir + "/halve_" + c.Name();
            ASSERT_TRUE(WritePngCase(path, c)) << path;
            platform::PngPixels out;
            std::string why;
            ASSERT_TRUE(platform::DecodePngFile(path.c_str(), out, &why, true,
                                                platform::kMaxPngPixels, 0, 2))
                << why;
            ASSERT_EQ(out.width, 16u);
            ASSERT_EQ(out.height, 12u);
            EXPECT_EQ(out.fileWidth, 64u);
            const std::vector<unsigned char> reference =
                Output("convert '" + path + "' -scale 16x12 -depth 8 rgba:-");
            EXPECT_LE(LargestDifference(out.pixels, 3, reference, 16 * 12), 1) << path;
            if (first.empty())
            {
                first = out.pixels;
            }
            EXPECT_EQ(out.pixels, first) << path;
        }
    }
    // Odd sides round up; halving past one pixel stops at one.
    const std::string odd = kDir + "/halve_odd.png";
    ASSERT_TRUE(WritePngCase(odd, {PNG_COLOR_TYPE_GRAY_ALPHA, 8, true, false}));
    platform::PngPixels out;
    ASSERT_TRUE(
        platform::DecodePngFile(odd.c_str(), out, nullptr, true, platform::kMaxPngPixels, 0, 1));
    EXPECT_EQ(out.width, 19u);
    EXPECT_EQ(out.height, 15u);
    EXPECT_EQ(out.pixels.size(), 19u * 15u * 4u);
    ASSERT_TRUE(
        platform::DecodePngFile(odd.c_str(), out, nullptr, true, platform::kMaxPngPixels, 0, 40));
    EXPECT_EQ(out.width, 1u);
    EXPECT_EQ(out.height, 1u);
    // Partial boxes sum alike pass by pass and row by row.
    const std::string plain = kDir + "/halve_odd_plain.png";
    ASSERT_TRUE(WritePngCase(plain, {PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false}));
    platform::PngPixels byRow;
    for (int halvings : {2, 3})
    {
        ASSERT_TRUE(platform::DecodePngFile(odd.c_str(), out, nullptr, true,
                                            platform::kMaxPngPixels, 0, halvings));
        ASSERT_TRUE(platform::DecodePngFile(plain.c_str(), byRow, nullptr, true,
                                            platform::kMaxPngPixels, 0, halvings));
        EXPECT_EQ(out.width, byRow.width);
        EXPECT_EQ(out.pixels, byRow.pixels) << halvings;
    }
}

struct JpegCase
{
    const char* name;
    // Made from the source picture: convert options, then an optional
    // jpegtran pass.
    const char* convert;
    const char* jpegtran;
};

TEST_F(PictureReference, JpegVariantsDecodeAsTheReferenceDoes)
{
    ASSERT_TRUE(HasTool("jpegtran")) << "jpegtran (libjpeg-turbo-progs) is needed: tools/setup.sh";
    const std::string source = kDir + "/source.png";
    ASSERT_TRUE(WritePngCase(source, {PNG_COLOR_TYPE_RGB, 8, false, false}));
    // A smooth picture too, so chroma subsampling has something to keep.
    const std::string smooth = kDir + "/smooth.png";
    ASSERT_EQ(std::system(("convert -size 67x45 gradient:'#c02040-#20f0a0' -swirl 120 '" + smooth +
                           "' 2>/dev/null")
                              .c_str()),
              0);

    const JpegCase cases[] = {
        {"baseline", "-quality 90", nullptr},
        {"grey", "-colorspace Gray -quality 90", nullptr},
        {"cmyk", "-colorspace CMYK -quality 95", nullptr},
        {"progressive", "-quality 90 -interlace JPEG", nullptr},
        {"s411", "-quality 90 -sampling-factor 4x1", nullptr},
        {"s440", "-quality 90 -sampling-factor 1x2", nullptr},
        {"s420", "-quality 90 -sampling-factor 2x2", nullptr},
        {"arith", "-quality 90", "-arithmetic"},
        {"arith_progressive", "-quality 90", "-arithmetic -progressive"},
        {"restart", "-quality 90", "-restart 1B"},
        {"restart_progressive", "-quality 90 -sampling-factor 2x2", "-progressive -restart 3"},
    };
    for (const std::string& from : {source, smooth})
    {
        for (const JpegCase& c : cases)
        {
            const std::string stem = kDir + "/" + c.name + (from == source ? "_noise" : "_smooth");
            const std::string path = stem + ".jpg";
            std::string make = "convert '" + from + "' " + c.convert + " '" + path + "'";
            if (c.jpegtran != nullptr)
            {
                make += " && jpegtran " + std::string(c.jpegtran) + " -outfile '" + stem +
                        ".t.jpg' '" + path + "' && mv '" + stem + ".t.jpg' '" + path + "'";
            }
            ASSERT_EQ(std::system((make + " 2>/dev/null").c_str()), 0) << make;
            const std::vector<unsigned char> reference = Reference(path);

            platform::JpegDecoder decoder;
            ASSERT_TRUE(decoder.Open(path)) << path;
            const int w = decoder.GetWidth();
            const int h = decoder.GetHeight();
            std::vector<unsigned char> rgb;
            int outW = 0, outH = 0;
            ASSERT_TRUE(decoder.Decode(w, h, rgb, outW, outH)) << path;
            ASSERT_EQ(outW, w);
            ASSERT_EQ(outH, h);
            EXPECT_LE(LargestDifference(rgb, 3, reference, static_cast<std::size_t>(w) * h), 2)
                << path;

            // From memory, the same pixels.
            const std::vector<unsigned char> bytes = ReadBytes(path);
            platform::JpegDecoder memory;
            ASSERT_TRUE(memory.OpenMemory(bytes.data(), bytes.size())) << path;
            std::vector<unsigned char> again;
            ASSERT_TRUE(memory.Decode(w, h, again, outW, outH)) << path;
            EXPECT_EQ(again, rgb) << path;
        }
    }
}

// libjpeg writes YCCK only when asked; ImageMagick reads it back as CMYK.
TEST_F(PictureReference, YcckJpegDecodesAsTheReferenceDoes)
{
    const std::string path = kDir + "/ycck.jpg";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, JCS_YCCK);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(kWidth * 4);
    for (int y = 0; y < kHeight; ++y)
    {
        for (int x = 0; x < kWidth; ++x)
        {
            // Smooth ink, so the colour transform is what is compared.
            row[x * 4] = static_cast<unsigned char>(x * 6);
            row[x * 4 + 1] = static_cast<unsigned char>(y * 8);
            row[x * 4 + 2] = static_cast<unsigned char>(200 - x * 3);
            row[x * 4 + 3] = static_cast<unsigned char>(150 + y * 2);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);

    platform::JpegDecoder decoder;
    ASSERT_TRUE(decoder.Open(path));
    std::vector<unsigned char> rgb;
    int w = 0, h = 0;
    ASSERT_TRUE(decoder.Decode(kWidth, kHeight, rgb, w, h));
    EXPECT_LE(LargestDifference(rgb, 3, Reference(path), static_cast<std::size_t>(w) * h), 2);
}

// The recorded orientation is not applied: the picture comes out as stored,
// as the reference gives it without being told to turn it.
TEST_F(PictureReference, ExifOrientationIsLeftAlone)
{
    const std::string source = kDir + "/orient_source.png";
    ASSERT_TRUE(WritePngCase(source, {PNG_COLOR_TYPE_RGB, 8, false, false}));
    const std::string plain = kDir + "/orient_plain.jpg";
    ASSERT_EQ(std::system(("convert '" + source + "' -quality 90 '" + plain + "'").c_str()), 0);
    std::vector<unsigned char> bytes = ReadBytes(plain);
    // An APP1 Exif segment right after SOI: one IFD entry, orientation 6
    // (the picture would be turned a quarter clockwise).
    const unsigned char exif[] = {0xFF, 0xE1, 0x00, 0x22, 'E',  'x',  'i',  'f',  0,
                                  0,    'I',  'I',  0x2A, 0x00, 0x08, 0x00, 0x00, 0x00,
                                  0x01, 0x00, 0x12, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00,
                                  0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    bytes.insert(bytes.begin() + 2, std::begin(exif), std::end(exif));
    const std::string turned = kDir + "/orient_6.jpg";
    {
        std::ofstream out(turned, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    // The fixture is what it claims to be.
    const std::vector<unsigned char> said =
        Output("identify -format '%[orientation]' '" + turned + "'");
    ASSERT_EQ(std::string(said.begin(), said.end()), "RightTop");

    platform::JpegDecoder decoder;
    ASSERT_TRUE(decoder.Open(turned));
    EXPECT_EQ(decoder.GetWidth(), kWidth);
    EXPECT_EQ(decoder.GetHeight(), kHeight);
    std::vector<unsigned char> rgb;
    int w = 0, h = 0;
    ASSERT_TRUE(decoder.Decode(kWidth, kHeight, rgb, w, h));
    EXPECT_LE(LargestDifference(rgb, 3, Reference(turned), static_cast<std::size_t>(w) * h), 2);
    EXPECT_LE(LargestDifference(rgb, 3, Reference(plain), static_cast<std::size_t>(w) * h), 0);
}

// 12-bit samples are not something this decoder can give: refused at Open
// or at the decode, never read as 8-bit data.
TEST_F(PictureReference, TwelveBitJpegIsRefused)
{
    const std::string source = kDir + "/twelve_source.png";
    ASSERT_TRUE(WritePngCase(source, {PNG_COLOR_TYPE_RGB, 8, false, false}));
    const std::string eight = kDir + "/eight.jpg";
    ASSERT_EQ(std::system(("convert '" + source + "' -quality 90 '" + eight + "'").c_str()), 0);
    std::vector<unsigned char> bytes = ReadBytes(eight);
    bool patched = false;
    for (std::size_t i = 2; i + 4 < bytes.size(); ++i)
    {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0)
        {
            // Extended sequential, precision 12.
            bytes[i + 1] = 0xC1;
            bytes[i + 4] = 12;
            patched = true;
            break;
        }
    }
    ASSERT_TRUE(patched);
    for (bool fromMemory : {false, true})
    {
        platform::JpegDecoder decoder;
        bool opened = false;
        if (fromMemory)
        {
            opened = decoder.OpenMemory(bytes.data(), bytes.size());
        }
        else
        {
            const std::string path = kDir + "/twelve.jpg";
            std::ofstream(path, std::ios::binary | std::ios::trunc)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
            opened = decoder.Open(path);
        }
        std::vector<unsigned char> rgb;
        int w = 0, h = 0;
        EXPECT_FALSE(opened && decoder.Decode(kWidth, kHeight, rgb, w, h));
        EXPECT_FALSE(decoder.GetError().empty());
    }
}

} // namespace
