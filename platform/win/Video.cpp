// The video subsystem on Windows: the desktop is always there, so there is
// nothing to start or stop. Depends on platform/Video.h only.
#include "platform/Video.h"

namespace platform
{

bool AcquireVideo()
{
    return true;
}

void ReleaseVideo() {}

// The desktop is always there; a headless run of a Windows build still
// opens its windows on it.
void PreferHeadless() {}

} // namespace platform
