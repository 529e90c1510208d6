// A JPEG picture made ready for upload without any GL call, so that it can be
// made on any thread: decoded, sized to its power-of-two texture, stretched,
// black keyed out, bottom row first, 4 bytes a pixel. Also the pieces of that
// pipeline (sizing, stretching, keying). Depends on platform/JpegDecoder.h.
#pragma once

#include "platform/JpegDecoder.h"

#include <cstddef>
#include <memory>
#include <string>

namespace MivexGL
{

class cPreparedPicture
{
public:
    enum Status
    {
        // Nothing prepared yet.
        kEmpty,
        // The file is missing or not a JPEG picture at all.
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

    // Opens fullPath and prepares it for a GL_MAX_TEXTURE_SIZE of maxSize.
    Status Prepare(const std::string& fullPath, int maxSize);
    // The same for a decoder that has already opened fullPath. Both keep the
    // pixel memory of an earlier picture when it is large enough.
    Status Prepare(platform::JpegDecoder& decoder, const std::string& fullPath, int maxSize);
    // Back to empty, the pixel memory released.
    void Clear();

    Status GetStatus() const { return status; }
    const std::string& GetPath() const { return path; }
    int GetMaxSize() const { return maxSize; }
    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    // width x height RGBA pixels, texture row 0 (the picture's bottom) first.
    const unsigned char* GetPixels() const { return pixels.get(); }

private:
    // Back to empty, the pixel memory kept.
    void Reset();

    Status status;
    std::string path;
    int maxSize;
    int width;
    int height;
    std::unique_ptr<unsigned char[]> pixels;
    std::size_t capacity;
};

// Texture side for a picture side: the nearest power of two on a log scale,
// or maxSize when the picture is larger than that.
int TextureSizeFor(int pixels, int maxSize);

// Stretches a tightly packed RGB picture to another size: area averaging
// along an axis that shrinks, bilinear along one that grows, an axis that
// keeps its size copied as it is.
void StretchPicture(const unsigned char* src, int srcWidth, int srcHeight, unsigned char* dst,
                    int dstWidth, int dstHeight);

// RGB to RGBA with pure black transparent and everything else opaque.
void KeyBlack(const unsigned char* rgb, std::size_t pixelCount, unsigned char* rgba);

// The same key on RGBA pixels in place: the fourth byte from the other three.
void KeyBlackInPlace(unsigned char* rgba, std::size_t pixelCount);

} // namespace MivexGL
