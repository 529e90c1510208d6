// Track files as sync players share them: one file per track,
// <prefix>_<escaped name>.track, holding a little-endian 32-bit key count and
// per key a 32-bit row, a 32-bit float and one interpolation byte. Also read
// by the showcase's data generator, so it depends on demo/SyncTrack.h only.
#pragma once

#include "demo/SyncTrack.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace MivexGL
{

// Letters, digits, '.', '_' and '/' stay; any other byte becomes '-' and two
// upper-case hex digits ("camera:distance" -> "camera-3Adistance").
std::string SyncTrackFileName(const std::string& prefix, const std::string& track);

std::vector<std::uint8_t> FormatSyncTrack(const std::vector<cSyncKey>& keys);
// False, with why in reason and no keys, for bytes that are short, longer
// than their count says, or hold an unknown interpolation.
bool ParseSyncTrack(const std::uint8_t* data, std::size_t size, std::vector<cSyncKey>& keys,
                    std::string& reason);

// Both say what went wrong in one tagged line on standard error; a file that
// cannot be read leaves no keys.
bool ReadSyncTrackFile(const std::string& path, std::vector<cSyncKey>& keys);
bool WriteSyncTrackFile(const std::string& path, const std::vector<cSyncKey>& keys);

} // namespace MivexGL
