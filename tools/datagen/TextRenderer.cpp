// FreeType caption drawing for the generated pictures.
#include "TextRenderer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

namespace datagen
{

cTextRenderer::~cTextRenderer()
{
    if (face)
    {
        FT_Done_Face(face);
    }
    if (library)
    {
        FT_Done_FreeType(library);
    }
}

bool cTextRenderer::Open(const std::string& fontFile)
{
    if (FT_Init_FreeType(&library) != 0)
    {
        library = nullptr;
        return false;
    }
    if (FT_New_Face(library, fontFile.c_str(), 0, &face) != 0)
    {
        face = nullptr;
        return false;
    }
    return true;
}

int cTextRenderer::Measure(const std::string& text, int pixelHeight)
{
    if (!face)
    {
        return 0;
    }
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelHeight));
    long pen = 0;
    for (unsigned char ch : text)
    {
        if (FT_Load_Char(face, ch, FT_LOAD_DEFAULT) == 0)
        {
            pen += face->glyph->advance.x;
        }
    }
    return static_cast<int>(pen >> 6);
}

void cTextRenderer::Draw(cCanvas& canvas, const std::string& text, int x, int baseline,
                         int pixelHeight, const Rgb& colour, float opacity)
{
    if (!face)
    {
        return;
    }
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelHeight));
    long pen = static_cast<long>(x) << 6;
    for (unsigned char ch : text)
    {
        if (FT_Load_Char(face, ch, FT_LOAD_RENDER) != 0)
        {
            continue;
        }
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        const int left = static_cast<int>(pen >> 6) + slot->bitmap_left;
        const int top = baseline - slot->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; ++row)
        {
            const unsigned char* line = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
            for (unsigned col = 0; col < bitmap.width; ++col)
            {
                const float coverage = line[col] / 255.0f;
                if (coverage > 0.0f)
                {
                    canvas.Blend(left + static_cast<int>(col), top + static_cast<int>(row), colour,
                                 coverage * opacity);
                }
            }
        }
        pen += slot->advance.x;
    }
}

} // namespace datagen
