// PNG files straight into GL textures: reads the file with libpng and
// creates, fills and binds one texture object in a single call. Rows are
// uploaded as stored, top row first. The decode itself (DecodePng) needs no
// GL and reads from memory; pngBind needs a current GL context.
#pragma once

#include "platform/GL.h"

#include <cstddef>
#include <string>
#include <vector>

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

// Pictures with more pixels than this are refused before decoding.
constexpr long long kMaxPngPixels = 1LL << 26;

// A decoded PNG: 8 bits a channel, R, G, B (and A when alpha), top row first,
// rows tightly packed; width and height as decoded, which is the file's own
// size unless it was halved.
struct PngPixels
{
    unsigned int width = 0;
    unsigned int height = 0;
    unsigned int fileWidth = 0;
    unsigned int fileHeight = 0;
    bool alpha = false;
    std::vector<unsigned char> pixels;
};

// Decodes a whole PNG file held in memory, whatever its colour type, bit
// depth or interlacing; a transparent colour (tRNS) counts as alpha.
// keepAlpha false drops any alpha, the colour kept as stored. Refuses a file
// of more than maxPixels pixels, or a decoded side above maxSide (0: no side
// limit), before decoding. halvings > 0 halves both sides that many times
// (rounding up, each pixel the average of the ones it covers) while reading,
// so the picture is never held at full size unless it is interlaced. On
// failure out is empty and why, when given, says what was wrong in a few
// lower-case words.
bool DecodePng(const unsigned char* data, std::size_t size, PngPixels& out, std::string* why,
               bool keepAlpha = true, long long maxPixels = kMaxPngPixels, unsigned int maxSide = 0,
               int halvings = 0);

// The same from a file, read as a stream.
bool DecodePngFile(const char* path, PngPixels& out, std::string* why, bool keepAlpha = true,
                   long long maxPixels = kMaxPngPixels, unsigned int maxSide = 0, int halvings = 0);

// The file's size in pixels from its header alone.
bool ReadPngSize(const char* path, unsigned int& width, unsigned int& height, std::string* why);

// Creates a texture from the file and leaves it bound to GL_TEXTURE_2D.
// Returns its name, or 0 on any failure (missing, damaged or oversized file,
// unknown mode), with no message. info may be null.
GLuint pngBind(const char* filename, int mipmap, int trans, pngInfo* info, int wrapst,
               int minfilter, int magfilter);
// The same with the picture halved that many times on the way in (info then
// tells the uploaded size), and why it failed when it did.
GLuint pngBindHalved(const char* filename, int mipmap, int trans, pngInfo* info, int wrapst,
                     int minfilter, int magfilter, int halvings, std::string* why);

} // namespace platform
