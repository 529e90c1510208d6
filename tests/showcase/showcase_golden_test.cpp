// The showcase at a few chosen moments, each reached as a run started there
// reaches it (the updates of a 60 frames per second run replayed, then one
// frame drawn), against small reference pictures kept beside this file. The
// tolerance is what the software renderer holds between runs and builds: a
// mean error of a few levels and a small share of pixels further out, so a
// family that stops drawing, draws in the wrong place or leaks state into
// the next one shows, and rounding does not.
//
// MIVEX_SHOWCASE_GOLDEN=write writes the references instead of checking.
#include "ShowcaseHarness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace showcasetest;

namespace
{

constexpr double kMeanLimit = 4.0;
constexpr int kOutlierLimit = 40;
constexpr double kOutlierShareLimit = 0.03;

std::string Reference(std::int32_t ms)
{
    return std::string(MIVEX_SOURCE_DIR) + "/tests/showcase/golden/showcase_" + std::to_string(ms) +
           ".png";
}

Thumbnail RenderAt(std::int32_t ms)
{
    testsupport::ScriptedClock clock;
    ScriptedShowcase app(clock);
    app.SetStartAt(ms);
    EXPECT_EQ(RunShowcase(app), 0);
    EXPECT_EQ(app.frames.size(), 1u);
    if (app.frames.empty())
    {
        return Thumbnail();
    }
    EXPECT_EQ(app.elapsed.front(), ms);
    if (const char* full = std::getenv("MIVEX_SHOWCASE_FULL"))
    {
        WritePng(std::string(full) + "/showcase_" + std::to_string(ms) + ".png", app.lastFrame,
                 1024, 768);
    }
    return app.frames.front();
}

void CheckAt(std::int32_t ms)
{
    const Thumbnail frame = RenderAt(ms);
    const char* mode = std::getenv("MIVEX_SHOWCASE_GOLDEN");
    if (mode != nullptr && std::string(mode) == "write")
    {
        ASSERT_TRUE(WritePng(Reference(ms), frame));
        return;
    }
    Thumbnail expected;
    ASSERT_TRUE(ReadPng(Reference(ms), expected)) << Reference(ms);
    const Difference d = Compare(frame, expected, kOutlierLimit);
    EXPECT_LE(d.meanError, kMeanLimit) << "at " << ms << " ms";
    EXPECT_LE(d.outlierShare, kOutlierShareLimit) << "at " << ms << " ms";
}

} // namespace

// The plant in the pond under two lights, pollen and depth of field.
TEST(ShowcaseGolden, GardenAtEightSeconds)
{
    CheckAt(8000);
}

// The cut into the crystal, twirled by the distortion.
TEST(ShowcaseGolden, TwirlAtTheFirstCut)
{
    CheckAt(20300);
}

// The crystal refracting its cube of spectrum bars, under the radial blur.
TEST(ShowcaseGolden, CrystalAtHalfAMinute)
{
    CheckAt(30500);
}

// The credits over the spectrum floor, and the closing wipe.
TEST(ShowcaseGolden, CreditsAndClosingWipe)
{
    CheckAt(47000);
    CheckAt(59200);
}
