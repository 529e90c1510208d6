// The overlay's track editor (--dev, F3): a lane per sync track under the
// timeline on its time axis, keys as points and the curves between them as
// the tracks play them, the current time as a line; the mouse adds, moves,
// selects, retypes and deletes keys and the wheel zooms time; with the
// keyboard it is a tracker (a cursor row and track, typed values, copy and
// paste of rows, undo, save). Drawn with Dear ImGui inside the overlay's
// frame; what it does to the keys is cTrackEditorModel's. Depends on
// production/TrackEditorModel.h and production/DevOverlay.h.
#pragma once

#include "production/DevOverlay.h"
#include "production/TrackEditorModel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace MivexGL
{

class cTrackEditor
{
public:
    explicit cTrackEditor(cSyncSystem& tracks) : model(tracks), sync(tracks) {}

    // F3: shown with the keyboard on it, or hidden.
    void Toggle();
    bool IsOpen() const { return open; }
    // Space, the arrows and Home are the editor's, not the timeline's.
    bool HasKeyboard() const { return open && keyboard; }
    // Escape: the editor lets go of the keyboard first; true when it did.
    bool TakeEscape();

    // Inside the overlay's ImGui frame, above the timeline strip, whose
    // height and time axis it shares.
    void Draw(const cTimelineView& view, float timelineHeight);

    cTrackEditorModel& Model() { return model; }
    // The music drawn behind the lanes: mono samples at 44100 a second,
    // read while drawing (null: none).
    void SetMusic(const std::vector<float>* samples) { music = samples; }

private:
    struct Axis;
    void Keyboard();
    void Lanes(const cTimelineView& view, const Axis& axis);
    void Waveform(const Axis& axis, float top, float height);

    cTrackEditorModel model;
    cSyncSystem& sync;
    bool open = false;
    bool keyboard = false;
    bool placeCursor = false;
    std::string typed;
    // The time the lanes show; both 0: the whole timeline.
    double viewStart = 0.0;
    double viewEnd = 0.0;
    // A press on empty lane space: the box's corner.
    bool boxing = false;
    float boxX = 0.0f;
    float boxY = 0.0f;
    // A drag of keys: where it began and the value scale then.
    float dragX = 0.0f;
    float dragY = 0.0f;
    float dragValuePerPixel = 0.0f;
    const std::vector<float>* music = nullptr;
    // The waveform's loudest sample per column, for the time shown.
    std::vector<float> peaks;
    double peaksStart = -1.0;
    double peaksEnd = -1.0;
    std::size_t peaksOf = 0;
};

} // namespace MivexGL
