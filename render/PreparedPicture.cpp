// The picture pipeline in front of the upload, for every decoder: sizing,
// halving to an allowance, and the rows of the decoder through the resampler
// (render/Resampler.h) into memory kept from one picture to the next.
#include "render/PreparedPicture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace MivexGL
{

int TextureSizeFor(int pixels, int maxSize)
{
    if (pixels <= 0)
    {
        return 1;
    }
    if (pixels > maxSize)
    {
        return maxSize;
    }
    // ln 2 in single precision and the quotient in double: 724 gives 512, 725 gives 1024.
    const float ln2 = std::log(2.0f);
    const double exponent = std::floor(std::log(static_cast<double>(pixels)) / ln2 + 0.5);
    const int size = 1 << static_cast<int>(exponent);
    return std::min(size, maxSize);
}

int HalvingsToFit(long long width, long long height, long long maxBytes)
{
    int halvings = 0;
    while ((width > 1 || height > 1) && width * height * kTexelBytes > maxBytes)
    {
        width = (width + 1) / 2;
        height = (height + 1) / 2;
        ++halvings;
    }
    return halvings;
}

int HalvedSide(int side, int halvings)
{
    const long long step = (1LL << std::min(halvings, 31)) - 1;
    return static_cast<int>((side + step) >> std::min(halvings, 31));
}

cPreparedPicture::cPreparedPicture()
    : status(kEmpty), format(&platform::PictureFormat::PictureLoader()), ownAlpha(false),
      topRowFirst(false), maxSize(0), maxBytes(0), width(0), height(0), naturalWidth(0),
      naturalHeight(0), capacity(0)
{
}

void cPreparedPicture::FlipRows()
{
    if (status != kReady)
    {
        return;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * kTexelBytes;
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
    {
        std::swap_ranges(&pixels[top * rowBytes], &pixels[top * rowBytes] + rowBytes,
                         &pixels[bottom * rowBytes]);
    }
    topRowFirst = !topRowFirst;
}

void cPreparedPicture::Clear()
{
    Reset();
    pixels.reset();
    capacity = 0;
}

void cPreparedPicture::Reset()
{
    status = kEmpty;
    format = &platform::PictureFormat::PictureLoader();
    ownAlpha = false;
    topRowFirst = false;
    path.clear();
    reason.clear();
    maxSize = width = height = naturalWidth = naturalHeight = 0;
    maxBytes = 0;
}

cPreparedPicture::Status cPreparedPicture::Prepare(const std::string& fullPath, int maxTextureSize,
                                                   long long maxTextureBytes)
{
    return Prepare(platform::PictureFormat::For(fullPath), fullPath, maxTextureSize,
                   maxTextureBytes);
}

cPreparedPicture::Status cPreparedPicture::Prepare(const platform::PictureFormat& fileFormat,
                                                   const std::string& fullPath, int maxTextureSize,
                                                   long long maxTextureBytes)
{
    return Prepare(fileFormat, fullPath, maxTextureSize,
                   [maxTextureBytes](int, int) { return maxTextureBytes; });
}

cPreparedPicture::Status cPreparedPicture::Prepare(const platform::PictureFormat& fileFormat,
                                                   const std::string& fullPath, int maxTextureSize,
                                                   const AllowanceFor& allowanceFor)
{
    const std::unique_ptr<platform::PictureDecoder> decoder = fileFormat.create();
    if (!decoder->Open(fullPath))
    {
        std::string name = fullPath;
        const long long allowance = allowanceFor(0, 0);
        Reset();
        format = &fileFormat;
        path = std::move(name);
        maxSize = maxTextureSize;
        maxBytes = allowance;
        reason = decoder->GetError();
        status = kUnreadable;
        return status;
    }
    int w = 0;
    int h = 0;
    NaturalSize(fileFormat, *decoder, maxTextureSize, w, h);
    return Prepare(fileFormat, *decoder, fullPath, maxTextureSize, allowanceFor(w, h));
}

cPreparedPicture::Status cPreparedPicture::Prepare(platform::PictureDecoder& decoder,
                                                   const std::string& fullPath, int maxTextureSize,
                                                   long long maxTextureBytes)
{
    return Prepare(platform::PictureFormat::For(fullPath), decoder, fullPath, maxTextureSize,
                   maxTextureBytes);
}

void cPreparedPicture::NaturalSize(const platform::PictureFormat& fileFormat,
                                   const platform::PictureDecoder& decoder, int maxTextureSize,
                                   int& width, int& height)
{
    if (fileFormat.sizing == platform::PictureFormat::kAsStored)
    {
        width = decoder.GetWidth();
        height = decoder.GetHeight();
        return;
    }
    width = TextureSizeFor(decoder.GetDisplayWidth(), maxTextureSize);
    height = TextureSizeFor(decoder.GetDisplayHeight(), maxTextureSize);
}

cPreparedPicture::Status cPreparedPicture::Prepare(const platform::PictureFormat& fileFormat,
                                                   platform::PictureDecoder& decoder,
                                                   const std::string& fullPath, int maxTextureSize,
                                                   long long maxTextureBytes)
{
    // fullPath may be our own path: made again for another limit.
    std::string name = fullPath;
    Reset();
    format = &fileFormat;
    path = std::move(name);
    maxSize = maxTextureSize;
    maxBytes = maxTextureBytes;
    status = kFailed;
    if (maxTextureSize <= 0)
    {
        reason = "no texture size limit";
        return status;
    }
    const bool asStored = fileFormat.sizing == platform::PictureFormat::kAsStored;
    NaturalSize(fileFormat, decoder, maxTextureSize, naturalWidth, naturalHeight);
    const int halvings = HalvingsToFit(naturalWidth, naturalHeight, maxTextureBytes);
    const int w = HalvedSide(naturalWidth, halvings);
    const int h = HalvedSide(naturalHeight, halvings);
    if (w > maxTextureSize || h > maxTextureSize)
    {
        reason = "picture too large";
        return status;
    }
    int pictureWidth = 0;
    int pictureHeight = 0;
    if (!decoder.StartDecode(w, h, pictureWidth, pictureHeight))
    {
        reason = decoder.GetError();
        return status;
    }

    const std::size_t rowBytes = static_cast<std::size_t>(w) * 4;
    const std::size_t bytes = rowBytes * static_cast<std::size_t>(h);
    // A buffer left from an earlier picture is used again: no fresh pages.
    if (capacity < bytes)
    {
        pixels.reset();
        pixels.reset(new unsigned char[bytes]);
        capacity = bytes;
    }
    // The picture loader's texture row 0 is the picture's bottom row: written
    // upwards from the end. A picture kept as stored goes up top row first,
    // with its own alpha.
    unsigned char* const first =
        asStored ? pixels.get() : pixels.get() + rowBytes * static_cast<std::size_t>(h - 1);
    const std::ptrdiff_t stride =
        asStored ? static_cast<std::ptrdiff_t>(rowBytes) : -static_cast<std::ptrdiff_t>(rowBytes);
    if (!DecodeStretched(decoder, pictureWidth, pictureHeight, first, stride, w, h, !asStored))
    {
        reason = decoder.GetError();
        return status;
    }
    ownAlpha = asStored && decoder.HasAlpha();
    topRowFirst = asStored;
    width = w;
    height = h;
    status = kReady;
    return status;
}

} // namespace MivexGL
