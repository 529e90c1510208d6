// Case-insensitive path lookup over POSIX directories, and the current
// folder.
#include "platform/Paths.h"

#include "platform/BackEnd.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace platform
{

namespace
{

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// The entry of a folder whose name matches case-insensitively, preferring an
// exact match; empty when there is none.
std::string FindEntry(const std::string& folder, const std::string& name)
{
    const std::string base = folder.empty() ? "." : folder;
    if (Exists(folder.empty() ? name : folder + "/" + name))
    {
        return name;
    }
    DIR* dir = ::opendir(base.c_str());
    if (dir == nullptr)
    {
        return std::string();
    }
    std::string found;
    while (dirent* entry = ::readdir(dir))
    {
        if (::strcasecmp(entry->d_name, name.c_str()) == 0)
        {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

std::string FindPathIgnoringCase(const std::string& normal)
{
    if (normal.empty() || Exists(normal))
    {
        return normal;
    }

    std::vector<std::string> parts;
    std::string::size_type start = 0;
    const bool absolute = normal[0] == '/';
    while (start <= normal.size())
    {
        const std::string::size_type slash = normal.find('/', start);
        const std::string::size_type stop = slash == std::string::npos ? normal.size() : slash;
        if (stop > start)
        {
            parts.push_back(normal.substr(start, stop - start));
        }
        if (slash == std::string::npos)
        {
            break;
        }
        start = slash + 1;
    }

    std::string resolved = absolute ? "/" : "";
    for (const std::string& part : parts)
    {
        std::string folder = resolved;
        if (folder.size() > 1 && folder.back() == '/')
        {
            folder.pop_back();
        }
        const std::string entry = (part == "." || part == "..") ? part : FindEntry(folder, part);
        if (entry.empty())
        {
            return normal;
        }
        if (!resolved.empty() && resolved.back() != '/')
        {
            resolved += '/';
        }
        resolved += entry;
    }
    return resolved;
}

std::string GetCurrentDirectory()
{
    std::vector<char> buffer(256);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr)
    {
        buffer.resize(buffer.size() * 2);
        if (buffer.size() > (1u << 20))
        {
            return std::string();
        }
    }
    return std::string(buffer.data());
}

std::string GetExecutableFolder()
{
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size() - 1)
    {
        return std::string();
    }
    const std::string self(buffer.data(), static_cast<std::size_t>(length));
    const std::size_t slash = self.rfind('/');
    return slash == std::string::npos ? std::string() : self.substr(0, slash == 0 ? 1 : slash);
}

bool ChangeCurrentDirectory(const std::string& folder)
{
    return !folder.empty() && ::chdir(folder.c_str()) == 0;
}

} // namespace platform
