// Display modes, the cursor, and the windows' SDL side over SDL2: the
// records are the shared window table's (platform/posix/WindowTable.h), and
// their pixel formats and GL contexts are platform/sdl/GLContext.cpp's.
//
// The window system creates a window first and picks its pixel format
// afterwards; SDL fixes a window's visual at creation. So a window is a
// record first, and its SDL window is made when its pixel format is set.
#include "platform/Display.h"
#include "platform/SeamState.h"

#include "platform/sdl/DisplayInternal.h"
#include "platform/sdl/WindowRecord.h"
#include "platform/Text.h"
#include "platform/Video.h"

#include <SDL.h>

namespace platform
{

namespace
{

struct State
{
    bool haveMode = false;
    SDL_DisplayMode mode{};
    int cursorCount = 0;
    bool videoReady = false;
};

State& S()
{
    static State state;
    return state;
}

} // namespace

bool OpenWindowSystem()
{
    if (!S().videoReady)
    {
        S().videoReady = AcquireVideo();
    }
    return S().videoReady;
}

void DestroySurface(WindowRecord& window)
{
    if (SDL_GL_GetCurrentWindow() == SdlWindow(window))
    {
        SDL_GL_MakeCurrent(SdlWindow(window), nullptr);
    }
    SDL_DestroyWindow(SdlWindow(window));
    window.surface = nullptr;
}

void ShowTitle(WindowRecord& window)
{
    SDL_SetWindowTitle(SdlWindow(window), Utf16ToUtf8(window.title.c_str()).c_str());
}

const SDL_DisplayMode* FullscreenMode()
{
    return S().haveMode ? &S().mode : nullptr;
}

HWND FindWindowBySdlId(std::uint32_t id)
{
    for (WindowRecord* w : LiveWindows())
    {
        if (w->surface != nullptr && SDL_GetWindowID(SdlWindow(*w)) == id)
        {
            return w;
        }
    }
    return nullptr;
}

bool IsWindowMinimised(HWND window)
{
    return Live(window) && window->surface != nullptr &&
           (SDL_GetWindowFlags(SdlWindow(*window)) & SDL_WINDOW_MINIMIZED) != 0;
}

int ChangeDisplaySettingsW(const DEVMODEW* mode, DWORD flags)
{
    State& s = S();
    if (mode == nullptr)
    {
        s.haveMode = false;
        for (WindowRecord* w : LiveWindows())
        {
            SDL_Window* sdl = SdlWindow(*w);
            if (sdl != nullptr && (SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN) != 0)
            {
                SDL_SetWindowFullscreen(sdl, 0);
            }
        }
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (DisplayFaulty(DisplayStep::ChangeDisplaySettings) || !OpenWindowSystem())
    {
        return DISP_CHANGE_FAILED;
    }
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i)
    {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(0, i, &m) != 0)
        {
            continue;
        }
        const int bits = static_cast<int>(SDL_BITSPERPIXEL(m.format));
        const int wanted = static_cast<int>(mode->dmBitsPerPel);
        const bool depthFits = (mode->dmFields & DM_BITSPERPEL) == 0 || bits == wanted ||
                               (wanted == 32 && bits == 24) || (wanted == 24 && bits == 32) ||
                               bits == 0;
        // A driver without real modes (offscreen) reports one empty mode and
        // takes windows of any size. Elsewhere SDL would quietly hand back
        // another size, so only the exact one counts.
        const bool anySize = m.w == 0 && m.h == 0;
        const bool sizeFits = anySize || (m.w == static_cast<int>(mode->dmPelsWidth) &&
                                          m.h == static_cast<int>(mode->dmPelsHeight));
        if (sizeFits && depthFits)
        {
            if ((flags & CDS_FULLSCREEN) != 0)
            {
                s.haveMode = true;
                s.mode = m;
            }
            return DISP_CHANGE_SUCCESSFUL;
        }
    }
    return DISP_CHANGE_BADMODE;
}

int ShowCursor(BOOL show)
{
    S().cursorCount += show ? 1 : -1;
    if (OpenWindowSystem())
    {
        SDL_ShowCursor(S().cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    }
    return S().cursorCount;
}

BOOL ShowWindow(HWND window, int command)
{
    if (!Live(window))
    {
        return FALSE;
    }
    if (SdlWindow(*window) != nullptr)
    {
        if (command == SW_HIDE)
        {
            SDL_HideWindow(SdlWindow(*window));
        }
        else
        {
            SDL_ShowWindow(SdlWindow(*window));
        }
    }
    return TRUE;
}

BOOL SetForegroundWindow(HWND window)
{
    if (!Live(window))
    {
        return FALSE;
    }
    if (SdlWindow(*window) != nullptr)
    {
        SDL_RaiseWindow(SdlWindow(*window));
    }
    return TRUE;
}

HWND GetForegroundWindow()
{
    SDL_Window* focus = S().videoReady ? SDL_GetKeyboardFocus() : nullptr;
    if (focus != nullptr)
    {
        HWND w = FindWindowBySdlId(SDL_GetWindowID(focus));
        if (w != nullptr)
        {
            return w;
        }
    }
    return LiveWindows().empty() ? nullptr : *LiveWindows().begin();
}

BOOL GetClientSize(HWND window, int* width, int* height)
{
    if (!Live(window) || width == nullptr || height == nullptr)
    {
        return FALSE;
    }
    if (SdlWindow(*window) != nullptr)
    {
        SDL_GetWindowSize(SdlWindow(*window), width, height);
    }
    else
    {
        *width = window->width;
        *height = window->height;
    }
    return TRUE;
}

} // namespace platform
