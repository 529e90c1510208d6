// The decode size every back end's halving decoders pick: the smallest that
// still covers what the caller needs, never below one pixel.
#include "platform/PictureDecoder.h"

#include <gtest/gtest.h>

namespace
{

using platform::PictureDecoder;

TEST(PictureHalving, TheMostHalvingsThatStillCoverTheSizeAskedFor)
{
    // 1000 x 600 for 250 x 150: exactly two halvings (250 x 150).
    EXPECT_EQ(PictureDecoder::HalvingsCovering(1000, 600, 250, 150), 2);
    // One pixel more on either side and only one halving still covers it.
    EXPECT_EQ(PictureDecoder::HalvingsCovering(1000, 600, 251, 150), 1);
    EXPECT_EQ(PictureDecoder::HalvingsCovering(1000, 600, 250, 151), 1);
    // Odd sides round up: 1001 halved twice is 251.
    EXPECT_EQ(PictureDecoder::HalvedSide(1001, 2), 251);
    EXPECT_EQ(PictureDecoder::HalvingsCovering(1001, 600, 251, 150), 2);
    // Asked for more than there is: full size.
    EXPECT_EQ(PictureDecoder::HalvingsCovering(64, 64, 128, 128), 0);
}

TEST(PictureHalving, NothingGoesBelowOnePixel)
{
    const int halvings = PictureDecoder::HalvingsCovering(1024, 4, 0, 0);
    EXPECT_EQ(halvings, 10);
    EXPECT_EQ(PictureDecoder::HalvedSide(1024, halvings), 1);
    EXPECT_EQ(PictureDecoder::HalvedSide(4, halvings), 1);
    EXPECT_EQ(PictureDecoder::HalvingsCovering(1, 1, 0, 0), 0);
}

} // namespace
