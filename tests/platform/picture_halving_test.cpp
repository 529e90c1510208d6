// The decode size every back end's halving decoders pick: the smallest that
// still covers what the caller needs, never below one pixel; and the box
// averages they halve by.
#include "platform/BoxAverage.h"
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

TEST(PictureHalving, BoxesAverageRoundedAndCutShortAtTheEdges)
{
    // 3 x 3, one channel, halved once: boxes of 4, 2, 2 and 1 pixels.
    const unsigned char rows[3][3] = {{0, 1, 10}, {2, 4, 20}, {100, 101, 7}};
    platform::BoxAverage box;
    box.Start(1, 3, 3, 1);
    ASSERT_EQ(box.OutputWidth(), 2u);
    unsigned char out[2][2] = {};
    EXPECT_FALSE(box.Add(rows[0]));
    ASSERT_TRUE(box.Add(rows[1]));
    box.Emit(out[0]);
    // The last row alone completes the cut-short bottom band.
    ASSERT_TRUE(box.Add(rows[2]));
    box.Emit(out[1]);
    EXPECT_EQ(box.RowsDone(), 2u);
    // (0 + 1 + 2 + 4) / 4 = 1.75 rounds to 2; (10 + 20) / 2 = 15.
    EXPECT_EQ(out[0][0], 2);
    EXPECT_EQ(out[0][1], 15);
    // (100 + 101) / 2 = 100.5 rounds up; 7 alone.
    EXPECT_EQ(out[1][0], 101);
    EXPECT_EQ(out[1][1], 7);
}

} // namespace
