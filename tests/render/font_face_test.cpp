// Face lookup, private registration, code mapping and glyph shapes of the
// platform font layer, against the fonts installed on the machine.
#include "platform/posix/FontFace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

using namespace platform;

namespace
{

const char* const kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

double Width(const GlyphBitmap& g)
{
    return g.xAdvance;
}

} // namespace

TEST(FontCodes, Windows1252HighRangeGoesThroughTheCodePage)
{
    EXPECT_EQ(AnsiToUnicode(0x80), 0x20ACu);
    EXPECT_EQ(AnsiToUnicode(0x92), 0x2019u);
    EXPECT_EQ(AnsiToUnicode(0x9F), 0x0178u);
    // Unassigned slots and everything outside 128..159 keep their value.
    EXPECT_EQ(AnsiToUnicode(0x81), 0x81u);
    EXPECT_EQ(AnsiToUnicode(0x9D), 0x9Du);
    EXPECT_EQ(AnsiToUnicode('A'), 0x41u);
    EXPECT_EQ(AnsiToUnicode(0xE9), 0xE9u);
    EXPECT_EQ(AnsiToUnicode(0xFF), 0xFFu);
}

TEST(FontCodes, Utf16NamesBecomeUtf8)
{
    EXPECT_EQ(Utf16ToUtf8(u"Arial"), "Arial");
    EXPECT_EQ(Utf16ToUtf8(u"Caf\u00e9 \u20ac"), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    const char16_t lone[] = {0xD800, u'x', 0};
    EXPECT_EQ(Utf16ToUtf8(lone), "\xEF\xBF\xBDx");
    EXPECT_EQ(Utf16ToUtf8(nullptr), "");
}

TEST(FontRegistration, EmptyOrMissingFilesRegisterNothing)
{
    EXPECT_EQ(AddFontResourceExW(u"", FR_PRIVATE, nullptr), 0);
    EXPECT_EQ(AddFontResourceExW(nullptr, FR_PRIVATE, nullptr), 0);
    EXPECT_EQ(AddFontResourceExW(u"Data/General/no_such_font.ttf", FR_PRIVATE, nullptr), 0);
}

TEST(FontRegistration, DataPathsResolveWhateverTheirCaseAndSeparators)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(MIVEX_BINARY_DIR) / "font_face_test" / "General";
    fs::create_directories(dir);
    fs::copy_file(kDejaVu, dir / "Face.ttf", fs::copy_options::overwrite_existing);
    fs::current_path(MIVEX_BINARY_DIR);
    EXPECT_EQ(AddFontResourceExW(u"FONT_FACE_TEST\\general\\face.TTF", FR_PRIVATE, nullptr), 1);
    // Registering again is harmless.
    EXPECT_EQ(AddFontResourceExW(u"font_face_test/General/Face.ttf", FR_PRIVATE, nullptr), 1);
}

TEST(FontRegistration, RegisteredFileServesItsFamilyToThisProcess)
{
    namespace fs = std::filesystem;
    // A copy of an installed face renamed to a family nobody has installed
    // (same length, so the name table stays intact).
    std::ifstream in(kDejaVu, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string from16("\0D\0e\0j\0a\0V\0u", 12), to16("\0Q\0u\0i\0x\0o\0t", 12);
    for (auto [from, to] :
         {std::pair{std::string("DejaVu"), std::string("Quixot")}, {from16, to16}})
    {
        for (std::size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at))
        {
            bytes.replace(at, from.size(), to);
        }
    }
    const fs::path file = fs::path(MIVEX_BINARY_DIR) / "font_face_test" / "quixot.ttf";
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;

    FontFace before;
    ASSERT_TRUE(before.Open(u"Quixot Sans", -16));
    EXPECT_NE(before.GetFamily(), "Quixot Sans");
    const std::u16string name(file.u16string());
    EXPECT_EQ(AddFontResourceExW(name.c_str(), FR_PRIVATE, nullptr), 1);
    FontFace after;
    ASSERT_TRUE(after.Open(u"Quixot Sans", -16));
    EXPECT_EQ(after.GetFamily(), "Quixot Sans");
    EXPECT_EQ(after.GetFile(), file.string());
}

TEST(FontLookup, ArialFallsBackToAnInstalledSansFace)
{
    FontFace face;
    ASSERT_TRUE(face.Open(u"Arial", -16));
    EXPECT_FALSE(face.GetFamily().empty());
    EXPECT_DOUBLE_EQ(face.GetPixelsPerEm(), 16.0);
}

TEST(FontLookup, UnknownFaceStillOpensSomething)
{
    FontFace face;
    EXPECT_TRUE(face.Open(u"Action Force Normal But Not Installed", -26));
    EXPECT_TRUE(face.IsOpen());
    face.Close();
    EXPECT_FALSE(face.IsOpen());
}

TEST(FontLookup, PositiveHeightIsTheCellNotTheEm)
{
    FontFace em, cell;
    ASSERT_TRUE(em.Open(u"DejaVu Sans", -32));
    ASSERT_TRUE(cell.Open(u"DejaVu Sans", 32));
    // The cell includes ascent and descent, so the em is smaller than it.
    EXPECT_LT(cell.GetPixelsPerEm(), 31.0);
    EXPECT_GT(cell.GetPixelsPerEm(), 20.0);
    GlyphBitmap a, b;
    ASSERT_TRUE(em.GetBitmap('M', a));
    ASSERT_TRUE(cell.GetBitmap('M', b));
    EXPECT_GT(Width(a), Width(b));
}

TEST(FontGlyphs, BitmapRowsRunBottomUpAroundTheBaseline)
{
    FontFace face;
    ASSERT_TRUE(face.Open(u"DejaVu Sans", -40));
    GlyphBitmap g;
    ASSERT_TRUE(face.GetBitmap('g', g));
    ASSERT_GT(g.height, 0);
    EXPECT_EQ(g.bits.size(), static_cast<std::size_t>((g.width + 7) / 8 * g.height));
    // A descender hangs below the baseline: the image starts under the pen.
    EXPECT_GT(g.yOrigin, 0.0f);
    GlyphBitmap dot;
    ASSERT_TRUE(face.GetBitmap('.', dot));
    EXPECT_LE(dot.yOrigin, 0.0f);
    // The period sits at the bottom: its lowest row has ink.
    bool inkAtBottom = false;
    for (int x = 0; x < (dot.width + 7) / 8; ++x)
    {
        inkAtBottom |= dot.bits[x] != 0;
    }
    EXPECT_TRUE(inkAtBottom);
    GlyphBitmap space;
    ASSERT_TRUE(face.GetBitmap(' ', space));
    EXPECT_TRUE(
        std::all_of(space.bits.begin(), space.bits.end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_GT(space.xAdvance, 0.0f);
}

TEST(FontGlyphs, OutlinesAreInEmUnitsAndClosed)
{
    FontFace face;
    ASSERT_TRUE(face.Open(u"DejaVu Sans", -26));
    GlyphOutline o;
    ASSERT_TRUE(face.GetOutline('O', 0.0, o));
    // An O is an outer ring and a hole.
    ASSERT_EQ(o.contours.size(), 2u);
    EXPECT_FALSE(o.evenOdd);
    EXPECT_TRUE(o.clockwiseFill);
    for (const auto& contour : o.contours)
    {
        EXPECT_GE(contour.size(), 8u);
        EXPECT_FALSE(contour.front().x == contour.back().x &&
                     contour.front().y == contour.back().y);
        for (const OutlinePoint& p : contour)
        {
            EXPECT_GE(p.x, -0.05);
            EXPECT_LE(p.x, 1.0);
            EXPECT_GE(p.y, -0.05);
            EXPECT_LE(p.y, 1.0);
        }
    }
    // A coarser deviation gives fewer points on the same curves.
    GlyphOutline coarse;
    ASSERT_TRUE(face.GetOutline('O', 0.05, coarse));
    EXPECT_LT(coarse.contours[0].size(), o.contours[0].size());
}

TEST(FontGlyphs, PostScriptOutlinesRunTheOtherWay)
{
    FontFace face;
    ASSERT_TRUE(face.Open(u"Nimbus Sans", -26));
    if (face.GetFile().find(".otf") == std::string::npos)
    {
        GTEST_SKIP() << "no CFF face installed";
    }
    GlyphOutline o;
    ASSERT_TRUE(face.GetOutline('O', 0.0, o));
    EXPECT_FALSE(o.clockwiseFill);
    EXPECT_EQ(o.contours.size(), 2u);
}

TEST(FontGlyphs, EuroAtCode128IsARealGlyph)
{
    FontFace face;
    ASSERT_TRUE(face.Open(u"DejaVu Sans", -26));
    GlyphOutline euro, missing;
    ASSERT_TRUE(face.GetOutline(0x80, 0.0, euro));
    ASSERT_TRUE(face.GetOutline(0x01, 0.0, missing));
    EXPECT_FALSE(euro.contours.empty());
    EXPECT_NE(euro.contours.size(), missing.contours.size());
}
