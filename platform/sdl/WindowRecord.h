// The SDL back end's window record, shared by its windows
// (platform/sdl/Display.cpp) and their pixel formats and GL contexts
// (platform/sdl/GLContext.cpp); private to platform/sdl/.
#pragma once

#include "platform/Display.h"

#include <SDL.h>

#include <string>

namespace platform
{

// A window's device context: the window itself, as far as GL is concerned.
struct DeviceRecord
{
    WindowRecord* window;
};

struct WindowRecord
{
    // Made when the pixel format is set.
    SDL_Window* sdl = nullptr;
    WNDPROC proc = nullptr;
    std::u16string title;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    int pixelFormat = 0;
    PIXELFORMATDESCRIPTOR descriptor{};
    DeviceRecord dc{nullptr};
};

// Whether window is one of ours and not destroyed.
bool Live(HWND window);
// The fullscreen mode the last display settings change chose, or null.
const SDL_DisplayMode* FullscreenMode();

} // namespace platform
