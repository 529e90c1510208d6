// Glyph display lists: a GDI font selected into the screen's device
// context, turned into lists by WGL's font calls; text drawn by calling them.
#include "render/FontSystem.h"

#include "log/ProblemLog.h"
#include "platform/Display.h"
#include "platform/GLProc.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace MivexGL
{

namespace
{

// GL calls need a current context; without one (process exit) they are skipped.
bool HaveContext()
{
    return platform::CurrentGLVersion() != 0;
}

} // namespace

cFontSystem::cFontSystem()
    : glyphMetrics(), bitmapBase(0), outlineBase(0), hDC(nullptr), hWnd(nullptr)
{
    position.Set(0.0f, 0.0f, 0.0f);
    hDC = platform::GetDC(hWnd);
}

cFontSystem::~cFontSystem()
{
    DeleteLists();
}

void cFontSystem::DeleteLists()
{
    if (!HaveContext())
    {
        return;
    }
    if (bitmapBase != 0)
    {
        glDeleteLists(bitmapBase, kBitmapCount);
        bitmapBase = 0;
    }
    if (outlineBase != 0)
    {
        glDeleteLists(outlineBase, kOutlineLists);
        outlineBase = 0;
    }
}

void cFontSystem::AddPrivateFont(const char16_t* fontFile)
{
    if (platform::AddFontResourceExW(fontFile, platform::FR_PRIVATE, nullptr) != 0 ||
        fontFile == nullptr)
    {
        return;
    }
    // Said once a file: every font made from it falls back the same way.
    static std::set<std::string> reported;
    const std::string name = platform::Utf16ToUtf8(fontFile);
    // No file named: the installed fonts are all that was asked for.
    if (name.empty() || !reported.insert(name).second)
    {
        return;
    }
    struct stat info;
    const bool exists = ::stat(platform::ResolvePath(name).c_str(), &info) == 0;
    cProblemLog::Instance().Reportf("font: %s: %s; the face comes from the installed fonts",
                                    name.c_str(),
                                    exists ? "not a usable font file" : "no such file");
}

platform::HFONT cFontSystem::MakeFont(const char16_t* faceName, int height)
{
    return platform::CreateFontW(height, 0, 0, 0, platform::FW_NORMAL, 0, 0, 0,
                                 platform::ANSI_CHARSET, platform::OUT_TT_PRECIS,
                                 platform::CLIP_DEFAULT_PRECIS, platform::ANTIALIASED_QUALITY,
                                 platform::DEFAULT_PITCH, faceName);
}

void cFontSystem::CreateBitmapFont(const char16_t* fontFile, const char16_t* faceName, int height)
{
    // An empty or missing file fails here and the face comes from the installed fonts.
    AddPrivateFont(fontFile);
    if (!HaveContext())
    {
        return;
    }
    // A second creation replaces the earlier lists instead of leaking them.
    if (bitmapBase != 0)
    {
        glDeleteLists(bitmapBase, kBitmapCount);
        bitmapBase = 0;
    }
    const GLuint base = glGenLists(kBitmapCount);
    if (base == 0)
    {
        return;
    }
    const platform::HFONT font = MakeFont(faceName, height);
    const platform::HGDIOBJ previous = platform::SelectObject(hDC, font);
    const platform::BOOL built =
        platform::wglUseFontBitmapsW(hDC, kBitmapFirst, kBitmapCount, base);
    platform::SelectObject(hDC, previous);
    platform::DeleteObject(font);
    if (!built)
    {
        glDeleteLists(base, kBitmapCount);
        return;
    }
    bitmapBase = base;
}

void cFontSystem::CreateOutlineFont(const char16_t* fontFile, const char16_t* faceName, int height)
{
    AddPrivateFont(fontFile);
    if (!HaveContext())
    {
        return;
    }
    if (outlineBase != 0)
    {
        glDeleteLists(outlineBase, kOutlineLists);
        outlineBase = 0;
    }
    std::memset(glyphMetrics, 0, sizeof(glyphMetrics));
    const GLuint base = glGenLists(kOutlineLists);
    if (base == 0)
    {
        return;
    }
    // Left selected and never deleted; a later creation selects its own over it.
    platform::SelectObject(hDC, MakeFont(faceName, height));
    // 255 of the 256 lists: the last stays empty, as glGenLists left it.
    if (!platform::wglUseFontOutlinesW(hDC, 0, kOutlineBuilt, base, 0.0f, kExtrusion,
                                       platform::WGL_FONT_POLYGONS, glyphMetrics))
    {
        std::memset(glyphMetrics, 0, sizeof(glyphMetrics));
        glDeleteLists(base, kOutlineLists);
        return;
    }
    outlineBase = base;
}

void cFontSystem::PrintBitmap(float x, float y, const char* text) const
{
    if (bitmapBase == 0 || text == nullptr || !HaveContext())
    {
        return;
    }
    // Other codes would reach past the 96 lists into someone else's.
    std::vector<GLubyte> offsets;
    for (const char* p = text; *p != 0; ++p)
    {
        const int c = static_cast<unsigned char>(*p);
        if (c >= kBitmapFirst && c < kBitmapFirst + kBitmapCount)
        {
            offsets.push_back(static_cast<GLubyte>(c - kBitmapFirst));
        }
    }
    if (offsets.empty())
    {
        return;
    }
    glPushAttrib(GL_LIST_BIT | GL_CURRENT_BIT | GL_ENABLE_BIT);
    // The raster colour is taken from the current colour, not lit or textured.
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glRasterPos2f(x, y);
    glListBase(bitmapBase);
    glCallLists(static_cast<GLsizei>(offsets.size()), GL_UNSIGNED_BYTE, offsets.data());
    glPopAttrib();
}

void cFontSystem::PrintOutline(const char* text) const
{
    if (outlineBase == 0 || text == nullptr || *text == 0 || !HaveContext())
    {
        return;
    }
    glPushAttrib(GL_LIST_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glListBase(outlineBase);
    glCallLists(static_cast<GLsizei>(std::strlen(text)), GL_UNSIGNED_BYTE, text);
    glPopMatrix();
    glPopAttrib();
}

float cFontSystem::GetOutlineWidth(const char* text) const
{
    float width = 0.0f;
    for (const char* p = text; p != nullptr && *p != 0; ++p)
    {
        width += glyphMetrics[static_cast<unsigned char>(*p)].gmfCellIncX;
    }
    return width;
}

} // namespace MivexGL
