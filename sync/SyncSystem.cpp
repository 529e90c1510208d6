// Tracks live in one vector and are never removed, so a handle is an index.
#include "sync/SyncSystem.h"

#include "log/ProblemLog.h"

#include "sync/SyncTrackFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <sys/stat.h>

namespace MivexGL
{

namespace
{

// A handle no track was given to reads 0: said once, not left silent.
float Unfilled()
{
    static const std::string line =
        "sync: a track handle is read that was never given a track, and reads 0; give it one "
        "(the director's .Track(\"name\", handle), or a scene's Track(\"name\"))";
    cProblemLog::Instance().ReportKeyed("sync:unfilled-handle", line);
    return 0.0f;
}

} // namespace

float cSyncSystem::cHandle::Value() const
{
    return system == nullptr ? Unfilled() : system->ValueAt(index, system->row);
}

float cSyncSystem::cHandle::At(std::int32_t ms) const
{
    return system == nullptr ? Unfilled() : system->ValueAt(index, system->RowAt(ms));
}

cSyncSystem& cSyncSystem::Instance()
{
    static cSyncSystem instance;
    return instance;
}

cSyncSystem::cSyncSystem() = default;

cSyncSystem::~cSyncSystem()
{
    // Late in the process the log may be gone: what is still asked for is
    // written, without a word.
    if (saver != nullptr)
    {
        saver->Wait();
    }
    if (savePending)
    {
        cSyncSaver::Write(Snapshot());
    }
}

void cSyncSystem::Configure(std::string filePrefix, double bpm, double beatRows)
{
    prefix = std::move(filePrefix);
    if (bpm * beatRows > 0.0 && beatRows > 0.0)
    {
        rowsPerMinute = bpm * beatRows;
        rowsPerBeat = beatRows;
    }
    else
    {
        MivexGL::cProblemLog::Instance().Reportf(
            "sync: %g BPM at %g rows a beat is no tempo; keeping %g rows a minute", bpm, beatRows,
            rowsPerMinute);
    }
    if (!EditorHoldsTracks())
    {
        for (std::size_t i = 0; i < tracks.size(); ++i)
        {
            Load(i);
        }
    }
}

void cSyncSystem::Load(std::size_t index)
{
    cSyncTrack& track = tracks[index];
    track.Clear();
    states[index].loadedKeys = 0;
    if (prefix.empty())
    {
        return;
    }
    std::vector<cSyncKey> keys;
    ReadSyncTrackFile(SyncTrackFileName(prefix, track.GetName()), keys);
    track.SetKeys(std::move(keys));
    states[index].loadedKeys = track.GetKeys().size();
    states[index].stamp = Stamp(index);
}

std::string cSyncSystem::Stamp(std::size_t index) const
{
    struct stat info;
    if (prefix.empty() || ::stat(SavePath(tracks[index].GetName()).c_str(), &info) != 0)
    {
        return {};
    }
    // Renamed over, a file is a new one even within the clock's grain.
    return std::to_string(info.st_mtime) + ":" + std::to_string(info.st_size) + ":" +
           std::to_string(info.st_ino);
}

void cSyncSystem::WatchFiles()
{
    if (tracks.empty() || EditorHoldsTracks() || (saver != nullptr && saver->Busy()))
    {
        return;
    }
    // A share a frame: thousands of tracks cost no frame a burst of stats.
    constexpr std::size_t kPerFrame = 32;
    for (std::size_t n = 0; n < kPerFrame && n < tracks.size(); ++n)
    {
        const std::size_t i = watchedUpTo++ % tracks.size();
        const std::string now = Stamp(i);
        if (now.empty() || now == states[i].stamp)
        {
            continue;
        }
        states[i].stamp = now;
        const std::string path = SavePath(tracks[i].GetName());
        if (states[i].edits != states[i].savedEdits)
        {
            cProblemLog::Instance().Reportf(
                "sync: %s changed on disk; %s keeps its unsaved edits (save to write them, undo "
                "to go back)",
                path.c_str(), tracks[i].GetName().c_str());
            continue;
        }
        std::vector<cSyncKey> keys;
        if (ReadSyncTrackFile(path, keys))
        {
            tracks[i].SetKeys(std::move(keys));
            states[i].loadedKeys = tracks[i].GetKeys().size();
            cProblemLog::Instance().Reportf("sync: %s changed on disk and was read again",
                                            path.c_str());
        }
    }
}

cSyncSystem::cHandle cSyncSystem::Track(const std::string& name)
{
    auto found = byName.find(name);
    if (found != byName.end())
    {
        return cHandle(this, found->second);
    }
    tracks.emplace_back(name);
    states.emplace_back();
    if (EditorHoldsTracks())
    {
        editor->RequestTrack(name);
    }
    else
    {
        Load(tracks.size() - 1);
    }
    byName.emplace(name, tracks.size() - 1);
    return cHandle(this, tracks.size() - 1);
}

const cSyncTrack* cSyncSystem::Find(const std::string& name) const
{
    auto found = byName.find(name);
    return found == byName.end() ? nullptr : &tracks[found->second];
}

float cSyncSystem::ValueAt(std::size_t index, double atRow) const
{
    return index < tracks.size() ? tracks[index].ValueAt(atRow) : 0.0f;
}

double cSyncSystem::RowAt(std::int32_t ms) const
{
    // Multiplied first: whole tempos then give exact rows on their own times.
    return ms <= 0 ? 0.0 : ms * rowsPerMinute / 60000.0;
}

std::int32_t cSyncSystem::TimeOfRow(std::uint32_t editorRow) const
{
    // The first whole millisecond inside the row, so the production's row
    // after the move is the editor's and is not sent back one less.
    double ms = std::ceil(editorRow * 60000.0 / rowsPerMinute);
    if (ms < INT32_MAX && RowAt(static_cast<std::int32_t>(ms)) < editorRow)
    {
        ++ms;
    }
    return ms >= INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(ms);
}

void cSyncSystem::SetTime(std::int32_t ms)
{
    row = RowAt(ms);
}

void cSyncSystem::UseEditor(const std::string& address, std::uint16_t port)
{
    editor = std::make_unique<cSyncEditor>();
    editor->SetAddress(address, port);
    lastSentRow = -1;
}

cSyncEvents cSyncSystem::Poll(bool playing)
{
    cSyncEvents events;
    // Without a track there is nothing to edit: no socket, and no word of
    // a missing editor in a production that never uses one.
    if (editor == nullptr || tracks.empty())
    {
        events.saved = SaveOffFrame();
        return events;
    }
    const auto current = static_cast<std::int64_t>(std::floor(row));
    if (playing && editor->IsConnected() && current != lastSentRow)
    {
        editor->SendRow(static_cast<std::uint32_t>(current));
        lastSentRow = current;
    }
    commands.clear();
    if (editor->Poll(commands))
    {
        // The editor's keys are the tracks from now on; it sends them for
        // each track in the order asked.
        for (cSyncTrack& track : tracks)
        {
            track.Clear();
            editor->RequestTrack(track.GetName());
        }
        lastSentRow = -1;
    }
    for (const cSyncCommand& command : commands)
    {
        switch (command.kind)
        {
        case cSyncCommand::kSetKey:
            SetEditorKey(command);
            break;
        case cSyncCommand::kDeleteKey:
        {
            cSyncTrack& track = tracks[command.track];
            const std::size_t before = track.GetKeys().size();
            track.DeleteKey(command.row);
            states[command.track].deleted |= track.GetKeys().size() != before;
            break;
        }
        case cSyncCommand::kSetRow:
            events.seek = true;
            events.seekRow = command.row;
            events.seekTo = TimeOfRow(command.row);
            lastSentRow = command.row;
            break;
        case cSyncCommand::kPause:
            events.setPause = true;
            events.paused = command.paused;
            break;
        case cSyncCommand::kSaveTracks:
            events.saveAsked = true;
            break;
        case cSyncCommand::kGetTrack:
            break;
        }
    }
    // A burst of saves is one write of the same keys.
    savePending |= events.saveAsked && !prefix.empty();
    events.saved = SaveOffFrame();
    return events;
}

void cSyncSystem::SetEditorKey(const cSyncCommand& command)
{
    cSyncTrack& track = tracks[command.track];
    if (!std::isfinite(command.value))
    {
        // Would reach the picture as a NaN; one line per track until the
        // editor sends something else.
        MivexGL::cProblemLog::Instance().ReportKeyed(
            "sync:value:" + track.GetName(),
            "sync: " + track.GetName() + ": the editor's key of value " +
                std::to_string(command.value) + " is refused; the track keeps its keys");
        return;
    }
    cSyncKey key;
    key.row = command.row;
    key.value = command.value;
    key.interpolation = static_cast<cSyncKey::Interpolation>(command.interpolation);
    track.SetKey(key);
}

std::string cSyncSystem::SavePrefix() const
{
    if (saveFolder.empty())
    {
        return prefix;
    }
    const std::string::size_type slash = prefix.find_last_of("/\\");
    return saveFolder + "/" + (slash == std::string::npos ? prefix : prefix.substr(slash + 1));
}

std::string cSyncSystem::SavePath(const std::string& name) const
{
    return SyncTrackFileName(SavePrefix(), name);
}

bool cSyncSystem::EditKeys(std::size_t index, std::vector<cSyncKey> keys)
{
    if (index >= tracks.size() || EditorHoldsTracks())
    {
        return false;
    }
    cSyncTrack& track = tracks[index];
    const std::vector<cSyncKey> before = track.GetKeys();
    track.SetKeys(std::move(keys));
    for (const cSyncKey& key : before)
    {
        const auto& after = track.GetKeys();
        const bool kept = std::any_of(after.begin(), after.end(),
                                      [&](const cSyncKey& k) { return k.row == key.row; });
        states[index].deleted |= !kept;
    }
    ++states[index].edits;
    return true;
}

std::vector<std::string> cSyncSystem::UnsavedTracks() const
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < tracks.size(); ++i)
    {
        if (states[i].edits != states[i].savedEdits)
        {
            names.push_back(tracks[i].GetName());
        }
    }
    return names;
}

std::vector<cSyncSaveItem> cSyncSystem::Snapshot()
{
    editsSaving.resize(tracks.size());
    std::vector<cSyncSaveItem> items(tracks.size());
    for (std::size_t i = 0; i < tracks.size(); ++i)
    {
        cSyncSaveItem& item = items[i];
        item.name = tracks[i].GetName();
        item.path = SavePath(item.name);
        item.keys = tracks[i].GetKeys();
        item.keepHeldKeys = item.keys.empty() && !states[i].deleted;
        item.loadedKeys = states[i].loadedKeys;
        editsSaving[i] = states[i].edits;
    }
    return items;
}

bool cSyncSystem::Report(const cSyncSaveOutcome& outcome)
{
    for (std::size_t i = 0; i < outcome.done.size() && i < editsSaving.size(); ++i)
    {
        if (outcome.done[i])
        {
            states[i].savedEdits = editsSaving[i];
            // Our own write is no change from elsewhere.
            states[i].stamp = Stamp(i);
        }
    }
    MivexGL::cProblemLog& problems = MivexGL::cProblemLog::Instance();
    if (!outcome.kept.empty())
    {
        // One line, however many: a save from an editor that holds one
        // track of thousands must not bury the rest of the log.
        constexpr std::size_t kNamed = 8;
        std::string names;
        for (std::size_t i = 0; i < outcome.kept.size() && i < kNamed; ++i)
        {
            names += (i == 0 ? "" : ", ") + outcome.kept[i];
        }
        if (outcome.kept.size() > kNamed)
        {
            names += " and " + std::to_string(outcome.kept.size() - kNamed) + " more";
        }
        problems.Reportf("sync: kept the keys of %zu track file%s that the save held none of "
                         "(none were deleted in this run): %s",
                         outcome.kept.size(), outcome.kept.size() == 1 ? "" : "s", names.c_str());
    }
    if (outcome.failed > 0)
    {
        problems.ReportKeyed("sync:save", "sync: cannot save " + std::to_string(outcome.failed) +
                                              " of " + std::to_string(outcome.tracks) +
                                              " tracks; " + outcome.firstFailure);
        return false;
    }
    problems.Resolve("sync:save");
    problems.Reportf("sync: saved %zu tracks as %s_*.track", outcome.tracks - outcome.kept.size(),
                     SavePrefix().c_str());
    return true;
}

bool cSyncSystem::SaveOffFrame()
{
    bool saved = false;
    cSyncSaveOutcome outcome;
    if (saver != nullptr && saver->TakeOutcome(outcome))
    {
        saved = Report(outcome);
    }
    if (saver == nullptr)
    {
        saver = std::make_unique<cSyncSaver>();
    }
    // The snapshot is taken only when the writer is free: the one in hand
    // still needs its own record of the edits it holds.
    if (savePending && !saver->Busy())
    {
        savePending = !saver->Start(Snapshot());
    }
    return saved;
}

void cSyncSystem::FinishSaves()
{
    if (saver == nullptr)
    {
        return;
    }
    saver->Wait();
    cSyncSaveOutcome outcome;
    if (saver->TakeOutcome(outcome))
    {
        Report(outcome);
    }
    if (savePending)
    {
        savePending = false;
        Report(cSyncSaver::Write(Snapshot()));
    }
}

bool cSyncSystem::SaveTracks()
{
    if (prefix.empty())
    {
        return false;
    }
    // Never two writers on one file's temporary: the save in flight ends
    // first, and is said.
    FinishSaves();
    return Report(cSyncSaver::Write(Snapshot()));
}

} // namespace MivexGL
