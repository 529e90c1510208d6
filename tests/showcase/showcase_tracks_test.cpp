// The showcase's generated sync tracks against the moves it was first
// written with as formulas, and its editor project against the track files:
// a maker who opens the project edits what the showcase plays.
#include "ShowcaseSync.h"
#include "sync/SyncSystem.h"
#include "sync/SyncTrackFile.h"
#include "support/Recorders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace
{

namespace tracks = showcase::tracks;

const std::string kData = std::string(MIVEX_BINARY_DIR) + "/showcase-data";

float Twirl(int ms)
{
    float twirl = 0.0f;
    for (int cut : {20000, 40000})
    {
        const int distance = std::abs(ms - cut);
        if (distance < 1000)
        {
            twirl = std::max(twirl, 2.0f * (1.0f - static_cast<float>(distance) / 1000.0f));
        }
    }
    return twirl;
}

float Wipe(int ms)
{
    if (ms < 1500)
    {
        return 1.03f - 1.06f * static_cast<float>(std::max(ms, 0)) / 1500.0f;
    }
    if (ms > 58000)
    {
        return -0.03f + 1.06f * std::min(1.0f, static_cast<float>(ms - 58000) / 2000.0f);
    }
    return -1.0f;
}

TEST(ShowcaseTracks, KeysFollowTheWrittenMoves)
{
    MivexGL::cSyncSystem sync;
    sync.Configure(kData + "/sync", tracks::kBpm, tracks::kRowsPerBeat);
    const auto garden = sync.Track(tracks::kGardenAngle);
    const auto distance = sync.Track(tracks::kGardenDistance);
    const auto crystal = sync.Track(tracks::kCrystalAngle);
    const auto twirl = sync.Track(tracks::kTwirl);
    const auto wipe = sync.Track(tracks::kWipe);
    for (int ms = 0; ms <= 60000; ms += 7)
    {
        SCOPED_TRACE(ms);
        if (ms < 20000)
        {
            EXPECT_NEAR(garden.At(ms), ms * 0.001f * 0.18f, 1e-4f);
            EXPECT_FLOAT_EQ(distance.At(ms), 7.5f);
        }
        else if (ms < 40000)
        {
            EXPECT_NEAR(crystal.At(ms), (ms - 20000) * 0.001f * 0.3f, 1e-4f);
        }
        EXPECT_NEAR(twirl.At(ms), Twirl(ms), 1e-5f);
        // Below -0.02 is no wipe, whatever the value.
        const float expected = Wipe(ms);
        if (expected < -0.02f)
        {
            EXPECT_LT(wipe.At(ms), -0.02f);
        }
        else
        {
            EXPECT_NEAR(wipe.At(ms), expected, 1e-5f);
        }
    }
    EXPECT_FLOAT_EQ(sync.Get(tracks::kBloomLevel), 0.55f);
    EXPECT_FLOAT_EQ(sync.Get(tracks::kRadialBlur), 0.015f);
}

TEST(ShowcaseTracks, TheEditorProjectHoldsTheFilesKeys)
{
    const std::string project = testsupport::ReadFile(kData + "/showcase-sync.xml");
    ASSERT_EQ(project.rfind("<sync rows=\"960\">\n<tracks>\n", 0), 0u) << project;
    for (const char* name :
         {tracks::kGardenAngle, tracks::kGardenDistance, tracks::kCrystalAngle, tracks::kTwirl,
          tracks::kWipe, tracks::kBloomLevel, tracks::kRadialBlur})
    {
        SCOPED_TRACE(name);
        std::vector<MivexGL::cSyncKey> keys;
        ASSERT_TRUE(
            MivexGL::ReadSyncTrackFile(MivexGL::SyncTrackFileName(kData + "/sync", name), keys));
        const std::size_t start = project.find(std::string("<track name=\"") + name + "\">\n");
        ASSERT_NE(start, std::string::npos);
        std::size_t at = project.find('\n', start) + 1;
        for (const MivexGL::cSyncKey& key : keys)
        {
            const std::size_t end = project.find('\n', at);
            const std::string line = project.substr(at, end - at);
            const std::string head = "<key row=\"" + std::to_string(key.row) + "\" value=\"";
            ASSERT_EQ(line.rfind(head, 0), 0u) << line;
            const std::size_t quote = line.find('"', head.size());
            EXPECT_EQ(std::strtof(line.substr(head.size(), quote - head.size()).c_str(), nullptr),
                      key.value)
                << line;
            EXPECT_EQ(line.substr(quote), "\" interpolation=\"" +
                                              std::to_string(static_cast<int>(key.interpolation)) +
                                              "\"/>")
                << line;
            at = end + 1;
        }
        EXPECT_EQ(project.compare(at, 9, "</track>\n"), 0);
    }
}

} // namespace
