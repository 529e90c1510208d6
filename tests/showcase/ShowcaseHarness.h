// Drives the showcase in this process on a scripted clock: a run starts at a
// chosen time of the timeline (replaying the updates a 60 frames per second
// run would have had), draws the frames its script lists and reads each one
// back, reduced to a small picture. Also the picture files and the
// comparison the golden-frame tests use.
#pragma once

#include "ShowcaseApp.h"
#include "app/FrameScript.h"
#include "support/Recorders.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace showcasetest
{

// A frame reduced by box filtering, RGB rows top first.
struct Thumbnail
{
    static constexpr int kWidth = 128;
    static constexpr int kHeight = 96;
    std::vector<std::uint8_t> rgb;
};

struct Difference
{
    // Mean absolute channel difference, 0..255.
    double meanError = 0.0;
    // Share of pixels with some channel more than the outlier limit apart.
    double outlierShare = 0.0;
};

Difference Compare(const Thumbnail& a, const Thumbnail& b, int outlierLimit);
bool WritePng(const std::string& path, const Thumbnail& picture);
bool WritePng(const std::string& path, const std::vector<std::uint8_t>& rgb, int width, int height);
bool ReadPng(const std::string& path, Thumbnail& picture);

class ScriptedShowcase : public showcase::cShowcaseApp
{
public:
    explicit ScriptedShowcase(testsupport::ScriptedClock& clockToDrive);

    bool Start() override;
    bool Update() override;
    bool Draw() override;

    // Frame times after the start, first 0.
    std::vector<std::int32_t> times{0};
    // Called right after Start, with the showcase loaded.
    std::function<void(ScriptedShowcase&)> afterStart;
    // Director time and picture of every drawn frame.
    std::vector<std::int32_t> elapsed;
    std::vector<Thumbnail> frames;
    // The last drawn frame at full size, RGB rows top first.
    std::vector<std::uint8_t> lastFrame;

private:
    MivexGL::cFrameScript script;
    std::size_t updated = 0;
};

// Configures a windowed 1024 x 768 showcase and runs it to its script's end.
int RunShowcase(ScriptedShowcase& app);

} // namespace showcasetest
