// The SDL back end's side of the shared window records
// (platform/posix/WindowTable.h): a window's surface is its SDL window.
// Shared by its windows (Display.cpp) and their pixel formats and GL
// contexts (GLContext.cpp); private to platform/sdl/.
#pragma once

#include "platform/posix/WindowTable.h"

#include <SDL.h>

namespace platform
{

inline SDL_Window* SdlWindow(const WindowRecord& window)
{
    return static_cast<SDL_Window*>(window.surface);
}

// The fullscreen mode the last display settings change chose, or null.
const SDL_DisplayMode* FullscreenMode();

} // namespace platform
