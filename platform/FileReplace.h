// Puts a finished file in place of another in one step, so a reader sees
// either the old file whole or the new one whole: the way every save that
// must survive a crash or a full disk ends. POSIX rename replaces an
// existing file; on Windows it needs MoveFileExW. Depends on nothing but the
// standard library.
#pragma once

#include <string>

namespace platform
{

// Renames from over to (which may exist); false with the system's reason
// otherwise, from left as it was.
bool MoveFileOver(const std::string& from, const std::string& to, std::string& reason);

} // namespace platform
