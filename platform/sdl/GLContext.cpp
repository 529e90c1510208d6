// Pixel formats and GL contexts of the SDL back end's windows
// (platform/sdl/WindowRecord.h): a format becomes SDL's GL attributes when
// the window's SDL window is made, and every context joins the share group
// of one hidden root context. Depends on SDL2 and libepoxy.
#include "platform/Display.h"
#include "platform/SeamState.h"

#include "platform/sdl/DisplayInternal.h"
#include "platform/sdl/WindowRecord.h"
#include "platform/FramePacing.h"
#include "platform/GLProc.h"
#include "platform/Text.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstring>
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
    std::string extensions;
    // The hidden root of the share group every display context joins.
    SDL_Window* rootWindow = nullptr;
    SDL_GLContext rootContext = nullptr;
};

State& S()
{
    static State state;
    return state;
}

// Pixel formats: 1 is the ordinary format; a multisample format is
// kMultisampleBase + its sample count.
constexpr int kPlainFormat = 1;
constexpr int kMultisampleBase = 100;

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
        context = SDL_GL_CreateContext(window->sdl);
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    }
    if (context == nullptr)
    {
        // No share group to join: a context of its own is still a context.
        ApplyFormat(window->pixelFormat, window->descriptor);
        context = SDL_GL_CreateContext(window->sdl);
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

const char* GetExtensionsString(HDC)
{
    State& s = S();
    const char* replaced = nullptr;
    if (WindowExtensionsOverridden(&replaced))
    {
        return replaced;
    }
    // The pixel-format query is ours; multisampling is there when the GL
    // implementation offers it.
    s.extensions = "WGL_ARB_extensions_string WGL_ARB_pixel_format";
    const char* gl = SDL_GL_GetCurrentContext() != nullptr
                         ? reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS))
                         : nullptr;
    if (gl != nullptr && std::strstr(gl, "GL_ARB_multisample") != nullptr)
    {
        s.extensions += " WGL_ARB_multisample";
    }
    return s.extensions.c_str();
}

BOOL ChoosePixelFormatARB(HDC dc, const int* attributes, const float*, UINT maxFormats,
                          int* formats, UINT* count)
{
    if (count != nullptr)
    {
        *count = 0;
    }
    if (dc == nullptr || attributes == nullptr || formats == nullptr || count == nullptr ||
        maxFormats == 0)
    {
        return FALSE;
    }
    int samples = 0;
    bool sampleBuffers = false;
    for (const int* a = attributes; a[0] != 0; a += 2)
    {
        if (a[0] == WGL_SAMPLES_ARB)
        {
            samples = a[1];
        }
        else if (a[0] == WGL_SAMPLE_BUFFERS_ARB)
        {
            sampleBuffers = a[1] != 0;
        }
    }
    if (!sampleBuffers || samples <= 0)
    {
        formats[0] = kPlainFormat;
        *count = 1;
        return TRUE;
    }
    if (FormatWorks(samples))
    {
        formats[0] = kMultisampleBase + samples;
        *count = 1;
    }
    return TRUE;
}

} // namespace

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor)
{
    if (dc == nullptr || descriptor == nullptr || !Live(dc->window) ||
        DisplayFaulty(DisplayStep::ChoosePixelFormat))
    {
        return 0;
    }
    return kPlainFormat;
}

BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* descriptor)
{
    if (dc == nullptr || descriptor == nullptr || !Live(dc->window) ||
        DisplayFaulty(DisplayStep::SetPixelFormat))
    {
        return FALSE;
    }
    WindowRecord* w = dc->window;
    // A window's pixel format is set once.
    if (w->pixelFormat != 0 || (format != kPlainFormat && format <= kMultisampleBase))
    {
        return FALSE;
    }
    w->pixelFormat = format;
    w->descriptor = *descriptor;
    ApplyFormat(format, *descriptor);

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    const bool popup = (w->style & WS_POPUP) != 0;
    const SDL_DisplayMode* mode = FullscreenMode();
    if (popup && mode != nullptr)
    {
        flags |= SDL_WINDOW_FULLSCREEN;
    }
    else if ((w->style & WS_OVERLAPPEDWINDOW) == WS_OVERLAPPEDWINDOW)
    {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    else if (popup)
    {
        flags |= SDL_WINDOW_BORDERLESS;
    }
    const std::string title = Utf16ToUtf8(w->title.c_str());
    w->sdl = SDL_CreateWindow(title.c_str(), w->x, w->y, w->width, w->height, flags);
    if (w->sdl == nullptr)
    {
        w->pixelFormat = 0;
        return FALSE;
    }
    if ((flags & SDL_WINDOW_FULLSCREEN) != 0)
    {
        SDL_SetWindowDisplayMode(w->sdl, mode);
    }
    if ((w->style & WS_VISIBLE) != 0)
    {
        SDL_ShowWindow(w->sdl);
    }
    return TRUE;
}

BOOL SwapBuffers(HDC dc)
{
    if (dc == nullptr || !Live(dc->window) || dc->window->sdl == nullptr)
    {
        return FALSE;
    }
    SDL_GL_SwapWindow(dc->window->sdl);
    CountPresentedFrame(dc->window);
    if (SDL_GL_GetCurrentContext() != nullptr)
    {
        PaceFrame();
    }
    return TRUE;
}

HGLRC wglCreateContext(HDC dc)
{
    if (dc == nullptr || !Live(dc->window) || dc->window->sdl == nullptr ||
        DisplayFaulty(DisplayStep::CreateContext))
    {
        return nullptr;
    }
    SDL_GLContext context = CreateSharedContext(dc->window);
    if (context == nullptr)
    {
        return nullptr;
    }
    return new ContextRecord{context, dc->window};
}

BOOL wglMakeCurrent(HDC dc, HGLRC context)
{
    if (DisplayFaulty(DisplayStep::MakeCurrent))
    {
        return FALSE;
    }
    SDL_GLContext now = SDL_GL_GetCurrentContext();
    if (now != (context != nullptr ? context->context : nullptr))
    {
        ForgetPacedFrame(now != nullptr);
    }
    if (context == nullptr)
    {
        if (SDL_GL_GetCurrentContext() != nullptr)
        {
            SDL_GL_MakeCurrent(SDL_GL_GetCurrentWindow(), nullptr);
        }
        return TRUE;
    }
    if (dc == nullptr || !Live(dc->window) || dc->window->sdl == nullptr)
    {
        return FALSE;
    }
    return SDL_GL_MakeCurrent(dc->window->sdl, context->context) == 0 ? TRUE : FALSE;
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

BOOL wglDeleteContext(HGLRC context)
{
    if (context == nullptr)
    {
        return FALSE;
    }
    // A reported failure still frees the context: every caller drops its
    // handle after the call, so nothing could free it later.
    const bool fail = DisplayFaulty(DisplayStep::DeleteContext);
    if (SDL_GL_GetCurrentContext() == context->context)
    {
        ForgetPacedFrame(true);
        SDL_GL_MakeCurrent(SDL_GL_GetCurrentWindow(), nullptr);
    }
    SDL_GL_DeleteContext(context->context);
    delete context;
    return fail ? FALSE : TRUE;
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

void (*wglGetProcAddress(const char* name))()
{
    if (name == nullptr)
    {
        return nullptr;
    }
    if (std::strcmp(name, "wglGetExtensionsStringARB") == 0)
    {
        return reinterpret_cast<void (*)()>(&GetExtensionsString);
    }
    if (std::strcmp(name, "wglChoosePixelFormatARB") == 0)
    {
        return reinterpret_cast<void (*)()>(&ChoosePixelFormatARB);
    }
    return GetGLProcAddress(name);
}

} // namespace platform
