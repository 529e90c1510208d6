// Puts a finished file in place of another in one step, so a reader sees
// either the old file whole or the new one whole: the way every save that
// must survive a crash or a full disk ends. The file replaced is the one the
// name leads to: a symbolic link stays a link and its target gets the new
// content, and a file with other hard links keeps them. POSIX rename replaces
// an existing file; on Windows it needs MoveFileExW. Depends on nothing but
// the standard library and the system.
#pragma once

#include <string>

namespace platform
{

// Puts the content of from (a finished, synced file) where to leads: the end
// of its chain of links, which may not exist yet. The result has the mode of
// the file it replaces, or the one the umask gives a new file. False with the
// system's reason otherwise, from and the old file left as they were.
bool MoveFileOver(const std::string& from, const std::string& to, std::string& reason);

// The file a write to path lands in: path with every link at its end
// followed, relative links taken from their own folder. The name itself when
// it is no link or does not exist; empty with a reason for a loop of links.
std::string FileBehindLinks(const std::string& path, std::string& reason);

} // namespace platform
