// Picture files to pixels: the one seam between the texture loader and each
// platform's decoders. A decoder reads the header first (stored size, the
// size on a 96 pixels-per-inch display from the recorded density, whether
// the file carries alpha), then decodes at the smallest reduced size its
// format offers that still covers what the caller needs, a few rows at a
// time into memory the caller owns. Every decoder delivers R, G, B, A
// (A 255 where the file has none), top row first. Which decoder a file goes
// to is platform/PictureFormat.h's table. Depends on nothing; each back end
// implements CreatePictureLoader and CreatePngReader.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace platform
{

class PictureDecoder
{
public:
    // This back end's decoders; never null: the system's picture loader
    // (JPEG at least), and its PNG reader.
    static std::unique_ptr<PictureDecoder> CreatePictureLoader();
    static std::unique_ptr<PictureDecoder> CreatePngReader();

    virtual ~PictureDecoder() = default;

    // Reads the header; false for a missing, unknown, damaged or oversized
    // file, with the reason in GetError.
    virtual bool Open(const std::string& path) = 0;
    virtual void Close() = 0;
    // Why the last Open or decode failed, in a few lower-case words.
    virtual const std::string& GetError() const = 0;

    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    // The stored size when the file records no usable density.
    virtual int GetDisplayWidth() const = 0;
    virtual int GetDisplayHeight() const = 0;
    virtual bool HasAlpha() const = 0;

    // Starts decoding at the smallest size the format decodes to directly
    // (an n/8 DCT scale, a number of halvings) that is still at least
    // minWidth x minHeight, or at full size; says the size chosen.
    virtual bool StartDecode(int minWidth, int minHeight, int& outWidth, int& outHeight) = 0;
    // Up to maxRows further rows of 4 bytes a pixel to first + k * stride
    // (stride may be negative). Returns how many (at least 1), 0 once every
    // row has been read, -1 on damaged data; closed after 0 or -1.
    virtual int ReadSomeRows(unsigned char* first, std::ptrdiff_t stride, int maxRows) = 0;

    // A side halved that many times, rounding up.
    static int HalvedSide(int side, int halvings);
    // The most times a width x height picture can be halved while still at
    // least minWidth x minHeight (and not below 1 x 1): the size a decoder
    // that reduces by halving decodes at.
    static int HalvingsCovering(int width, int height, int minWidth, int minHeight);

protected:
    PictureDecoder() = default;
    PictureDecoder(const PictureDecoder&) = delete;
    PictureDecoder& operator=(const PictureDecoder&) = delete;
};

} // namespace platform
