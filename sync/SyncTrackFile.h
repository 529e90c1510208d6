// Track files as sync players share them: one file per track,
// <prefix>_<escaped name>.track, holding a little-endian 32-bit key count and
// per key a 32-bit row, a 32-bit float and one interpolation byte. Also read
// by the showcase's data generator, so it depends on sync/SyncTrack.h and
// platform/FileReplace.h only.
#pragma once

#include "sync/SyncTrack.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace MivexGL
{

// Letters, digits, '.', '_' and '/' stay; any other byte becomes '-' and two
// upper-case hex digits ("camera:distance" -> "camera-3Adistance").
std::string SyncTrackFileName(const std::string& prefix, const std::string& track);

// The track a file name (without its folder) holds under prefix; false for
// a name SyncTrackFileName never gives.
bool SyncTrackNameOfFile(const std::string& prefix, const std::string& fileName,
                         std::string& track);

std::vector<std::uint8_t> FormatSyncTrack(const std::vector<cSyncKey>& keys);
// A track file past this is refused unread: 1.8 million keys.
constexpr std::size_t kMaxSyncTrackFileBytes = 16u << 20;

// False, with why in reason and no keys, for bytes that are short, longer
// than their count says, or hold an unknown interpolation or a value that
// is not finite.
bool ParseSyncTrack(const std::uint8_t* data, std::size_t size, std::vector<cSyncKey>& keys,
                    std::string& reason);

// A regular file's bytes, if it holds at most limit; reason says why not.
// A folder, a FIFO or a device is refused without waiting on it.
bool ReadSyncFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes,
                  std::string& reason);

// Both say what went wrong in one tagged line on standard error. Only a
// regular file up to kMaxSyncTrackFileBytes is read (a folder, a FIFO or a
// device is refused without waiting on it); one that cannot be read leaves
// no keys.
bool ReadSyncTrackFile(const std::string& path, std::vector<cSyncKey>& keys);
// The same, saying nothing: why it failed is in reason.
bool ReadSyncTrackFile(const std::string& path, std::vector<cSyncKey>& keys, std::string& reason);
// Written beside path under another name and renamed over it: a failed or
// interrupted write leaves the old file whole.
bool WriteSyncTrackFile(const std::string& path, const std::vector<cSyncKey>& keys);
// The same, saying nothing: why it failed is in reason.
bool WriteSyncTrackFile(const std::string& path, const std::vector<cSyncKey>& keys,
                        std::string& reason);

} // namespace MivexGL
