// One worker thread, started at the first save and kept for the run: a
// save of thousands of tracks is mostly fsyncs, which must not wait on the
// frame.
#include "sync/SyncSaver.h"

#include "sync/SyncTrackFile.h"

namespace MivexGL
{

cSyncSaver::~cSyncSaver()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    if (worker.joinable())
    {
        worker.join();
    }
}

cSyncSaveOutcome cSyncSaver::Write(const std::vector<cSyncSaveItem>& items)
{
    cSyncSaveOutcome result;
    result.tracks = items.size();
    result.done.assign(items.size(), false);
    for (std::size_t i = 0; i < items.size(); ++i)
    {
        const cSyncSaveItem& item = items[i];
        if (item.keepHeldKeys)
        {
            std::size_t held = item.loadedKeys;
            if (held == 0)
            {
                // What the file holds now, read quietly: a missing or broken
                // file holds nothing to keep.
                std::vector<cSyncKey> onDisk;
                std::string unused;
                held = ReadSyncTrackFile(item.path, onDisk, unused) ? onDisk.size() : 0;
            }
            if (held > 0)
            {
                result.kept.push_back(item.name + " (" + std::to_string(held) + " keys)");
                result.done[i] = true;
                continue;
            }
        }
        std::string reason;
        result.done[i] = WriteSyncTrackFile(item.path, item.keys, reason);
        if (!result.done[i])
        {
            result.firstFailure =
                result.failed++ == 0 ? item.path + ": " + reason : result.firstFailure;
        }
    }
    return result;
}

bool cSyncSaver::Start(std::vector<cSyncSaveItem> items)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (working || finished)
        {
            return false;
        }
        work = std::move(items);
        working = true;
        if (!worker.joinable())
        {
            worker = std::thread([this] { Run(); });
        }
    }
    wake.notify_all();
    return true;
}

bool cSyncSaver::Busy() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return working;
}

bool cSyncSaver::TakeOutcome(cSyncSaveOutcome& result)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!finished)
    {
        return false;
    }
    result = std::move(outcome);
    outcome = {};
    finished = false;
    return true;
}

void cSyncSaver::Wait()
{
    std::unique_lock<std::mutex> lock(mutex);
    done.wait(lock, [this] { return !working; });
}

void cSyncSaver::Run()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;)
    {
        // A snapshot in hand is written even when the saver is going away.
        wake.wait(lock, [this] { return working || stopping; });
        if (!working)
        {
            return;
        }
        std::vector<cSyncSaveItem> items = std::move(work);
        lock.unlock();
        cSyncSaveOutcome result = Write(items);
        lock.lock();
        outcome = std::move(result);
        working = false;
        finished = true;
        done.notify_all();
    }
}

} // namespace MivexGL
