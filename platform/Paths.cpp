// What every back end's path lookup starts with: one separator, the forward
// slash. Depends on platform/BackEnd.h.
#include "platform/Paths.h"

#include "platform/BackEnd.h"

namespace platform
{

std::string ResolvePath(const std::string& path)
{
    std::string normal = path;
    for (char& c : normal)
    {
        if (c == '\\')
        {
            c = '/';
        }
    }
    return FindPathIgnoringCase(normal);
}

} // namespace platform
