// The list of partial files and its removal at exit.
#include "PartialFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

void Forget(const std::string& path)
{
    auto& files = Listed();
    files.erase(std::remove(files.begin(), files.end(), path), files.end());
}

} // namespace

void TrackPartial(const std::string& path)
{
    static bool registered = false;
    if (!registered)
    {
        registered = std::atexit(&DropAllPartials) == 0;
    }
    Listed().push_back(path);
}

bool CommitPartial(const std::string& partial, const std::string& final, std::string& error)
{
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
    std::remove(path.c_str());
    Forget(path);
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
