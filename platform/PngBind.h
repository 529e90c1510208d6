// PNG files straight into GL textures: reads the file with libpng's simplified
// API and creates, fills and binds one texture object in a single call. Rows
// are uploaded as stored, top row first. Needs a current GL context.
#pragma once

#include "platform/GL.h"

namespace platform
{

// Mipmap modes.
constexpr int PNG_NOMIPMAP = 0;
constexpr int PNG_BUILDMIPMAPS = -1;
// Transparency modes.
constexpr int PNG_SOLID = -1;
constexpr int PNG_ALPHA = -2;

// What was read: size in pixels, bits per pixel as uploaded, and whether an
// alpha channel went with it.
struct pngInfo
{
    unsigned int Width;
    unsigned int Height;
    unsigned int Depth;
    unsigned int Alpha;
};

// Creates a texture from the file and leaves it bound to GL_TEXTURE_2D.
// Returns its name, or 0 on any failure (missing, damaged or oversized file,
// unknown mode), with no message. info may be null.
GLuint pngBind(const char* filename, int mipmap, int trans, pngInfo* info, int wrapst,
               int minfilter, int magfilter);

} // namespace platform
