// Undo keeps whole tracks' keys before and after each step: tracks are
// short, and a step then undoes exactly, whatever it touched.
#include "production/TrackEditorModel.h"

#include <algorithm>

namespace MivexGL
{

namespace
{

std::uint32_t ClampRow(std::int64_t row)
{
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(row, 0, UINT32_MAX));
}

bool SameKeys(const std::vector<cSyncKey>& a, const std::vector<cSyncKey>& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](const cSyncKey& x, const cSyncKey& y) {
                                                  return x.row == y.row && x.value == y.value &&
                                                         x.interpolation == y.interpolation;
                                              });
}

} // namespace

const cSyncKey* cTrackEditorModel::KeyAt(std::size_t track, std::uint32_t row) const
{
    if (track >= TrackCount())
    {
        return nullptr;
    }
    const std::vector<cSyncKey>& keys = Track(track).GetKeys();
    auto at = std::lower_bound(keys.begin(), keys.end(), row,
                               [](const cSyncKey& k, std::uint32_t r) { return k.row < r; });
    return at != keys.end() && at->row == row ? &*at : nullptr;
}

void cTrackEditorModel::SetCursor(std::size_t track, std::uint32_t row)
{
    cursorTrack = TrackCount() == 0 ? 0 : std::min(track, TrackCount() - 1);
    cursorRow = row;
}

void cTrackEditorModel::MoveCursor(int tracks, std::int64_t rows)
{
    const std::int64_t track = static_cast<std::int64_t>(cursorTrack) + tracks;
    SetCursor(static_cast<std::size_t>(std::max<std::int64_t>(track, 0)),
              ClampRow(cursorRow + rows));
}

void cTrackEditorModel::Select(const KeyRef& key, bool add)
{
    if (!add)
    {
        selection.clear();
    }
    if (KeyAt(key.first, key.second) != nullptr && !selection.insert(key).second && add)
    {
        selection.erase(key);
    }
}

void cTrackEditorModel::SelectBox(std::size_t firstTrack, std::size_t lastTrack,
                                  std::uint32_t firstRow, std::uint32_t lastRow, bool add)
{
    if (!add)
    {
        selection.clear();
    }
    for (std::size_t t = firstTrack; t <= lastTrack && t < TrackCount(); ++t)
    {
        for (const cSyncKey& key : Track(t).GetKeys())
        {
            if (key.row >= firstRow && key.row <= lastRow)
            {
                selection.insert({t, key.row});
            }
        }
    }
}

bool cTrackEditorModel::Apply(Step step)
{
    if (ReadOnly())
    {
        return false;
    }
    Step done;
    for (Change& change : step)
    {
        if (change.track >= TrackCount())
        {
            continue;
        }
        change.before = Track(change.track).GetKeys();
        if (sync.EditKeys(change.track, change.after))
        {
            // As the track keeps them: sorted, one a row.
            change.after = Track(change.track).GetKeys();
            done.push_back(std::move(change));
        }
    }
    const bool changed = std::any_of(done.begin(), done.end(),
                                     [](const Change& c) { return !SameKeys(c.before, c.after); });
    if (changed)
    {
        Push(std::move(done));
    }
    return changed;
}

void cTrackEditorModel::Push(Step step)
{
    undo.push_back(std::move(step));
    if (undo.size() > kUndoSteps)
    {
        undo.pop_front();
    }
    redo.clear();
}

bool cTrackEditorModel::SetKey(std::size_t track, std::uint32_t row, float value)
{
    if (track >= TrackCount())
    {
        return false;
    }
    cSyncKey key;
    key.row = row;
    key.value = value;
    const cSyncKey* old = KeyAt(track, row);
    key.interpolation = old != nullptr ? old->interpolation : cSyncKey::kLinear;
    std::vector<cSyncKey> keys = Track(track).GetKeys();
    keys.push_back(key);
    return Apply({{track, {}, std::move(keys)}});
}

bool cTrackEditorModel::CycleType(std::size_t track, std::uint32_t row)
{
    if (KeyAt(track, row) == nullptr)
    {
        return false;
    }
    std::vector<cSyncKey> keys = Track(track).GetKeys();
    for (cSyncKey& key : keys)
    {
        if (key.row == row)
        {
            key.interpolation = static_cast<cSyncKey::Interpolation>((key.interpolation + 1) %
                                                                     cSyncKey::kInterpolationCount);
        }
    }
    return Apply({{track, {}, std::move(keys)}});
}

bool cTrackEditorModel::DeleteKeys()
{
    std::set<KeyRef> gone = selection;
    if (gone.empty())
    {
        gone.insert({cursorTrack, cursorRow});
    }
    Step step;
    for (std::size_t t = 0; t < TrackCount(); ++t)
    {
        std::vector<cSyncKey> keys = Track(t).GetKeys();
        const auto end = std::remove_if(keys.begin(), keys.end(),
                                        [&](const cSyncKey& k) {
                                            return gone.count({t, k.row}) != 0;
                                        });
        if (end != keys.end())
        {
            keys.erase(end, keys.end());
            step.push_back({t, {}, std::move(keys)});
        }
    }
    selection.clear();
    return Apply(std::move(step));
}

void cTrackEditorModel::BeginMove(const KeyRef& grabbed)
{
    if (selection.count(grabbed) == 0)
    {
        Select(grabbed, false);
    }
    moved.assign(selection.begin(), selection.end());
    moveStart.clear();
    for (std::size_t t = 0; t < TrackCount(); ++t)
    {
        const bool touched =
            std::any_of(moved.begin(), moved.end(), [&](const KeyRef& k) { return k.first == t; });
        if (touched)
        {
            moveStart.push_back({t, Track(t).GetKeys(), Track(t).GetKeys()});
        }
    }
    moving = !moved.empty() && !ReadOnly();
}

void cTrackEditorModel::MoveBy(std::int64_t rows, float value)
{
    if (!moving)
    {
        return;
    }
    selection.clear();
    for (const Change& start : moveStart)
    {
        std::vector<cSyncKey> stay;
        std::vector<cSyncKey> go;
        for (const cSyncKey& key : start.before)
        {
            const bool grabbed =
                std::find(moved.begin(), moved.end(), KeyRef{start.track, key.row}) != moved.end();
            (grabbed ? go : stay).push_back(key);
        }
        for (cSyncKey& key : go)
        {
            key.row = ClampRow(key.row + rows);
            key.value += value;
            selection.insert({start.track, key.row});
        }
        // The moved keys win a row they land on.
        stay.insert(stay.end(), go.begin(), go.end());
        sync.EditKeys(start.track, std::move(stay));
    }
}

void cTrackEditorModel::EndMove()
{
    if (!moving)
    {
        return;
    }
    moving = false;
    Step step;
    for (const Change& start : moveStart)
    {
        step.push_back({start.track, start.before, Track(start.track).GetKeys()});
    }
    const bool changed = std::any_of(step.begin(), step.end(),
                                     [](const Change& c) { return !SameKeys(c.before, c.after); });
    if (changed)
    {
        Push(std::move(step));
    }
}

void cTrackEditorModel::Copy(std::size_t firstTrack, std::size_t lastTrack, std::uint32_t firstRow,
                             std::uint32_t lastRow)
{
    clipboard.clear();
    for (std::size_t t = firstTrack; t <= lastTrack && t < TrackCount(); ++t)
    {
        std::vector<cSyncKey> block;
        for (cSyncKey key : Track(t).GetKeys())
        {
            if (key.row >= firstRow && key.row <= lastRow)
            {
                key.row -= firstRow;
                block.push_back(key);
            }
        }
        clipboard.push_back(std::move(block));
    }
}

bool cTrackEditorModel::Paste()
{
    Step step;
    for (std::size_t i = 0; i < clipboard.size() && cursorTrack + i < TrackCount(); ++i)
    {
        std::vector<cSyncKey> keys = Track(cursorTrack + i).GetKeys();
        for (cSyncKey key : clipboard[i])
        {
            key.row = ClampRow(static_cast<std::int64_t>(key.row) + cursorRow);
            keys.push_back(key);
        }
        // Pasted after the track's own, so a pasted key wins its row.
        step.push_back({cursorTrack + i, {}, std::move(keys)});
    }
    return Apply(std::move(step));
}

bool cTrackEditorModel::Undo()
{
    if (undo.empty() || ReadOnly())
    {
        return false;
    }
    Step step = std::move(undo.back());
    undo.pop_back();
    for (const Change& change : step)
    {
        sync.EditKeys(change.track, change.before);
    }
    redo.push_back(std::move(step));
    selection.clear();
    return true;
}

bool cTrackEditorModel::Redo()
{
    if (redo.empty() || ReadOnly())
    {
        return false;
    }
    Step step = std::move(redo.back());
    redo.pop_back();
    for (const Change& change : step)
    {
        sync.EditKeys(change.track, change.after);
    }
    undo.push_back(std::move(step));
    selection.clear();
    return true;
}

} // namespace MivexGL
