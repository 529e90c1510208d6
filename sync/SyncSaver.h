// Writes track files off the frame: a save hands over a snapshot of every
// track's keys and returns at once, a thread of the saver's own writes them
// (each beside its file, then renamed over it, so every file is whole or
// not written), and the frame takes the outcome at a later poll. A track
// the save holds no keys for keeps a file that holds keys unless its keys
// were deleted in this run: an editor that never had them must not empty
// it. Depends on sync/SyncTrackFile.h.
#pragma once

#include "sync/SyncTrack.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace MivexGL
{

// One track as the save found it.
struct cSyncSaveItem
{
    std::string name;
    std::string path;
    std::vector<cSyncKey> keys;
    // No keys here, and none were deleted in this run: a file holding keys
    // stays as it is.
    bool keepHeldKeys = false;
    // Keys read from the track's file in this run.
    std::size_t loadedKeys = 0;
};

struct cSyncSaveOutcome
{
    std::size_t tracks = 0;
    std::size_t failed = 0;
    std::string firstFailure;
    // "name (N keys)" of each track whose file was kept.
    std::vector<std::string> kept;
    // Per item: its file holds its keys now (written, or kept as they were).
    std::vector<bool> done;
};

class cSyncSaver
{
public:
    cSyncSaver() = default;
    // Finishes the snapshot in hand.
    ~cSyncSaver();
    cSyncSaver(const cSyncSaver&) = delete;
    cSyncSaver& operator=(const cSyncSaver&) = delete;

    // Writes on the calling thread.
    static cSyncSaveOutcome Write(const std::vector<cSyncSaveItem>& items);

    // False while a snapshot is still being written: ask again later.
    bool Start(std::vector<cSyncSaveItem> items);
    bool Busy() const;
    // True once per finished snapshot, with what came of it.
    bool TakeOutcome(cSyncSaveOutcome& outcome);
    // Waits for the snapshot in hand to be written.
    void Wait();

private:
    void Run();

    mutable std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable done;
    std::thread worker;
    std::vector<cSyncSaveItem> work;
    bool working = false;
    bool finished = false;
    bool stopping = false;
    cSyncSaveOutcome outcome;
};

} // namespace MivexGL
