// RandomRange over the runtime's rand: its bound, its step and its empty range.
#include "render/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace
{

using MivexGL::RandomRange;

TEST(RandomRange, NeverExceedsLowPlus327_67EvenOverAWiderRange)
{
    double highest = 0.0;
    for (int i = 0; i < 200000; ++i)
    {
        const double v = RandomRange(0.0, 360.0);
        ASSERT_GE(v, 0.0);
        ASSERT_LE(v, 327.67 + 1e-9);
        highest = std::max(highest, v);
    }
    // The draws do reach near the top of what the arithmetic allows.
    EXPECT_GT(highest, 320.0);

    for (int i = 0; i < 20000; ++i)
    {
        const double v = RandomRange(-5.0, 1.0e7);
        ASSERT_GE(v, -5.0);
        ASSERT_LE(v, -5.0 + 327.67 + 1e-9);
    }
}

TEST(RandomRange, StaysInsideANarrowRangeOnAThousandthGrid)
{
    for (int i = 0; i < 20000; ++i)
    {
        const double v = RandomRange(-0.1, 0.1);
        ASSERT_GE(v, -0.1);
        ASSERT_LT(v, 0.1);
        const double steps = (v + 0.1) * 1000.0;
        ASSERT_NEAR(steps, std::round(steps), 1e-6);
    }
}

TEST(RandomRange, EmptyOrTinyRangeReturnsLow)
{
    EXPECT_EQ(RandomRange(0.5, 0.5), 0.5);
    EXPECT_EQ(RandomRange(2.0, 2.0005), 2.0);
    EXPECT_EQ(RandomRange(-7.25, -7.25), -7.25);
}

TEST(RandomRange, UnseededSequenceRepeatsAfterReseedingWithOne)
{
    // rand without srand behaves as srand(1), so runs repeat exactly.
    std::srand(1);
    double first[8];
    for (double& v : first)
    {
        v = RandomRange(0.0, 100.0);
    }
    std::srand(1);
    for (double v : first)
    {
        EXPECT_EQ(RandomRange(0.0, 100.0), v);
    }
}

} // namespace
