// The showcase's sync tracks: the keys it was first written with, and the
// build's step that carries the keys kept in the source tree (where a sync
// editor saves them) into the data folder, with a project file that sync
// editors open. Depends on sync/SyncTrackFile.h and showcase/ShowcaseSync.h.
#pragma once

#include <string>

namespace showcasegen
{

// The first keys, into folder (the source tree's tracks folder), for each
// track that has no file there yet: a file already there is never written
// over. False with a line on standard error when one could not be written.
bool WriteNewTracks(const std::string& folder);

// Each track's keys from sources (the generated ones, said on standard
// error, for a track with no file there) into folder (the showcase's data
// folder), and the project file from the same keys. False with a line on
// standard error when a source is broken or something could not be written.
bool CopyTracks(const std::string& sources, const std::string& folder);

} // namespace showcasegen
