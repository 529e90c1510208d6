// Drives the real application through Run and MainLoop in this process on a
// scripted clock: each frame's director time comes from a script, every
// drawn frame is read back as a coarse grid of mean colours, and pictures
// from the data folder can be turned into the grid they should produce on
// screen. Also a working-folder switch for runs against other data folders.
#pragma once

#include "app/FrameScript.h"
#include "app/Tarnel.h"
#include "support/Recorders.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace demotest
{

constexpr int kGridX = 16;
constexpr int kGridY = 12;

// Mean RGB of kGridX x kGridY cells, row 0 at the bottom of the screen.
struct Grid
{
    std::array<float, kGridX * kGridY * 3> cells{};
    const float* Cell(int x, int y) const { return &cells[(y * kGridX + x) * 3]; }
    // Mean of all channels of the middle cells (the central quarter).
    float CentralMean() const;
};

// Mean absolute channel difference, 0..255.
float Distance(const Grid& a, const Grid& b);

// A decoded picture, rows top first, 3 bytes per pixel.
struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    bool Empty() const { return rgb.empty(); }
    const unsigned char* At(float u, float v) const;
};

// Decodes a JPEG picture at about a quarter size; empty when it cannot.
Picture LoadPicture(const std::string& path);
// The picture of a manifest entry of the working folder's data.
Picture ManifestPicture(int index);

// Visible part of the unit quad per axis for the slide transform and for the
// loading transform, under a 45 degree, 4:3 projection.
float SlideVisibleX();
float SlideVisibleY();
float LoadingVisibleX();
float LoadingVisibleY();

// The grid of a picture stretched over a quad of which only the middle
// visibleX x visibleY part shows. With an overlay, its pixels that are not
// pure black cover the picture (mirrored top to bottom when asked), blended
// with the given opacity.
Grid QuadGrid(const Picture& picture, float visibleX, float visibleY,
              const Picture* overlay = nullptr, bool overlayMirrored = true,
              float overlayAlpha = 1.0f);

// The manifest index whose slide grid is nearest to a frame, with the
// distance to it and to the runner-up.
struct Match
{
    int index = -1;
    float distance = 0.0f;
    float runnerUp = 0.0f;
};
Match NearestSlide(const Grid& frame);

struct FrameRecord
{
    // Director elapsed and intro clock as this frame's update left them.
    std::int32_t elapsed = 0;
    std::int32_t introLocal = 0;
    float flash = 0.0f;
    bool drawResult = true;
    Grid grid;
};

// The application with the script's hands on its hooks.
class ScriptedTarnel : public Tarnel
{
public:
    explicit ScriptedTarnel(testsupport::ScriptedClock& clockToDrive)
        : script({[&clockToDrive]() { return clockToDrive.Ticks(); },
                  [&clockToDrive](std::int64_t t) { clockToDrive.Set(t); },
                  testsupport::ScriptedClock::kFrequency})
    {
    }

    bool DrawLoading() override;
    bool Start() override;
    bool Update() override;
    bool Draw() override;

    // Director times of the frames, first 0; after the last the run is
    // ended with Escape unless the director finished first.
    std::vector<std::int32_t> times;
    // Called after each drawn frame with its index (to press keys, say).
    std::function<void(ScriptedTarnel&, int)> afterDraw;

    int loadingCalls = 0;
    int loadingCallsAtStart = -1;
    int startCalls = 0;
    Grid loadingGrid;
    std::vector<FrameRecord> frames;

private:
    Grid ReadBack() const;

    MivexGL::cFrameScript script;
};

// Configures an application as the entry does and runs it.
int RunLikeTheEntry(ScriptedTarnel& app);

// Enters a fresh temporary folder (with a link to the build's data folder
// when asked) and returns to the previous working folder when done.
class WorkingFolder
{
public:
    explicit WorkingFolder(bool withData);
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;
    const std::string& Path() const { return path; }

private:
    std::string previous;
    std::string path;
};

} // namespace demotest
