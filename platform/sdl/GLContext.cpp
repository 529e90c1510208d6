// The SDL side of the shared windows' pixel formats and GL contexts
// (platform/posix/WindowTable.h): a format becomes SDL's GL attributes when
// the window's SDL window is made, and every context joins the share group
// of one hidden root context. Depends on SDL2.
#include "platform/Display.h"

#include "platform/sdl/DisplayInternal.h"
#include "platform/sdl/WindowRecord.h"
#include "platform/Text.h"

#include <SDL.h>

#include <string>

namespace platform
{

struct ContextRecord
{
    SDL_GLContext context;
    WindowRecord* window;
};

namespace
{

struct State
{
    // The hidden root of the share group every display context joins.
    SDL_Window* rootWindow = nullptr;
    SDL_GLContext rootContext = nullptr;
};

State& S()
{
    static State state;
    return state;
}

// The GL attributes of a pixel format.
void ApplyFormat(int format, const PIXELFORMATDESCRIPTOR& pfd)
{
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, pfd.cAlphaBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, pfd.cDepthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, pfd.cStencilBits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, (pfd.dwFlags & PFD_DOUBLEBUFFER) != 0 ? 1 : 0);
    if (format > kMultisampleBase)
    {
        SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 1);
        SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, format - kMultisampleBase);
    }
}

PIXELFORMATDESCRIPTOR PlainDescriptor()
{
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 16;
    return pfd;
}

// Makes the hidden root context on first use; false when no GL at all.
bool EnsureRoot()
{
    State& s = S();
    if (s.rootContext != nullptr)
    {
        return true;
    }
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    ApplyFormat(kPlainFormat, PlainDescriptor());
    s.rootWindow =
        SDL_CreateWindow("MivexGL share root", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (s.rootWindow == nullptr)
    {
        return false;
    }
    s.rootContext = SDL_GL_CreateContext(s.rootWindow);
    if (s.rootContext == nullptr)
    {
        SDL_DestroyWindow(s.rootWindow);
        s.rootWindow = nullptr;
        return false;
    }
    SDL_GL_MakeCurrent(previousWindow, previousContext);
    return true;
}

// Creates a context for a window in the root's share group and leaves the
// previous context current, as the window system does.
SDL_GLContext CreateSharedContext(WindowRecord* window)
{
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    SDL_GLContext context = nullptr;
    if (EnsureRoot() && SDL_GL_MakeCurrent(S().rootWindow, S().rootContext) == 0)
    {
        ApplyFormat(window->pixelFormat, window->descriptor);
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
        context = SDL_GL_CreateContext(SdlWindow(*window));
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    }
    if (context == nullptr)
    {
        // No share group to join: a context of its own is still a context.
        ApplyFormat(window->pixelFormat, window->descriptor);
        context = SDL_GL_CreateContext(SdlWindow(*window));
    }
    SDL_GL_MakeCurrent(previousWindow, previousContext);
    return context;
}

// Whether a hidden window with this multisample format gets a context that
// really has the samples.
bool FormatWorks(int samples)
{
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    PIXELFORMATDESCRIPTOR pfd = PlainDescriptor();
    ApplyFormat(kMultisampleBase + samples, pfd);
    bool works = false;
    SDL_Window* probe =
        SDL_CreateWindow("probe", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (probe != nullptr)
    {
        SDL_GLContext context = SDL_GL_CreateContext(probe);
        if (context != nullptr)
        {
            int buffers = 0;
            int got = 0;
            SDL_GL_GetAttribute(SDL_GL_MULTISAMPLEBUFFERS, &buffers);
            SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &got);
            works = buffers > 0 && got >= samples;
            SDL_GL_DeleteContext(context);
        }
        SDL_DestroyWindow(probe);
    }
    SDL_GL_ResetAttributes();
    SDL_GL_MakeCurrent(previousWindow, previousContext);
    return works;
}

} // namespace

int MultisampleFormat(int samples)
{
    return FormatWorks(samples) ? kMultisampleBase + samples : 0;
}

bool CreateSurface(WindowRecord& w)
{
    ApplyFormat(w.pixelFormat, w.descriptor);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    const bool popup = (w.style & WS_POPUP) != 0;
    const SDL_DisplayMode* mode = FullscreenMode();
    if (popup && mode != nullptr)
    {
        flags |= SDL_WINDOW_FULLSCREEN;
    }
    else if ((w.style & WS_OVERLAPPEDWINDOW) == WS_OVERLAPPEDWINDOW)
    {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    else if (popup)
    {
        flags |= SDL_WINDOW_BORDERLESS;
    }
    const std::string title = Utf16ToUtf8(w.title.c_str());
    SDL_Window* sdl = SDL_CreateWindow(title.c_str(), w.x, w.y, w.width, w.height, flags);
    if (sdl == nullptr)
    {
        return false;
    }
    w.surface = sdl;
    if ((flags & SDL_WINDOW_FULLSCREEN) != 0)
    {
        SDL_SetWindowDisplayMode(sdl, mode);
    }
    if ((w.style & WS_VISIBLE) != 0)
    {
        SDL_ShowWindow(sdl);
    }
    return true;
}

void SwapSurface(WindowRecord& window)
{
    SDL_GL_SwapWindow(SdlWindow(window));
}

HGLRC CreateContext(WindowRecord& window)
{
    SDL_GLContext context = CreateSharedContext(&window);
    return context != nullptr ? new ContextRecord{context, &window} : nullptr;
}

bool MakeContextCurrent(WindowRecord* window, HGLRC context)
{
    if (context == nullptr)
    {
        if (SDL_GL_GetCurrentContext() != nullptr)
        {
            SDL_GL_MakeCurrent(SDL_GL_GetCurrentWindow(), nullptr);
        }
        return true;
    }
    return SDL_GL_MakeCurrent(SdlWindow(*window), context->context) == 0;
}

bool IsContextCurrent(HGLRC context)
{
    return SDL_GL_GetCurrentContext() == context->context;
}

bool AnyContextCurrent()
{
    return SDL_GL_GetCurrentContext() != nullptr;
}

void DeleteContext(HGLRC context)
{
    SDL_GL_DeleteContext(context->context);
    delete context;
}

BOOL wglSwapIntervalEXT(int interval)
{
    if (SDL_GL_GetCurrentContext() == nullptr)
    {
        return FALSE;
    }
    return SDL_GL_SetSwapInterval(interval) == 0 ? TRUE : FALSE;
}

int wglGetSwapIntervalEXT()
{
    return SDL_GL_GetCurrentContext() != nullptr ? SDL_GL_GetSwapInterval() : 0;
}

HDC wglGetCurrentDC()
{
    SDL_Window* current =
        SDL_GL_GetCurrentContext() != nullptr ? SDL_GL_GetCurrentWindow() : nullptr;
    if (current == nullptr)
    {
        return nullptr;
    }
    HWND w = FindWindowBySdlId(SDL_GetWindowID(current));
    return w != nullptr ? &w->dc : nullptr;
}

} // namespace platform
