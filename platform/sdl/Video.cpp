// Video subsystem lifetime over SDL_InitSubSystem's own reference count,
// and the headless preference as SDL's own driver choice.
#include "platform/Video.h"

#include <SDL.h>

#include <cstdlib>

namespace platform
{

bool AcquireVideo()
{
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

void ReleaseVideo()
{
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void PreferHeadless()
{
    // SDL reads these when a subsystem starts, so they must be set before.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

} // namespace platform
