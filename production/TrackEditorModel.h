// What the overlay's track editor does to the sync tracks, apart from how it
// is drawn: a cursor (a track and a row), a selection of keys, keys set,
// moved, retyped and deleted, a block of rows copied and pasted, undo and
// redo of at least 100 steps, and saves. Every edit goes to the track set at
// once, so the next frame plays it. While a sync editor holds the tracks
// the model changes nothing. Depends on sync/SyncSystem.h.
#pragma once

#include "sync/SyncSystem.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <set>
#include <utility>
#include <vector>

namespace MivexGL
{

class cTrackEditorModel
{
public:
    // A key by its track's index and its row.
    using KeyRef = std::pair<std::size_t, std::uint32_t>;

    static constexpr std::size_t kUndoSteps = 256;

    explicit cTrackEditorModel(cSyncSystem& tracks) : sync(tracks) {}

    bool ReadOnly() const { return sync.EditorHoldsTracks(); }
    std::size_t TrackCount() const { return sync.TrackCount(); }
    const cSyncTrack& Track(std::size_t index) const { return sync.TrackAt(index); }
    // The key on that row, or null.
    const cSyncKey* KeyAt(std::size_t track, std::uint32_t row) const;

    std::size_t CursorTrack() const { return cursorTrack; }
    std::uint32_t CursorRow() const { return cursorRow; }
    void SetCursor(std::size_t track, std::uint32_t row);
    // Moves by tracks and rows, held inside the tracks and row 0.
    void MoveCursor(int tracks, std::int64_t rows);

    const std::set<KeyRef>& Selection() const { return selection; }
    void Select(const KeyRef& key, bool add);
    void SelectBox(std::size_t firstTrack, std::size_t lastTrack, std::uint32_t firstRow,
                   std::uint32_t lastRow, bool add);
    void ClearSelection() { selection.clear(); }

    // Sets the key's value, keeping its type; a new key is linear.
    bool SetKey(std::size_t track, std::uint32_t row, float value);
    // Step, linear, smooth, ramp, step.
    bool CycleType(std::size_t track, std::uint32_t row);
    // The selected keys, or the one under the cursor when none are.
    bool DeleteKeys();

    // A drag: the selected keys (or the one given) move together from
    // where they stood when it began, by whole rows and by value; one undo
    // step when it ends. A key moved onto another's row replaces it.
    void BeginMove(const KeyRef& grabbed);
    void MoveBy(std::int64_t rows, float value);
    void EndMove();
    bool Moving() const { return moving; }

    // Rows first..last of tracks first..last, and at the cursor again.
    void Copy(std::size_t firstTrack, std::size_t lastTrack, std::uint32_t firstRow,
              std::uint32_t lastRow);
    bool Paste();

    bool Undo();
    bool Redo();
    std::size_t UndoDepth() const { return undo.size(); }

    // Asks the track set for a save off the frame.
    void Save() { sync.RequestSave(); }

private:
    struct Change
    {
        std::size_t track = 0;
        std::vector<cSyncKey> before;
        std::vector<cSyncKey> after;
    };
    using Step = std::vector<Change>;

    // Records and applies new keys for each track given; false when
    // nothing changed or the tracks are not ours.
    bool Apply(Step step);
    void Push(Step step);

    cSyncSystem& sync;
    std::size_t cursorTrack = 0;
    std::uint32_t cursorRow = 0;
    std::set<KeyRef> selection;
    std::deque<Step> undo;
    std::vector<Step> redo;
    // Per track in the block, its keys with rows from the block's start.
    std::vector<std::vector<cSyncKey>> clipboard;
    bool moving = false;
    std::vector<KeyRef> moved;
    Step moveStart;
};

} // namespace MivexGL
