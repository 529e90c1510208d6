// The development overlay: drawn with Dear ImGui over a finished frame in a
// --dev run, never in a plain run or a capture. It shows the timeline strip
// (the director's window and each scene's by name, the current time; click
// or drag to seek, a play/pause button), the frame times of the last few
// seconds (update and draw apart), the music's spectrum as bars, every GLSL
// program with whether it built (a failed one's info log), and the problems
// reported since the start, and the track editor when it is open
// (production/TrackEditor.h). It changes nothing itself: what the user asks
// for comes back from Draw for the production to carry out. Builds on the
// platform's overlay host (platform/Overlay.h) and the program registry of
// render/.
#pragma once

#include "platform/Win32.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace MivexGL
{

// What the timeline strip shows; the director's window comes first.
struct cTimelineView
{
    struct Window
    {
        std::string name;
        std::int32_t start = 0;
        std::int32_t end = 0;
    };
    std::int32_t now = 0;
    std::int32_t length = 0;
    bool paused = false;
    std::vector<Window> windows;
};

// What the user asked for in one Draw.
struct cOverlayRequest
{
    bool seek = false;
    std::int32_t seekTo = 0;
    bool togglePause = false;
};

class cTrackEditor;

class cDevOverlay
{
public:
    cDevOverlay();
    ~cDevOverlay();
    cDevOverlay(const cDevOverlay&) = delete;
    cDevOverlay& operator=(const cDevOverlay&) = delete;

    // On the window whose GL context is current; again after the display
    // was made anew (F1). False, with a tagged line, when the host fails:
    // the production runs on without the overlay.
    bool Attach(platform::HWND window);
    void Detach();

    // Shown from the start of a --dev run; one key toggles it.
    void Toggle() { visible = !visible; }
    void Show() { visible = true; }
    // Drawn above the timeline strip while it is open; null for none.
    void SetTrackEditor(cTrackEditor* editor) { trackEditor = editor; }
    bool IsVisible() const { return visible; }

    // Once per frame, in milliseconds of wall time.
    void RecordFrame(double updateMs, double drawMs);
    // The bands the scenes see this frame (copied).
    void SetSpectrum(const float* bands, int count);

    // Draws over the finished frame, before it is presented, with the GL
    // state it changes saved and restored. Nothing when hidden or detached.
    cOverlayRequest Draw(const cTimelineView& view);

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
    bool visible = true;
    cTrackEditor* trackEditor = nullptr;
};

} // namespace MivexGL
