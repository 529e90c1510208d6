// A sync editor's project: every track's name and keys as one XML text, so
// an editor opens with a production's keys, and the same text read back into
// keys. Values are written as the shortest text that reads back as the same
// 32-bit float. Shared by the tracks tool and the showcase's data generator.
// Depends on sync/SyncTrack.h.
#pragma once

#include "sync/SyncTrack.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace MivexGL
{

struct cSyncProjectTrack
{
    std::string name;
    // In the order given, which need not be by row.
    std::vector<cSyncKey> keys;
};

// A project larger than this is refused unread.
constexpr std::size_t kMaxSyncProjectBytes = 64u << 20;

// <sync rows="N"><tracks><track name=".."><key row value interpolation/>...
std::string FormatSyncProject(const std::vector<cSyncProjectTrack>& tracks, std::uint32_t rows);

// False, with why in reason (naming the line), for text that is no such
// project: a key outside a track, a row, value or type that is missing or
// out of range, a value that is not a finite float, a track named twice or
// a row twice in one track. Unknown elements and attributes are passed over.
bool ParseSyncProject(const std::string& text, std::vector<cSyncProjectTrack>& tracks,
                      std::string& reason);

// The shortest of %.6g to %.9g that reads back as value.
std::string SyncValueText(float value);

} // namespace MivexGL
