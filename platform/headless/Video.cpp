// No video subsystem to start: the EGL display opens on first use and there
// is never a screen, so headless is all there is.
#include "platform/Video.h"

#include "platform/headless/Egl.h"

namespace platform
{

bool AcquireVideo()
{
    return HeadlessDisplay() != EGL_NO_DISPLAY;
}

void ReleaseVideo() {}

void PreferHeadless() {}

} // namespace platform
