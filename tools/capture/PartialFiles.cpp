// The list of partial files and its removal at exit.
#include "PartialFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace capture
{

namespace
{

std::vector<std::string>& Listed()
{
    // Never destroyed, so the exit handler can still read it.
    static auto* files = new std::vector<std::string>;
    return *files;
}

bool Forget(const std::string& path)
{
    auto& files = Listed();
    const auto end = std::remove(files.begin(), files.end(), path);
    const bool listed = end != files.end();
    files.erase(end, files.end());
    return listed;
}

// The process's umask, read without changing it (umask() would, for a
// moment, for every thread).
mode_t Umask()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    unsigned mask = 022;
    char line[256];
    while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr)
    {
        if (std::sscanf(line, "Umask: %o", &mask) == 1)
        {
            break;
        }
    }
    if (status != nullptr)
    {
        std::fclose(status);
    }
    return static_cast<mode_t>(mask);
}

} // namespace

std::string MakePartial(const std::string& final, std::string& error, int* fd)
{
    static bool registered = false;
    if (!registered)
    {
        registered = std::atexit(&DropAllPartials) == 0;
    }
    const std::string suffix = kPartialSuffix;
    std::string name = final + ".XXXXXX" + suffix;
    // mkstemps opens with O_EXCL: a name already taken is never reused.
    const int made = mkostemps(name.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
    if (made < 0)
    {
        error = "cannot write " + final + ": " + std::strerror(errno);
        return {};
    }
    Listed().push_back(name);
    if (fd != nullptr)
    {
        *fd = made;
    }
    else
    {
        close(made);
    }
    return name;
}

bool CommitPartial(const std::string& partial, const std::string& final, std::string& error)
{
    // Made private while written; it ends with the mode of the file it
    // replaces, or a new file's.
    struct stat before
    {
    };
    const mode_t mode =
        stat(final.c_str(), &before) == 0 ? before.st_mode & 07777 : 0666 & ~Umask();
    if (chmod(partial.c_str(), mode) != 0)
    {
        error = "cannot set the mode of " + partial + ": " + std::strerror(errno);
        DropPartial(partial);
        return false;
    }
    if (std::rename(partial.c_str(), final.c_str()) != 0)
    {
        error = "cannot rename " + partial + " to " + final + ": " + std::strerror(errno);
        DropPartial(partial);
        return false;
    }
    Forget(partial);
    return true;
}

void DropPartial(const std::string& path)
{
    if (Forget(path))
    {
        std::remove(path.c_str());
    }
}

void DropAllPartials()
{
    for (const std::string& path : Listed())
    {
        std::remove(path.c_str());
    }
    Listed().clear();
}

} // namespace capture
