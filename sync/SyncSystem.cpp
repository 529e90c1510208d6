// Tracks live in one vector and are never removed, so a handle is an index.
#include "sync/SyncSystem.h"

#include "log/ProblemLog.h"

#include "sync/SyncTrackFile.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

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

cSyncSystem::~cSyncSystem() = default;

void cSyncSystem::Configure(std::string filePrefix, double bpm, double rowsPerBeat)
{
    prefix = std::move(filePrefix);
    if (bpm * rowsPerBeat > 0.0)
    {
        rowsPerMinute = bpm * rowsPerBeat;
    }
    else
    {
        MivexGL::cProblemLog::Instance().Reportf(
            "sync: %g BPM at %g rows a beat is no tempo; keeping %g rows a minute", bpm,
            rowsPerBeat, rowsPerMinute);
    }
    if (!EditorHoldsTracks())
    {
        for (cSyncTrack& track : tracks)
        {
            Load(track);
        }
    }
}

void cSyncSystem::Load(cSyncTrack& track) const
{
    track.Clear();
    if (prefix.empty())
    {
        return;
    }
    std::vector<cSyncKey> keys;
    ReadSyncTrackFile(SyncTrackFileName(prefix, track.GetName()), keys);
    track.SetKeys(std::move(keys));
}

cSyncSystem::cHandle cSyncSystem::Track(const std::string& name)
{
    auto found = byName.find(name);
    if (found != byName.end())
    {
        return cHandle(this, found->second);
    }
    tracks.emplace_back(name);
    if (EditorHoldsTracks())
    {
        editor->RequestTrack(name);
    }
    else
    {
        Load(tracks.back());
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
        return events;
    }
    const auto current = static_cast<std::int64_t>(std::floor(row));
    if (playing && editor->IsConnected() && current != lastSentRow)
    {
        editor->SendRow(static_cast<std::uint32_t>(current));
        lastSentRow = current;
    }
    commands.clear();
    bool saveAsked = false;
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
            tracks[command.track].DeleteKey(command.row);
            break;
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
            saveAsked = true;
            break;
        case cSyncCommand::kGetTrack:
            break;
        }
    }
    // A burst of saves is one write of the same keys.
    events.saved = saveAsked && SaveTracks();
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

bool cSyncSystem::SaveTracks() const
{
    if (prefix.empty())
    {
        return false;
    }
    MivexGL::cProblemLog& problems = MivexGL::cProblemLog::Instance();
    std::size_t failed = 0;
    std::string first;
    for (const cSyncTrack& track : tracks)
    {
        const std::string path = SavePath(track.GetName());
        std::string reason;
        if (!WriteSyncTrackFile(path, track.GetKeys(), reason))
        {
            first = failed++ == 0 ? path + ": " + reason : first;
        }
    }
    if (failed > 0)
    {
        problems.ReportKeyed("sync:save", "sync: cannot save " + std::to_string(failed) + " of " +
                                              std::to_string(tracks.size()) + " tracks; " + first);
        return false;
    }
    problems.Resolve("sync:save");
    problems.Reportf("sync: saved %zu tracks as %s_*.track", tracks.size(), SavePrefix().c_str());
    return true;
}

} // namespace MivexGL
