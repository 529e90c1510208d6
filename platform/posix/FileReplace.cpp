// POSIX rename replaces the target in one step.
#include "platform/FileReplace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform
{

bool MoveFileOver(const std::string& from, const std::string& to, std::string& reason)
{
    if (std::rename(from.c_str(), to.c_str()) != 0)
    {
        reason = std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace platform
