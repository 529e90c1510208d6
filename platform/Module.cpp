// What every back end's guarded call does alike: an exception thrown by the
// call is caught and named.
#include "platform/Module.h"

#include <exception>

namespace platform
{

std::string CallCatching(void (*call)(void*), void* context)
{
    try
    {
        call(context);
    }
    catch (const std::exception& thrown)
    {
        return std::string("an exception: ") + thrown.what();
    }
    catch (...)
    {
        return "an exception";
    }
    return std::string();
}

} // namespace platform
