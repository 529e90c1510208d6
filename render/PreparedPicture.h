// A picture made ready for upload without any GL call, so that it can be
// made on any thread, 4 bytes a pixel, halved to fit a memory allowance.
// The file's format (platform/PictureFormat.h) says how: the picture
// loader's files are sized to a power-of-two texture from their size on the
// display, stretched, black keyed out, bottom row first; files kept as
// stored (PNG) keep their own size and alpha, top row first. Also the pieces
// of that pipeline (sizing, halving); stretching and keying are the
// resampler's (render/Resampler.h). Depends on platform/PictureFormat.h
// only, whatever decodes underneath.
#pragma once

#include "platform/PictureFormat.h"
#include "render/Resampler.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace MivexGL
{

// Texture memory one picture may take at most: 8192 x 4096 texels, what a
// large photograph at a low recorded density asks for, and little enough
// that a picture being uploaded beside a full texture budget (see
// cResources) stays affordable. A set of pictures may allow each less.
constexpr long long kMaxPictureBytes = 1LL << 27;
// Every texture is counted at 4 bytes a texel, as the GL keeps RGB too.
constexpr int kTexelBytes = 4;

class cPreparedPicture
{
public:
    enum Status
    {
        // Nothing prepared yet.
        kEmpty,
        // The file is missing or not a picture of its kind at all.
        kUnreadable,
        // The header read, the picture did not (damaged, absurd size).
        kFailed,
        kReady
    };

    cPreparedPicture();
    cPreparedPicture(cPreparedPicture&&) noexcept = default;
    cPreparedPicture& operator=(cPreparedPicture&&) noexcept = default;
    cPreparedPicture(const cPreparedPicture&) = delete;
    cPreparedPicture& operator=(const cPreparedPicture&) = delete;

    // Opens fullPath with that format's decoder and prepares it for a
    // GL_MAX_TEXTURE_SIZE of maxSize; a texture of more than maxBytes is
    // halved on both sides until it fits.
    Status Prepare(const platform::PictureFormat& format, const std::string& fullPath, int maxSize,
                   long long maxBytes);
    // The same with the format fullPath's name picks.
    Status Prepare(const std::string& fullPath, int maxSize, long long maxBytes = kMaxPictureBytes);
    // The allowance for a picture of a natural texture size, 0 x 0 when the
    // file did not open.
    using AllowanceFor = std::function<long long(int naturalWidth, int naturalHeight)>;
    // The same, the allowance asked for once the file has opened, before it
    // is decoded: whoever works it out needs the size, and opening may be
    // the whole decode.
    Status Prepare(const platform::PictureFormat& format, const std::string& fullPath, int maxSize,
                   const AllowanceFor& allowanceFor);
    // The same for a decoder of that format (of the format the name picks
    // when not given) that has already opened fullPath. All keep the pixel
    // memory of an earlier picture when it is large enough.
    Status Prepare(const platform::PictureFormat& format, platform::PictureDecoder& decoder,
                   const std::string& fullPath, int maxSize, long long maxBytes = kMaxPictureBytes);
    Status Prepare(platform::PictureDecoder& decoder, const std::string& fullPath, int maxSize,
                   long long maxBytes = kMaxPictureBytes);
    // The texture size an opened file of that format gets before any halving.
    static void NaturalSize(const platform::PictureFormat& format,
                            const platform::PictureDecoder& decoder, int maxSize, int& width,
                            int& height);
    // Back to empty, the pixel memory released.
    void Clear();

    Status GetStatus() const { return status; }
    const platform::PictureFormat& GetFormat() const { return *format; }
    // Whether the file's own alpha is in the pixels (a PNG's), rather than
    // the black key or none.
    bool HasOwnAlpha() const { return ownAlpha; }
    const std::string& GetPath() const { return path; }
    int GetMaxSize() const { return maxSize; }
    long long GetMaxBytes() const { return maxBytes; }
    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    // The texture size before any halving to fit maxBytes; 0 when the header
    // did not read.
    int GetNaturalWidth() const { return naturalWidth; }
    int GetNaturalHeight() const { return naturalHeight; }
    // Why the picture is not ready, in a few lower-case words.
    const std::string& GetReason() const { return reason; }
    // width x height RGBA pixels, texture row 0 first: the picture's bottom
    // row for the picture loader, a PNG's top row.
    const unsigned char* GetPixels() const { return pixels.get(); }
    // Whether texture row 0 is the picture's top row (a PNG's order).
    bool TopRowFirst() const { return topRowFirst; }
    // Turns a ready picture upside down: its rows in the other order.
    void FlipRows();

private:
    // Back to empty, the pixel memory kept.
    void Reset();

    Status status;
    const platform::PictureFormat* format;
    bool ownAlpha;
    bool topRowFirst;
    std::string path;
    int maxSize;
    long long maxBytes;
    int width;
    int height;
    int naturalWidth;
    int naturalHeight;
    std::string reason;
    std::unique_ptr<unsigned char[]> pixels;
    std::size_t capacity;
};

// Texture side for a picture side: the nearest power of two on a log scale,
// or maxSize when the picture is larger than that.
int TextureSizeFor(int pixels, int maxSize);

// How many times both sides of a width x height texture must be halved
// (rounding up) before it takes at most maxBytes; a 1 x 1 texture is
// never halved further.
int HalvingsToFit(long long width, long long height, long long maxBytes);

// A side halved that many times, rounding up.
int HalvedSide(int side, int halvings);

} // namespace MivexGL
