// Video subsystem lifetime over SDL_InitSubSystem's own reference count.
#include "platform/Video.h"

#include <SDL.h>

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

} // namespace platform
