// What every back end's decoders share: the sizing of a decode by halving.
#include "platform/PictureDecoder.h"

namespace platform
{

int PictureDecoder::HalvedSide(int side, int halvings)
{
    return static_cast<int>((static_cast<long long>(side) + (1LL << halvings) - 1) >> halvings);
}

int PictureDecoder::HalvingsCovering(int width, int height, int minWidth, int minHeight)
{
    int halvings = 0;
    while (halvings < 30 && HalvedSide(width, halvings + 1) >= minWidth &&
           HalvedSide(height, halvings + 1) >= minHeight &&
           (HalvedSide(width, halvings) > 1 || HalvedSide(height, halvings) > 1))
    {
        ++halvings;
    }
    return halvings;
}

} // namespace platform
