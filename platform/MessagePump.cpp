// What every back end's PeekMessageW does around the system's queue: the
// idle hook tests install runs whenever there is nothing to take. Depends on
// platform/BackEnd.h.
#include "platform/Messages.h"

#include "platform/BackEnd.h"

namespace platform
{

namespace
{

IdleHook idleHook = nullptr;
void* idleContext = nullptr;

} // namespace

BOOL PeekMessageW(MSG* message, HWND window, UINT first, UINT last, UINT remove)
{
    if (PeekSystemMessage(message, window, first, last, remove))
    {
        return TRUE;
    }
    if (idleHook != nullptr)
    {
        idleHook(idleContext);
    }
    return FALSE;
}

void SetIdleHook(IdleHook hook, void* context)
{
    idleHook = hook;
    idleContext = context;
}

} // namespace platform
