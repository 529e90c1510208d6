// Draws captions into a canvas with FreeType from one TrueType file (the
// font the demo ships), antialiased, left-aligned at a baseline.
#pragma once

#include "Canvas.h"

#include <string>

typedef struct FT_LibraryRec_* FT_Library;
typedef struct FT_FaceRec_* FT_Face;

namespace datagen
{

class cTextRenderer
{
public:
    cTextRenderer() = default;
    ~cTextRenderer();
    cTextRenderer(const cTextRenderer&) = delete;
    cTextRenderer& operator=(const cTextRenderer&) = delete;

    bool Open(const std::string& fontFile);
    // Pen advance of the text in pixels at the given pixel height.
    int Measure(const std::string& text, int pixelHeight);
    void Draw(cCanvas& canvas, const std::string& text, int x, int baseline, int pixelHeight,
              const Rgb& colour, float opacity);

private:
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

} // namespace datagen
