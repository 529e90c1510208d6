// The picture decoders of this platform: the picture loader's files through
// libjpeg-turbo (platform/JpegDecoder.h), PNG files through libpng
// (platform/PngDecoder.h).
#include "platform/PictureDecoder.h"

#include "platform/JpegDecoder.h"
#include "platform/PngDecoder.h"

namespace platform
{

std::unique_ptr<PictureDecoder> PictureDecoder::CreatePictureLoader()
{
    return std::unique_ptr<PictureDecoder>(new JpegDecoder);
}

std::unique_ptr<PictureDecoder> PictureDecoder::CreatePngReader()
{
    return std::unique_ptr<PictureDecoder>(new PngDecoder);
}

} // namespace platform
