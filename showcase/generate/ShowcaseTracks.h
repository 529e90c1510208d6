// The showcase's sync tracks: their keys, written as one track file each
// and as a project file that sync editors open. Depends on
// demo/SyncTrackFile.h and showcase/ShowcaseSync.h.
#pragma once

#include <string>

namespace showcasegen
{

// Into folder (the showcase's data folder): false with a line on standard
// error when something could not be written.
bool WriteTracks(const std::string& folder);

} // namespace showcasegen
