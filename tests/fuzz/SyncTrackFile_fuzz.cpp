// Fuzz target for the track file reader: any bytes are either refused with
// no keys, or give keys that write back to the very same bytes; a track of
// them reads at any row without undefined behaviour. Depends on
// sync/SyncTrackFile.h.
#include "sync/SyncTrackFile.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<MivexGL::cSyncKey> keys;
    std::string reason;
    if (!MivexGL::ParseSyncTrack(data, size, keys, reason))
    {
        FUZZ_CHECK(keys.empty() && !reason.empty());
        return 0;
    }
    const std::vector<std::uint8_t> again = MivexGL::FormatSyncTrack(keys);
    FUZZ_CHECK(again == std::vector<std::uint8_t>(data, data + size));
    MivexGL::cSyncTrack track;
    track.SetKeys(keys);
    for (const MivexGL::cSyncKey& key : track.GetKeys())
    {
        track.ValueAt(key.row);
        track.ValueAt(key.row + 0.5);
    }
    track.ValueAt(-1.0);
    return 0;
}
