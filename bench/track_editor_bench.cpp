// The track editor's cost in a frame: the --dev overlay drawn over a
// 1024x768 offscreen frame with the editor open on 10 tracks of 200 keys,
// against the overlay alone. Prints the median frame of each and the
// difference (the goal is at most 2 ms more).
#include "BenchTiming.h"
#include "platform/GL.h"
#include "platform/OffscreenGL.h"
#include "production/DevOverlay.h"
#include "production/TrackEditor.h"

#include <cstdio>
#include <string>
#include <vector>

namespace
{

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kTracks = 10;
constexpr int kKeys = 200;
constexpr int kFrames = 300;

double MedianFrame(MivexGL::cDevOverlay& overlay, const MivexGL::cTimelineView& view)
{
    std::vector<double> frames;
    for (int i = 0; i < kFrames; ++i)
    {
        const auto start = bench::Clock::now();
        glClearColor(0.1f, 0.1f, 0.1f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        overlay.Draw(view);
        glFinish();
        frames.push_back(bench::Ms(start, bench::Clock::now()));
    }
    return bench::Median(frames);
}

} // namespace

int main()
{
    platform::OffscreenGL gl;
    if (!gl.Create(kWidth, kHeight))
    {
        std::fprintf(stderr, "track_editor_bench: no offscreen GL context\n");
        return 1;
    }
    MivexGL::cSyncSystem sync;
    sync.Configure("", 120.0, 8.0);
    for (int t = 0; t < kTracks; ++t)
    {
        sync.Track("track" + std::to_string(t));
        std::vector<MivexGL::cSyncKey> keys(kKeys);
        for (int k = 0; k < kKeys; ++k)
        {
            keys[k].row = static_cast<std::uint32_t>(k * 4);
            keys[k].value = static_cast<float>((k * 7 + t) % 13);
            keys[k].interpolation = static_cast<MivexGL::cSyncKey::Interpolation>(k % 4);
        }
        sync.EditKeys(static_cast<std::size_t>(t), keys);
    }
    MivexGL::cDevOverlay overlay;
    if (!overlay.Attach(nullptr))
    {
        std::fprintf(stderr, "track_editor_bench: the overlay did not attach\n");
        return 1;
    }
    MivexGL::cTrackEditor editor(sync);
    overlay.SetTrackEditor(&editor);
    MivexGL::cTimelineView view;
    view.now = 20000;
    view.length = 60000;
    view.windows = {{"director", 0, 60000}, {"scene", 0, 60000}};

    const double alone = MedianFrame(overlay, view);
    editor.Toggle();
    const double open = MedianFrame(overlay, view);
    std::printf("%dx%d, %d tracks of %d keys, median of %d frames:\n", kWidth, kHeight, kTracks,
                kKeys, kFrames);
    std::printf(
        "  overlay alone      %7.3f ms\n  with the editor    %7.3f ms\n  more               "
        "%7.3f ms (goal: at most 2)\n",
        alone, open, open - alone);
    overlay.Detach();
    return 0;
}
