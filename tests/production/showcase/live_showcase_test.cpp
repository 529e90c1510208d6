// The showcase under live reload draws what a plain run draws: in the garden,
// where the present program's four variants and the eight-tap radial blur
// each build from a text of their own, a --dev run's frame (texts written
// out, then read back in a second run) is the plain run's frame. And only
// the programs the showcase builds get files.
#include "ShowcaseHarness.h"
#include "production/LiveReload.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace showcasetest;
namespace fs = std::filesystem;

namespace
{

constexpr std::int32_t kGarden = 8000;

std::vector<std::uint8_t> FrameAt(std::int32_t ms, const std::string& liveFolder)
{
    MivexGL::cLiveReload live;
    if (!liveFolder.empty())
    {
        live.Start(liveFolder);
    }
    testsupport::ScriptedClock clock;
    ScriptedShowcase app(clock);
    app.SetStartAt(ms);
    EXPECT_EQ(RunShowcase(app), 0);
    return app.lastFrame;
}

double MeanDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    if (a.size() != b.size() || a.empty())
    {
        return 255.0;
    }
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        sum += std::abs(int(a[i]) - int(b[i]));
    }
    return sum / static_cast<double>(a.size());
}

TEST(LiveShowcase, DevFrameInTheGardenIsThePlainFrame)
{
    const std::string folder = testsupport::MakeTempFolder("mivex-live-showcase");
    ASSERT_FALSE(folder.empty());
    const std::string live = folder + "/live-shaders";

    const std::vector<std::uint8_t> plain = FrameAt(kGarden, "");
    ASSERT_EQ(plain.size(), 1024u * 768u * 3u);
    // Written from the programs' own texts, then played from the files.
    EXPECT_EQ(MeanDifference(FrameAt(kGarden, live), plain), 0.0);
    EXPECT_EQ(MeanDifference(FrameAt(kGarden, live), plain), 0.0);

    for (const char* name :
         {"cPresentShader.frag", "cPresentShader.focused.frag", "cPresentShader.layer.frag",
          "cRadialBlurShader.eight.frag", ".builtin/cPresentShader.layer.frag"})
    {
        EXPECT_TRUE(fs::is_regular_file(live + "/" + name)) << name;
    }
    // A library class the showcase never builds has none.
    EXPECT_FALSE(fs::exists(live + "/cWaterShader.frag"));

    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

} // namespace
