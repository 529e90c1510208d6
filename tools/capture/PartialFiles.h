// Files that are still being written carry a name of the capture's own,
// made next to their final name with exclusive creation so it can never be a
// file that was already there, and are listed here until they are renamed to
// their real names, so that every way out of the tool (a failure, an
// interrupt, an exit from deep inside the engine) removes them and leaves
// nothing half-written that looks complete. Only files this process created
// are ever removed. Depends on the standard library and POSIX.
#pragma once

#include <string>

namespace capture
{

constexpr const char* kPartialSuffix = ".partial";

// Creates a new empty file in final's folder named "<final>.XXXXXX.partial"
// and lists it. Returns its name, with its descriptor in *fd when fd is not
// null (else closed); empty with error set when it cannot be made.
std::string MakePartial(const std::string& final, std::string& error, int* fd = nullptr);
// Renames a listed partial file to its final name and forgets it.
bool CommitPartial(const std::string& partial, const std::string& final, std::string& error);
// Removes a listed file and forgets it; a name never listed is left alone.
void DropPartial(const std::string& path);
// Removes every listed file.
void DropAllPartials();

} // namespace capture
