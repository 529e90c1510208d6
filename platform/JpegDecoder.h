// JPEG pictures for the texture loader, standing for the window system's
// picture object: reads, from a file or from memory, the header and the
// recorded density (so the picture's size on a 96 pixels-per-inch display is
// known before decoding), then decodes upright RGB (or RGB and a spare byte),
// scaled down in the DCT when the caller needs far fewer pixels, whole or a
// few rows at a time into memory the caller owns. Built on libjpeg-turbo with
// our own error handling: it never prints and never ends the process, keeps a
// short reason for a failure, and caps what the library may allocate. One
// decoder per thread. The picture loader's decoder behind
// platform/PictureDecoder.h on this platform.
#pragma once

#include "platform/PictureDecoder.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace platform
{

// Pixels on a 96 pixels-per-inch display for a run of stored pixels at a
// recorded density (unit 1: per inch, unit 2: per centimetre), going through
// HIMETRIC units as the picture object does; the stored count when there is
// no usable density (unit 0 is a pure aspect ratio).
int DisplayPixels(int pixels, int densityUnit, int density);

class JpegDecoder : public PictureDecoder
{
public:
    // The most stored pixels a picture can have: the library refuses a side
    // over 65500. Any picture up to that size decodes in bounded memory when
    // sent in one interleaved scan, a few rows at a time at a DCT scale;
    // others keep all their coefficients and are refused past a cap.
    static constexpr long long kMaxPixels = 65500LL * 65500LL;

    JpegDecoder();
    ~JpegDecoder() override;

    // Reads the header; false for a missing, non-JPEG or damaged file, or
    // one whose decode would need more memory than we allow the library (a
    // progressive or multi-scan picture keeps all of its coefficients).
    bool Open(const std::string& path) override;
    // The same from a buffer, which the caller keeps alive and unchanged
    // until the decode ends or Close.
    bool OpenMemory(const unsigned char* data, std::size_t size);
    void Close() override;

    // Why the last Open or decode failed, in a few lower-case words; empty
    // while nothing has failed.
    const std::string& GetError() const override { return error; }

    int GetWidth() const override { return width; }
    int GetHeight() const override { return height; }
    int GetDisplayWidth() const override { return displayWidth; }
    int GetDisplayHeight() const override { return displayHeight; }
    bool HasAlpha() const override { return false; }

    // Decodes at the smallest DCT scale (n/8) whose result is still at least
    // minWidth x minHeight, or at full size. Rows are top first, 3 bytes per
    // pixel. False on damaged data (a truncated file included); Open again
    // before another decode.
    bool Decode(int minWidth, int minHeight, std::vector<unsigned char>& rgb, int& outWidth,
                int& outHeight);

    // The same decode in two steps, for callers that own the memory: picks
    // the scale and starts, so the output size is known; then writes row y at
    // first + y * stride (stride may be negative), pixelBytes 3 for R, G, B
    // or 4 for R, G, B, 255. Either step may fail on damaged data; the
    // decoder is closed after ReadRows whatever the result.
    bool StartDecode(int minWidth, int minHeight, int pixelBytes, int& outWidth, int& outHeight);
    // R, G, B, 255, as every picture decoder gives.
    bool StartDecode(int minWidth, int minHeight, int& outWidth, int& outHeight) override
    {
        return StartDecode(minWidth, minHeight, 4, outWidth, outHeight);
    }
    bool ReadRows(unsigned char* first, std::ptrdiff_t stride);
    // Or a few rows at a time, for callers that consume them as they come:
    // up to maxRows further rows to first + k * stride. Returns how many
    // (at least 1), 0 once every row has been read, -1 on damaged data; the
    // decoder is closed after 0 or -1.
    int ReadSomeRows(unsigned char* first, std::ptrdiff_t stride, int maxRows) override;

private:
    struct State;
    // Reads the header once the source is set up in state.
    bool ReadHeader();
    // Closes and keeps the reason; false, for returning.
    bool Fail(const std::string& reason);
    bool FailFromLibrary();

    std::unique_ptr<State> state;
    int width;
    int height;
    int displayWidth;
    int displayHeight;
    int outputBytes;
    std::string error;
};

} // namespace platform
