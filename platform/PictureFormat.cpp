// The table of picture formats. A row's decoder is either portable (built
// once, in platform/) or the back end's own (PictureDecoder.h's
// CreatePictureLoader and CreatePngReader); a new row's decoder is declared
// here beside it.
#include "platform/PictureFormat.h"

#include <iterator>

namespace platform
{

namespace
{

// The picture loader's row last: it takes every name the others do not.
const PictureFormat kFormats[] = {
    {"png", ".png", PictureFormat::kAsStored, &PictureDecoder::CreatePngReader},
    {"picture", nullptr, PictureFormat::kPowerOfTwoOnDisplay, &PictureDecoder::CreatePictureLoader},
};

} // namespace

const PictureFormat& PictureFormat::For(const std::string& path)
{
    for (const PictureFormat& format : kFormats)
    {
        if (format.mark == nullptr || path.find(format.mark) != std::string::npos)
        {
            return format;
        }
    }
    return PictureLoader();
}

const PictureFormat& PictureFormat::PictureLoader()
{
    return kFormats[std::size(kFormats) - 1];
}

} // namespace platform
