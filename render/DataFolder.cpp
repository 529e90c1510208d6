// Looking a name up in the data folder when it is not where it is written.
#include "render/DataFolder.h"

#include "platform/Paths.h"

#include <filesystem>

namespace MivexGL
{

namespace
{

bool Exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(platform::ResolvePath(path), error);
}

bool Relative(const std::string& name)
{
    return !name.empty() && name.find("http://") == std::string::npos &&
           std::filesystem::path(name).is_relative() && name[0] != '/' && name[0] != '\\';
}

} // namespace

cDataFolder& cDataFolder::Instance()
{
    static cDataFolder instance;
    return instance;
}

std::string cDataFolder::Find(const std::string& name) const
{
    if (folder.empty() || !Relative(name) || Exists(name))
    {
        return name;
    }
    const std::string inside = folder + "/" + name;
    return Exists(inside) ? inside : name;
}

std::string cDataFolder::FindPrefix(const std::string& prefix) const
{
    if (folder.empty() || !Relative(prefix))
    {
        return prefix;
    }
    const std::size_t slash = prefix.find_last_of("/\\");
    if (slash != std::string::npos && Exists(prefix.substr(0, slash)))
    {
        return prefix;
    }
    return folder + "/" + prefix;
}

} // namespace MivexGL
