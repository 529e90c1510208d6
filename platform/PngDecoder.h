// PNG files to pixels: DecodePng and DecodePngFile read a whole file with
// libpng, whatever its colour type, bit depth or interlacing, halving it on
// the way in when asked; PngDecoder is the PNG reader behind
// platform/PictureDecoder.h on this platform. No GL.
#pragma once

#include "platform/PictureDecoder.h"

#include <cstddef>
#include <string>
#include <vector>

namespace platform
{

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

// The PNG reader for the texture loader: the header first (size, and
// whether the file carries alpha, a transparent colour included), then the
// picture halved as many times as still covers the size asked for, decoded
// whole and handed out a few rows at a time as R, G, B, A.
class PngDecoder : public PictureDecoder
{
public:
    PngDecoder();
    ~PngDecoder() override;

    // False also for a file of more than kMaxPngPixels pixels.
    bool Open(const std::string& path) override;
    void Close() override;
    const std::string& GetError() const override { return error; }
    int GetWidth() const override { return width; }
    int GetHeight() const override { return height; }
    // A PNG's recorded density plays no part: its size is its own.
    int GetDisplayWidth() const override { return width; }
    int GetDisplayHeight() const override { return height; }
    bool HasAlpha() const override { return alpha; }
    bool StartDecode(int minWidth, int minHeight, int& outWidth, int& outHeight) override;
    int ReadSomeRows(unsigned char* first, std::ptrdiff_t stride, int maxRows) override;

private:
    std::string path;
    std::string error;
    int width;
    int height;
    bool alpha;
    bool started;
    PngPixels decoded;
    unsigned int next;
};

} // namespace platform
