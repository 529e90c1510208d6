// Files that are still being written carry a ".partial" name and are listed
// here until they are renamed to their real names, so that every way out of
// the tool (a failure, an interrupt, an exit from deep inside the engine)
// removes them and leaves nothing half-written that looks complete.
#pragma once

#include <string>

namespace capture
{

constexpr const char* kPartialSuffix = ".partial";

// Lists a partial file; the first call also arranges removal at exit.
void TrackPartial(const std::string& path);
// Renames a listed partial file to its final name and forgets it.
bool CommitPartial(const std::string& partial, const std::string& final, std::string& error);
// Removes a listed file and forgets it.
void DropPartial(const std::string& path);
// Removes every listed file.
void DropAllPartials();

} // namespace capture
