// The Windows build's resource script against the template and the banner
// that the dialog host here is given: the same controls (ids, classes,
// texts, styles, rectangles) and, byte for byte, the same banner picture.
#include "resources/Resources.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
// GCC 12 sees std::function inside std::regex's automaton as maybe
// uninitialised when it inlines it under the sanitizers; it is not.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <regex>
#pragma GCC diagnostic pop
#else
#include <regex>
#endif
#include <sstream>
#include <string>
#include <vector>

namespace
{

using namespace platform;

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Put(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
    {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// A bitmap file: file header, 40-byte info header, the rows as they are.
std::string BitmapFile(const BitmapResource& bitmap)
{
    const auto size = static_cast<std::uint32_t>(bitmap.pixels.size());
    std::string out = "BM";
    Put(out, 14 + 40 + size, 4);
    Put(out, 0, 4);
    Put(out, 14 + 40, 4);
    Put(out, 40, 4);
    Put(out, static_cast<std::uint32_t>(bitmap.width), 4);
    Put(out, static_cast<std::uint32_t>(bitmap.height), 4);
    Put(out, 1, 2);
    Put(out, static_cast<std::uint32_t>(bitmap.bitsPerPixel), 2);
    Put(out, 0, 4);
    Put(out, size, 4);
    // 72 dots per inch.
    Put(out, 2835, 4);
    Put(out, 2835, 4);
    Put(out, 0, 4);
    Put(out, 0, 4);
    out.append(bitmap.pixels.begin(), bitmap.pixels.end());
    return out;
}

std::string Utf8(const char16_t* text)
{
    std::string out;
    for (const char16_t* p = text; p != nullptr && *p != 0; ++p)
    {
        out.push_back(static_cast<char>(*p));
    }
    return out;
}

std::string Lower(std::string text)
{
    for (char& c : text)
    {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// A style expression of the script ("WS_CHILD | SS_LEFT"); names it does not
// know fail the test.
DWORD Style(const std::string& expression)
{
    static const std::map<std::string, DWORD> names = {
        {"WS_POPUP", WS_POPUP},
        {"WS_CHILD", WS_CHILD},
        {"WS_VISIBLE", WS_VISIBLE},
        {"WS_CAPTION", WS_CAPTION},
        {"WS_SYSMENU", WS_SYSMENU},
        {"WS_VSCROLL", WS_VSCROLL},
        {"WS_GROUP", WS_GROUP},
        {"WS_TABSTOP", WS_TABSTOP},
        {"DS_FIXEDSYS", DS_FIXEDSYS},
        {"DS_SETFONT", DS_SETFONT},
        {"DS_MODALFRAME", DS_MODALFRAME},
        {"DS_CENTER", DS_CENTER},
        {"BS_PUSHBUTTON", BS_PUSHBUTTON},
        {"BS_DEFPUSHBUTTON", BS_DEFPUSHBUTTON},
        {"BS_AUTOCHECKBOX", BS_AUTOCHECKBOX},
        {"SS_LEFT", SS_LEFT},
        {"SS_BITMAP", SS_BITMAP},
        {"CBS_DROPDOWNLIST", CBS_DROPDOWNLIST},
    };
    DWORD style = 0;
    std::stringstream parts(expression);
    std::string part;
    while (std::getline(parts, part, '|'))
    {
        part.erase(0, part.find_first_not_of(' '));
        part.erase(part.find_last_not_of(' ') + 1);
        const auto it = names.find(part);
        EXPECT_NE(it, names.end()) << "unknown style " << part;
        style |= it != names.end() ? it->second : 0;
    }
    return style;
}

} // namespace

TEST(SetupResources, BannerFileIsTheGeneratorsPicture)
{
    const std::string made = BitmapFile(MivexGL::MakeBannerBitmap());
    const std::string file = ReadFile(std::string(MIVEX_SOURCE_DIR) + "/resources/Banner102.bmp");
    if (file != made)
    {
        // Written where it can be copied over the committed one.
        const std::string fresh = std::string(MIVEX_BINARY_DIR) + "/Banner102.bmp";
        std::ofstream(fresh, std::ios::binary) << made;
        FAIL() << "resources/Banner102.bmp is not what MakeBannerBitmap paints; the painted one "
                  "is in "
               << fresh;
    }
    EXPECT_EQ(made.size(), 14u + 40u + 280u * 3u * 45u);
}

TEST(SetupResources, ScriptSaysWhatTheTemplateSays)
{
    const std::string script = ReadFile(std::string(MIVEX_SOURCE_DIR) + "/resources/sollan.rc");
    ASSERT_FALSE(script.empty());
    const DialogTemplate& t = MivexGL::SetupDialogTemplate();
    std::smatch m;

    ASSERT_TRUE(std::regex_search(
        script, m, std::regex(R"(\n101 DIALOGEX 0, 0, (\d+), (\d+)\nSTYLE ([^\n]+)\n)")));
    EXPECT_EQ(std::stoi(m[1]), t.cx);
    EXPECT_EQ(std::stoi(m[2]), t.cy);
    EXPECT_EQ(Style(m[3]), t.style);
    ASSERT_TRUE(std::regex_search(script, m, std::regex("\nCAPTION \"([^\"]*)\"\n")));
    EXPECT_EQ(m[1], Utf8(t.caption));
    ASSERT_TRUE(std::regex_search(
        script, m, std::regex("\nFONT (\\d+), \"([^\"]*)\", (\\d+), (\\d+), (\\d+)\n")));
    EXPECT_EQ(std::stoi(m[1]), t.pointSize);
    EXPECT_EQ(m[2], Utf8(t.fontFace));
    EXPECT_EQ(std::stoi(m[3]), t.weight);
    EXPECT_EQ(std::stoi(m[4]), t.italic ? 1 : 0);
    EXPECT_EQ(std::stoi(m[5]), t.charset);
    EXPECT_TRUE(std::regex_search(
        script, m,
        std::regex("\n" + std::to_string(MivexGL::IDB_BANNER) + " BITMAP \"Banner102.bmp\"\n")));

    // CONTROL text, id, class, style, x, y, cx, cy; a number for text is a
    // bitmap resource.
    const std::regex control(
        R"re(CONTROL ("([^"]*)"|(\d+)), (-?\d+), "(\w+)", ([A-Z_ |]+), (\d+), (\d+), (\d+), (\d+)\n)re");
    std::vector<std::smatch> found;
    for (auto it = std::sregex_iterator(script.begin(), script.end(), control);
         it != std::sregex_iterator(); ++it)
    {
        found.push_back(*it);
    }
    ASSERT_EQ(static_cast<int>(found.size()), t.controlCount);
    for (int i = 0; i < t.controlCount; ++i)
    {
        const DialogControl& c = t.controls[i];
        const std::smatch& s = found[static_cast<std::size_t>(i)];
        SCOPED_TRACE("control " + std::to_string(i));
        EXPECT_EQ(std::stoi(s[4]), c.id);
        EXPECT_EQ(Lower(s[5]), Lower(Utf8(c.className)));
        if (s[3].matched)
        {
            EXPECT_EQ(std::stoi(s[3]), c.bitmapId);
        }
        else
        {
            EXPECT_EQ(s[2], Utf8(c.text));
            EXPECT_EQ(c.bitmapId, 0);
        }
        EXPECT_EQ(Style(s[6]), c.style);
        EXPECT_EQ(std::stoi(s[7]), c.x);
        EXPECT_EQ(std::stoi(s[8]), c.y);
        EXPECT_EQ(std::stoi(s[9]), c.cx);
        EXPECT_EQ(std::stoi(s[10]), c.cy);
    }
}
