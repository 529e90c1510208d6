// Checks the data folder that the build generates: every file the demo opens
// is there under its exact name, the pictures decode the way the texture
// loader needs them (size, density, colour key), the music has its beat on
// the half-second grid, the loading tune loops without a seam, and the
// generator gives the same bytes on every run.
#include "render/PreparedPicture.h"
#include "tools/datagen/KeyedJpeg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <mpg123.h>
#include <png.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

const fs::path kData = fs::path(MIVEX_BINARY_DIR) / "data";

// Manifest order, as the resource set loads them.
const char* const kSlides[] = {
    "TitleFirst.jpg",   "Title2nd.jpg",     "Title3rd.jpg",        "Title4th.jpg",
    "NoytralFirst.jpg", "HorseDrool.jpg",   "HorseAddict1.jpg",    "HorseAddict2.jpg",
    "HorseAddict3.jpg", "HorseAddict4.jpg", "RobberyPrepare0.jpg", "RobberyPrepare.jpg",
    "HorseRobbery.jpg", "Gramek.jpg",       "HorseRobbery2.jpg",   "Vostek1.jpg",
    "Vostek2.jpg",      "Kavrin1.jpg",      "Kavrin2.jpg",         "pilvan1.jpg",
    "pilvan2.jpg",      "laceHeaven.jpg",   "dreamParad.jpg",      "LaceHeavenFinal.jpg",
    "byggeplass1.jpg",  "byggeplass2.jpg",  "death_zuntUp.jpg",    "deathVostek.jpg",
    "deathKavrin.jpg",  "deathPilvan.jpg",  "26humanlace.jpg",     "HorseMask.jpg",
};

// The intro's 45 cuts in order, by file.
const char* const kSchedule[] = {
    "TitleFirst.jpg",     "Title2nd.jpg",     "Title3rd.jpg",        "Title4th.jpg",
    "NoytralFirst.jpg",   "HorseDrool.jpg",   "HorseAddict1.jpg",    "HorseAddict2.jpg",
    "HorseAddict1.jpg",   "HorseAddict2.jpg", "HorseAddict1.jpg",    "HorseAddict2.jpg",
    "HorseAddict1.jpg",   "HorseAddict3.jpg", "HorseAddict4.jpg",    "RobberyPrepare0.jpg",
    "RobberyPrepare.jpg", "HorseRobbery.jpg", "Gramek.jpg",          "HorseRobbery2.jpg",
    "Vostek1.jpg",        "Vostek2.jpg",      "Vostek1.jpg",         "Vostek2.jpg",
    "dreamParad.jpg",     "Kavrin1.jpg",      "Kavrin2.jpg",         "Kavrin1.jpg",
    "Kavrin2.jpg",        "laceHeaven.jpg",   "pilvan1.jpg",         "pilvan2.jpg",
    "pilvan1.jpg",        "pilvan2.jpg",      "LaceHeavenFinal.jpg", "byggeplass1.jpg",
    "byggeplass2.jpg",    "death_zuntUp.jpg", "deathVostek.jpg",     "death_zuntUp.jpg",
    "deathKavrin.jpg",    "death_zuntUp.jpg", "deathPilvan.jpg",     "26humanlace.jpg",
    "HorseMask.jpg",
};

std::set<std::string> ExpectedFiles()
{
    std::set<std::string> files(std::begin(kSlides), std::end(kSlides));
    for (const char* f : {"specular.jpg", "og1.png", "General/loading.jpg", "General/loading.mp3",
                          "General/music.mp3", "General/c_font.ttf", "General/c_font.LICENSE.txt"})
    {
        files.insert(f);
    }
    return files;
}

std::set<std::string> ListFiles(const fs::path& root)
{
    std::set<std::string> files;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(root, error))
    {
        if (entry.is_regular_file())
        {
            files.insert(fs::relative(entry.path(), root).generic_string());
        }
    }
    return files;
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Picture
{
    bool ok = false;
    int width = 0;
    int height = 0;
    int densityUnit = 0;
    int xDensity = 0;
    int yDensity = 0;
    std::vector<std::uint8_t> rgb;

    const std::uint8_t* At(int x, int y) const
    {
        return &rgb[(static_cast<size_t>(y) * width + x) * 3];
    }
};

struct JpegError
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void OnJpegError(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

// libjpeg's default handler exits the process; a broken file must fail the
// test instead.
Picture DecodeJpeg(const fs::path& path)
{
    Picture picture;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
    {
        return picture;
    }
    jpeg_decompress_struct cinfo;
    JpegError error;
    cinfo.err = jpeg_std_error(&error.base);
    error.base.error_exit = OnJpegError;
    if (setjmp(error.jump))
    {
        jpeg_destroy_decompress(&cinfo);
        std::fclose(file);
        picture.ok = false;
        return picture;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    picture.width = static_cast<int>(cinfo.output_width);
    picture.height = static_cast<int>(cinfo.output_height);
    picture.densityUnit = cinfo.saw_JFIF_marker ? cinfo.density_unit : -1;
    picture.xDensity = cinfo.X_density;
    picture.yDensity = cinfo.Y_density;
    picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * 3);
    while (cinfo.output_scanline < cinfo.output_height)
    {
        JSAMPROW row =
            picture.rgb.data() + static_cast<size_t>(cinfo.output_scanline) * picture.width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    picture.ok = true;
    return picture;
}

struct Mean
{
    double r = 0;
    double g = 0;
    double b = 0;
};

Mean MeanColour(const Picture& p)
{
    Mean m;
    const size_t n = p.rgb.size() / 3;
    for (size_t i = 0; i < n; ++i)
    {
        m.r += p.rgb[i * 3];
        m.g += p.rgb[i * 3 + 1];
        m.b += p.rgb[i * 3 + 2];
    }
    m.r /= n;
    m.g /= n;
    m.b /= n;
    return m;
}

double Distance(const Mean& a, const Mean& b)
{
    return std::sqrt((a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) +
                     (a.b - b.b) * (a.b - b.b));
}

// Mean absolute difference per channel over the whole picture.
double PixelDifference(const Picture& a, const Picture& b)
{
    double sum = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i)
    {
        sum += std::abs(static_cast<int>(a.rgb[i]) - static_cast<int>(b.rgb[i]));
    }
    return sum / a.rgb.size();
}

struct Pcm
{
    bool ok = false;
    long rate = 0;
    int channels = 0;
    // Interleaved, -1..1.
    std::vector<float> samples;

    size_t Frames() const { return channels ? samples.size() / channels : 0; }
};

// Decodes with gapless handling on, as a player honouring the encoder's
// delay and padding tag does.
Pcm DecodeMp3(const fs::path& path)
{
    Pcm pcm;
    mpg123_init();
    int error = 0;
    mpg123_handle* mh = mpg123_new(nullptr, &error);
    if (!mh)
    {
        return pcm;
    }
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    mpg123_format_none(mh);
    mpg123_format(mh, 44100, MPG123_STEREO | MPG123_MONO, MPG123_ENC_SIGNED_16);
    if (mpg123_open(mh, path.c_str()) != MPG123_OK)
    {
        mpg123_delete(mh);
        return pcm;
    }
    int encoding = 0;
    mpg123_getformat(mh, &pcm.rate, &pcm.channels, &encoding);
    std::vector<unsigned char> buffer(1 << 16);
    for (;;)
    {
        size_t done = 0;
        const int result = mpg123_read(mh, buffer.data(), buffer.size(), &done);
        const auto* s = reinterpret_cast<const std::int16_t*>(buffer.data());
        for (size_t i = 0; i < done / 2; ++i)
        {
            pcm.samples.push_back(s[i] / 32768.0f);
        }
        if (result == MPG123_DONE)
        {
            pcm.ok = true;
            break;
        }
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
        {
            break;
        }
    }
    mpg123_close(mh);
    mpg123_delete(mh);
    return pcm;
}

constexpr long kBeatFrames = 22050;

TEST(DatagenFolder, HoldsEveryFileTheDemoOpensUnderItsExactName)
{
    for (const std::string& file : ExpectedFiles())
    {
        std::error_code error;
        EXPECT_GT(fs::file_size(kData / file, error), 1000u) << file;
        EXPECT_FALSE(error) << file << ": " << error.message();
    }
}

TEST(DatagenFolder, HoldsNothingTheDemoDoesNotOpen)
{
    EXPECT_EQ(ListFiles(kData), ExpectedFiles());
}

TEST(DatagenFont, IsTheDejaVuBoldWithItsLicenceBesideIt)
{
    EXPECT_EQ(ReadBytes(kData / "General/c_font.ttf"),
              ReadBytes("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"));
    const std::string licence = ReadBytes(kData / "General/c_font.LICENSE.txt");
    EXPECT_NE(licence.find("Bitstream"), std::string::npos);
}

TEST(DatagenPictures, EverySlideIs1024x768At72DpiAndFreeOfTheColourKey)
{
    for (const char* name : kSlides)
    {
        const Picture p = DecodeJpeg(kData / name);
        ASSERT_TRUE(p.ok) << name;
        EXPECT_EQ(p.width, 1024) << name;
        EXPECT_EQ(p.height, 768) << name;
        EXPECT_EQ(p.densityUnit, 1) << name;
        EXPECT_EQ(p.xDensity, 72) << name;
        EXPECT_EQ(p.yDensity, 72) << name;
        // Pure black would turn transparent in the texture loader.
        long black = 0;
        for (size_t i = 0; i < p.rgb.size(); i += 3)
        {
            black += p.rgb[i] == 0 && p.rgb[i + 1] == 0 && p.rgb[i + 2] == 0;
        }
        EXPECT_EQ(black, 0) << name;
    }
}

TEST(DatagenPictures, AlternatingPairsDifferStronglyInMeanColour)
{
    const std::pair<const char*, const char*> pairs[] = {
        {"HorseAddict1.jpg", "HorseAddict2.jpg"},
        {"Vostek1.jpg", "Vostek2.jpg"},
        {"Kavrin1.jpg", "Kavrin2.jpg"},
        {"pilvan1.jpg", "pilvan2.jpg"},
    };
    for (const auto& [first, second] : pairs)
    {
        const double d =
            Distance(MeanColour(DecodeJpeg(kData / first)), MeanColour(DecodeJpeg(kData / second)));
        EXPECT_GT(d, 60.0) << first << " / " << second;
    }
}

TEST(DatagenPictures, EveryCutShowsAClearlyDifferentPicture)
{
    for (size_t i = 1; i < std::size(kSchedule); ++i)
    {
        const Picture a = DecodeJpeg(kData / kSchedule[i - 1]);
        const Picture b = DecodeJpeg(kData / kSchedule[i]);
        ASSERT_TRUE(a.ok && b.ok) << kSchedule[i];
        EXPECT_GT(PixelDifference(a, b), 30.0) << kSchedule[i - 1] << " -> " << kSchedule[i];
    }
}

// The flash is keyed on exact black and blended at one opacity: whatever is
// not exact black covers the slide at full strength, so a dim pixel shows as
// a dark patch over it.
int MaxChannel(const std::uint8_t* c)
{
    return std::max({c[0], c[1], c[2]});
}

TEST(DatagenFlash, IsA1024x768PictureWithExactBlackCornersAndABrightCore)
{
    const Picture p = DecodeJpeg(kData / "specular.jpg");
    ASSERT_TRUE(p.ok);
    ASSERT_EQ(p.width, 1024);
    ASSERT_EQ(p.height, 768);
    EXPECT_EQ(p.xDensity, 72);
    for (const auto& [x, y] : {std::pair{0, 0}, {1023, 0}, {0, 767}, {1023, 767}})
    {
        EXPECT_EQ(MaxChannel(p.At(x, y)), 0) << x << "," << y;
    }
    for (const auto& [x, y] : {std::pair{512, 384}, {500, 380}, {524, 390}})
    {
        const std::uint8_t* c = p.At(x, y);
        EXPECT_GE(MaxChannel(c), 245) << x << "," << y;
        EXPECT_GE(std::min({c[0], c[1], c[2]}), 200) << x << "," << y;
    }
    long black = 0;
    for (size_t i = 0; i < p.rgb.size(); i += 3)
    {
        black += MaxChannel(&p.rgb[i]) == 0;
    }
    // A burst over the slide, not a speck and not a curtain.
    const long pixels = 1024L * 768;
    EXPECT_GT(black, pixels / 2);
    EXPECT_GT(pixels - black, pixels / 20);
}

TEST(DatagenFlash, EveryPixelTheKeyKeepsIsBright)
{
    const Picture p = DecodeJpeg(kData / "specular.jpg");
    ASSERT_TRUE(p.ok);
    long nearBlack = 0;
    long dim = 0;
    for (size_t i = 0; i < p.rgb.size(); i += 3)
    {
        const int m = MaxChannel(&p.rgb[i]);
        nearBlack += m > 0 && m <= 40;
        dim += m > 40 && m < 100;
    }
    // Compression noise beside the outline is the usual source of both.
    EXPECT_EQ(nearBlack, 0);
    EXPECT_EQ(dim, 0);
}

TEST(DatagenFlash, OutlineCutsThroughCompressionBlocksInsteadOfFollowingThem)
{
    const Picture p = DecodeJpeg(kData / "specular.jpg");
    ASSERT_TRUE(p.ok);
    // An outline snapped to the 8x8 grid shows as stair steps on screen.
    long split = 0;
    for (int by = 0; by < p.height; by += 8)
    {
        for (int bx = 0; bx < p.width; bx += 8)
        {
            int black = 0;
            for (int y = by; y < by + 8; ++y)
            {
                for (int x = bx; x < bx + 8; ++x)
                {
                    black += MaxChannel(p.At(x, y)) == 0;
                }
            }
            split += black > 0 && black < 64;
        }
    }
    EXPECT_GT(split, 300);
}

TEST(DatagenFlash, TheLoaderKeepsOnlyBrightTexelsBesideTheOutlineFringe)
{
    MivexGL::cPreparedPicture picture;
    ASSERT_EQ(picture.Prepare((kData / "specular.jpg").string(), 4096),
              MivexGL::cPreparedPicture::kReady);
    const int width = picture.GetWidth();
    const int height = picture.GetHeight();
    const std::uint8_t* texels = picture.GetPixels();
    auto texel = [&](int x, int y) { return texels + (static_cast<size_t>(y) * width + x) * 4; };
    long opaque = 0;
    long fringe = 0;
    long inner = 0;
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            if (texel(x, y)[3] == 0)
            {
                continue;
            }
            ++opaque;
            if (MaxChannel(texel(x, y)) > 40)
            {
                continue;
            }
            bool besideClear = false;
            for (int dy = -1; dy <= 1; ++dy)
            {
                for (int dx = -1; dx <= 1; ++dx)
                {
                    const int nx = std::clamp(x + dx, 0, width - 1);
                    const int ny = std::clamp(y + dy, 0, height - 1);
                    besideClear = besideClear || texel(nx, ny)[3] == 0;
                }
            }
            ++(besideClear ? fringe : inner);
        }
    }
    // Stretching to the texture size blends the outline with the black
    // beside it; that one-texel fringe is all that may come out dark.
    EXPECT_GT(opaque, static_cast<long>(width) * height / 20);
    EXPECT_EQ(inner, 0);
    EXPECT_LT(fringe, opaque / 100) << fringe << " of " << opaque;
}

// Worst cases for the keyed writer: hard warm edges, single pixels of pure
// colour, one-pixel lines and a checkerboard, all on black.
std::vector<std::uint8_t> HardEdgedPicture(int width, int height)
{
    std::vector<std::uint8_t> rgb(static_cast<size_t>(width) * height * 3, 0);
    auto set = [&](int x, int y, int r, int g, int b)
    {
        std::uint8_t* q = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        q[0] = static_cast<std::uint8_t>(r);
        q[1] = static_cast<std::uint8_t>(g);
        q[2] = static_cast<std::uint8_t>(b);
    };
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const int dx = x - width / 3;
            const int dy = y - height / 3;
            if (dx * dx + dy * dy < 29 * 29)
            {
                set(x, y, 255, 200, 128);
            }
            else if (x > width / 2 && y > height / 2 && (x + y) % 2 == 0)
            {
                set(x, y, 255, 255, 255);
            }
            else if (x == width / 8 || y == height - 3)
            {
                set(x, y, 90, 255, 40);
            }
            else if ((x * 7 + y * 13) % 97 == 0)
            {
                set(x, y, (x % 3) * 120, (y % 3) * 120, 255);
            }
        }
    }
    return rgb;
}

TEST(DatagenKeyedJpeg, EveryBlackPixelDecodesExactAndEveryOtherStaysOpaque)
{
    const int w = 160;
    const int h = 120;
    const std::vector<std::uint8_t> rgb = HardEdgedPicture(w, h);
    const fs::path path =
        fs::temp_directory_path() / ("keyed_" + std::to_string(::getpid()) + ".jpg");
    datagen::KeyedJpegReport report;
    ASSERT_TRUE(datagen::WriteKeyedJpeg(path.string(), rgb, w, h, 72, &report));
    const Picture p = DecodeJpeg(path);
    fs::remove(path);
    ASSERT_TRUE(p.ok);
    ASSERT_EQ(p.width, w);
    ASSERT_EQ(p.height, h);
    EXPECT_EQ(p.xDensity, 72);
    EXPECT_GT(report.edgeBlocks, 100);
    EXPECT_EQ(report.blanked, 0);
    long specks = 0;
    long holes = 0;
    for (size_t i = 0; i < rgb.size(); i += 3)
    {
        const bool black = MaxChannel(&rgb[i]) == 0;
        specks += black && MaxChannel(&p.rgb[i]) != 0;
        holes += !black && MaxChannel(&p.rgb[i]) == 0;
    }
    EXPECT_EQ(specks, 0);
    EXPECT_EQ(holes, 0);
}

TEST(DatagenKeyedJpeg, RefusesSizesOffTheBlockGridAndShortBuffers)
{
    const fs::path path =
        fs::temp_directory_path() / ("keyed_bad_" + std::to_string(::getpid()) + ".jpg");
    EXPECT_FALSE(
        datagen::WriteKeyedJpeg(path.string(), std::vector<std::uint8_t>(12 * 8 * 3), 12, 8, 72));
    EXPECT_FALSE(
        datagen::WriteKeyedJpeg(path.string(), std::vector<std::uint8_t>(8 * 8 * 3 - 1), 8, 8, 72));
    EXPECT_FALSE(fs::exists(path));
}

TEST(DatagenPictures, LoadingPictureIsFourByThree)
{
    const Picture p = DecodeJpeg(kData / "General/loading.jpg");
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.width * 3, p.height * 4);
}

TEST(DatagenPictures, SpriteHasASoftAlphaEdge)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_file(&image, (kData / "og1.png").c_str()), 0);
    EXPECT_NE(image.format & PNG_FORMAT_FLAG_ALPHA, 0u);
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(image));
    ASSERT_NE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr), 0);
    long clear = 0;
    long partial = 0;
    long opaque = 0;
    for (size_t i = 3; i < rgba.size(); i += 4)
    {
        clear += rgba[i] == 0;
        partial += rgba[i] > 0 && rgba[i] < 255;
        opaque += rgba[i] == 255;
    }
    const long pixels = static_cast<long>(rgba.size() / 4);
    EXPECT_GT(clear, pixels / 10);
    EXPECT_GT(partial, pixels / 10);
    EXPECT_EQ(rgba[3], 0);
}

TEST(DatagenMusic, MainTrackIsAtLeast150SecondsOfStereoAt44100)
{
    const Pcm pcm = DecodeMp3(kData / "General/music.mp3");
    ASSERT_TRUE(pcm.ok);
    EXPECT_EQ(pcm.rate, 44100);
    EXPECT_EQ(pcm.channels, 2);
    EXPECT_GE(pcm.Frames(), 150u * 44100u);
}

TEST(DatagenMusic, KickLandsOnEveryHalfSecondFromTheFirstSample)
{
    const Pcm pcm = DecodeMp3(kData / "General/music.mp3");
    ASSERT_TRUE(pcm.ok);
    ASSERT_EQ(pcm.channels, 2);
    // Low band energy: the kick's body lives below ~150 Hz.
    const size_t frames = pcm.Frames();
    std::vector<float> energy(frames);
    const float a = 1.0f - std::exp(-2.0f * 3.14159265f * 150.0f / 44100.0f);
    float low = 0.0f;
    for (size_t i = 0; i < frames; ++i)
    {
        low += a * (0.5f * (pcm.samples[i * 2] + pcm.samples[i * 2 + 1]) - low);
        energy[i] = low * low;
    }
    auto meanOver = [&](long from, long to)
    {
        double sum = 0;
        for (long i = from; i < to; ++i)
        {
            sum += energy[i];
        }
        return sum / (to - from);
    };
    // The first 20 ms after each beat must be far louder than the 80 ms
    // before it; an onset off the grid by an encoder delay (about 25 ms)
    // misses the short window entirely.
    const long beats = static_cast<long>(frames) / kBeatFrames - 4;
    long missed = 0;
    for (long k = 1; k < beats; ++k)
    {
        const long t = k * kBeatFrames;
        const double after = meanOver(t, t + 882);
        const double before = meanOver(t - 3528, t - 220);
        if (after < 3.0 * before)
        {
            ++missed;
            ADD_FAILURE() << "no onset at beat " << k << ": " << after << " vs " << before;
        }
        if (missed > 5)
        {
            break;
        }
    }
    EXPECT_EQ(missed, 0);
}

TEST(DatagenLoadingTune, DecodesToExactlyFourBarsAndLoopsWithoutASeam)
{
    const Pcm pcm = DecodeMp3(kData / "General/loading.mp3");
    ASSERT_TRUE(pcm.ok);
    ASSERT_EQ(pcm.channels, 2);
    EXPECT_EQ(pcm.rate, 44100);
    // Four bars at 120 BPM; any other length means the delay and padding
    // were not written and the loop would stutter.
    const size_t frames = pcm.Frames();
    ASSERT_EQ(frames, 4u * 4u * kBeatFrames);
    for (int c = 0; c < 2; ++c)
    {
        auto x = [&](size_t i) { return pcm.samples[i * 2 + c]; };
        std::vector<float> steps;
        for (size_t i = 0; i + 1 < frames; ++i)
        {
            steps.push_back(std::fabs(x(i + 1) - x(i)));
        }
        std::nth_element(steps.begin(), steps.begin() + steps.size() * 99 / 100, steps.end());
        const float p99 = steps[steps.size() * 99 / 100];
        const float seam = std::fabs(x(0) - x(frames - 1));
        EXPECT_LE(seam, p99) << "channel " << c;
        // Not trivially smooth: the tune is sounding across the seam.
        double head = 0;
        double tail = 0;
        for (size_t i = 0; i < 882; ++i)
        {
            head += x(i) * x(i);
            tail += x(frames - 1 - i) * x(frames - 1 - i);
        }
        EXPECT_GT(std::sqrt(head / 882), 0.01) << "channel " << c;
        EXPECT_GT(std::sqrt(tail / 882), 0.01) << "channel " << c;
    }
}

#ifdef DATAGEN_EXE
TEST(DatagenRun, TwoRunsWriteIdenticalBytes)
{
    const fs::path base =
        fs::temp_directory_path() / ("datagen_test_" + std::to_string(::getpid()));
    const fs::path first = base / "a";
    const fs::path second = base / "b";
    fs::create_directories(base);
    const std::string exe = DATAGEN_EXE;
    ASSERT_EQ(std::system((exe + " '" + first.string() + "'").c_str()), 0);
    ASSERT_EQ(std::system((exe + " '" + second.string() + "'").c_str()), 0);
    const std::set<std::string> files = ListFiles(first);
    EXPECT_EQ(files, ListFiles(second));
    EXPECT_EQ(files, ExpectedFiles());
    for (const std::string& file : files)
    {
        EXPECT_TRUE(ReadBytes(first / file) == ReadBytes(second / file)) << file;
        EXPECT_TRUE(ReadBytes(first / file) == ReadBytes(kData / file)) << file;
    }
    fs::remove_all(base);
}

TEST(DatagenRun, RefusesToRunWithoutAnOutputFolder)
{
    const std::string exe = DATAGEN_EXE;
    EXPECT_NE(std::system((exe + " 2>/dev/null").c_str()), 0);
}
#endif

} // namespace
