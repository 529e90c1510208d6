// The production's sync tracks: named floats that scenes read at the current
// time ("camera:distance"), played from track files, or in a --dev run from
// a sync editor whose keys then replace the files'. The production sets its
// track file prefix, BPM and rows per beat, and the owner of the timeline
// sets the time once per frame; rows come from time as time x BPM x rows per
// beat / 60. Editor requests (a row to go to, pause) come back from Poll for
// the production to carry out: the track set moves no clock itself. The
// editor's saves go to a folder of their own when one is set (the
// production's source tree, which the build copies into its data), else
// over the files played; however many an editor asks for, a frame saves
// once, off the frame, and a save never empties a track file that holds
// keys unless they were deleted in this run. A process-wide service reached
// through Instance. Depends on sync/SyncTrack.h, sync/SyncTrackFile.h,
// sync/SyncSaver.h and sync/SyncEditor.h.
#pragma once

#include "sync/SyncEditor.h"
#include "sync/SyncSaver.h"
#include "sync/SyncTrack.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace MivexGL
{

// What the editor asked for since the last Poll.
struct cSyncEvents
{
    bool seek = false;
    std::uint32_t seekRow = 0;
    // The row's time on the timeline, in milliseconds.
    std::int32_t seekTo = 0;
    bool setPause = false;
    bool paused = false;
    // The editor asked for a save in this frame.
    bool saveAsked = false;
    // A save finished writing the tracks' files in this frame.
    bool saved = false;
};

class cSyncSystem
{
public:
    // A track taken once (in a scene's Init) and read every frame without a
    // name lookup.
    class cHandle
    {
    public:
        cHandle() = default;
        // At the time of the latest SetTime.
        float Value() const;
        // At ms on the timeline, whatever the current time.
        float At(std::int32_t ms) const;

    private:
        friend class cSyncSystem;
        cHandle(const cSyncSystem* owner, std::size_t at) : system(owner), index(at) {}
        const cSyncSystem* system = nullptr;
        std::size_t index = 0;
    };

    static cSyncSystem& Instance();

    cSyncSystem();
    ~cSyncSystem();
    cSyncSystem(const cSyncSystem&) = delete;
    cSyncSystem& operator=(const cSyncSystem&) = delete;

    // Files are <prefix>_<track>.track; tracks already taken are read again
    // (unless an editor holds them). An empty prefix reads no files; a tempo
    // of no rows keeps the one before.
    void Configure(std::string prefix, double bpm, double rowsPerBeat);

    // The track of that name, made and read from its file on first use.
    cHandle Track(const std::string& name);
    float Get(const std::string& name) { return Track(name).Value(); }
    // Nullptr when no such track was taken.
    const cSyncTrack* Find(const std::string& name) const;

    // Every track taken, by index, for the overlay's track editor.
    std::size_t TrackCount() const { return tracks.size(); }
    const cSyncTrack& TrackAt(std::size_t index) const { return tracks[index]; }
    // Replaces a track's keys; a key gone counts as deleted in this run.
    // False while a sync editor holds the tracks: its keys rule.
    bool EditKeys(std::size_t index, std::vector<cSyncKey> keys);
    bool EditorHoldsTracks() const { return editor != nullptr && editor->IsConnected(); }
    // Names of the tracks edited since their last save.
    std::vector<std::string> UnsavedTracks() const;
    // Once a frame in --dev: looks at a share of the tracks' saved files; one
    // changed on disk (a checkout) is read again, unless its track has
    // unsaved edits, which stay and are named in one line.
    void WatchFiles();

    void SetTime(std::int32_t ms);
    double GetRow() const { return row; }
    double GetRowsPerBeat() const { return rowsPerBeat; }
    double RowAt(std::int32_t ms) const;
    // The first millisecond of the row.
    std::int32_t TimeOfRow(std::uint32_t editorRow) const;

    // Where the editor's saves go: <folder>/<last part of the prefix>_<track>.track.
    // Empty: over the files played.
    void SetSaveFolder(std::string folder) { saveFolder = std::move(folder); }
    // The file a track is saved to.
    std::string SavePath(const std::string& name) const;

    // For --dev: from the next Poll on, talk to an editor there.
    void UseEditor(const std::string& address = "127.0.0.1",
                   std::uint16_t port = cSyncEditor::kDefaultPort);
    cSyncEditor* GetEditor() { return editor.get(); }
    // Once per frame, after SetTime: tells a connected editor the row while
    // playing, applies its keys and saves, and returns its requests.
    cSyncEvents Poll(bool playing);

    // Writes every track to its file, each whole or not at all, on the
    // calling thread after any save in flight; false, said in one line (once
    // while it fails the same way), when one could not be written.
    bool SaveTracks();
    // A save asked of Poll is still being written or waits for one that is.
    bool SaveInFlight() const { return savePending || (saver != nullptr && saver->Busy()); }
    // A save off the frame, started by the next Poll.
    void RequestSave() { savePending |= !prefix.empty(); }
    // Writes what Poll still holds and says how it went: for the end of a run.
    void FinishSaves();

private:
    // What a save must know of a track beyond its keys.
    struct cTrackState
    {
        std::size_t loadedKeys = 0;
        bool deleted = false;
        // Edits made, and how many of them a save has written.
        std::uint64_t edits = 0;
        std::uint64_t savedEdits = 0;
        // The saved file as last read or written: a change is someone else's.
        std::string stamp;
    };

    float ValueAt(std::size_t index, double atRow) const;
    void Load(std::size_t index);
    std::string Stamp(std::size_t index) const;
    std::vector<cSyncSaveItem> Snapshot();
    bool Report(const cSyncSaveOutcome& outcome);
    // Starts the save Poll was asked for once the one before is written;
    // true when one finished in this call.
    bool SaveOffFrame();
    void SetEditorKey(const cSyncCommand& command);
    std::string SavePrefix() const;

    std::string prefix;
    std::string saveFolder;
    double rowsPerMinute = 960.0;
    double rowsPerBeat = 8.0;
    double row = 0.0;
    std::vector<cSyncTrack> tracks;
    std::vector<cTrackState> states;
    std::map<std::string, std::size_t> byName;
    std::unique_ptr<cSyncEditor> editor;
    std::vector<cSyncCommand> commands;
    std::int64_t lastSentRow = -1;
    std::unique_ptr<cSyncSaver> saver;
    bool savePending = false;
    // Each track's edits as the save in hand found them.
    std::vector<std::uint64_t> editsSaving;
    std::size_t watchedUpTo = 0;
};

} // namespace MivexGL
