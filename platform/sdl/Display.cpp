// Windows, display modes, pixel formats and GL contexts over SDL2.
//
// The window system creates a window first and picks its pixel format
// afterwards; SDL fixes a window's visual at creation. So a window here is a
// record first, and its SDL window is made when its pixel format is set.
#include "platform/Display.h"
#include "platform/SeamState.h"

#include "platform/sdl/DisplayInternal.h"
#include "platform/FramePacing.h"
#include "platform/GLProc.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "platform/Video.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <algorithm>
#include <map>
#include <set>
#include <string>

namespace platform
{

struct DeviceRecord
{
    WindowRecord* window;
};

struct WindowRecord
{
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

struct ContextRecord
{
    SDL_GLContext context;
    WindowRecord* window;
};

namespace
{

// Pixel formats: 1 is the ordinary format; a multisample format is
// kMultisampleBase + its sample count.
constexpr int kPlainFormat = 1;
constexpr int kMultisampleBase = 100;

struct State
{
    std::map<std::u16string, WNDCLASSW> classes;
    std::set<WindowRecord*> windows;
    bool haveMode = false;
    SDL_DisplayMode mode{};
    int cursorCount = 0;
    std::string extensions;
    // The hidden root of the share group every display context joins.
    SDL_Window* rootWindow = nullptr;
    SDL_GLContext rootContext = nullptr;
    bool videoReady = false;
};

State& S()
{
    static State state;
    return state;
}

bool EnsureVideo()
{
    if (!S().videoReady)
    {
        S().videoReady = AcquireVideo();
    }
    return S().videoReady;
}

bool Live(HWND window)
{
    return window != nullptr && S().windows.count(window) != 0;
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

HWND FindWindowBySdlId(std::uint32_t id)
{
    for (WindowRecord* w : S().windows)
    {
        if (w->sdl != nullptr && SDL_GetWindowID(w->sdl) == id)
        {
            return w;
        }
    }
    return nullptr;
}

bool IsWindowMinimised(HWND window)
{
    return Live(window) && window->sdl != nullptr &&
           (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_MINIMIZED) != 0;
}

HINSTANCE GetModuleHandleW(const char16_t*)
{
    static int module;
    return &module;
}

std::uint16_t RegisterClassW(const WNDCLASSW* windowClass)
{
    if (windowClass == nullptr || windowClass->lpszClassName == nullptr ||
        DisplayFaulty(DisplayStep::RegisterClass))
    {
        return 0;
    }
    const std::u16string name(windowClass->lpszClassName);
    if (S().classes.count(name) != 0)
    {
        return 0;
    }
    S().classes[name] = *windowClass;
    return static_cast<std::uint16_t>(0xC000 + S().classes.size());
}

BOOL UnregisterClassW(const char16_t* className, HINSTANCE)
{
    if (className == nullptr || DisplayFaulty(DisplayStep::UnregisterClass))
    {
        return FALSE;
    }
    return S().classes.erase(std::u16string(className)) != 0 ? TRUE : FALSE;
}

int ChangeDisplaySettingsW(const DEVMODEW* mode, DWORD flags)
{
    State& s = S();
    if (mode == nullptr)
    {
        s.haveMode = false;
        for (WindowRecord* w : s.windows)
        {
            if (w->sdl != nullptr && (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_FULLSCREEN) != 0)
            {
                SDL_SetWindowFullscreen(w->sdl, 0);
            }
        }
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (DisplayFaulty(DisplayStep::ChangeDisplaySettings) || !EnsureVideo())
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
    if (EnsureVideo())
    {
        SDL_ShowCursor(S().cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    }
    return S().cursorCount;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD, BOOL, DWORD)
{
    return rect != nullptr ? TRUE : FALSE;
}

HWND CreateWindowExW(DWORD exStyle, const char16_t* className, const char16_t* title, DWORD style,
                     int x, int y, int width, int height, HWND, void*, HINSTANCE, void*)
{
    if (className == nullptr || DisplayFaulty(DisplayStep::CreateWindow) || !EnsureVideo())
    {
        return nullptr;
    }
    auto cls = S().classes.find(std::u16string(className));
    if (cls == S().classes.end())
    {
        return nullptr;
    }
    WindowRecord* w = new WindowRecord;
    w->proc = cls->second.lpfnWndProc;
    w->title = title != nullptr ? title : u"";
    w->style = style;
    w->exStyle = exStyle;
    w->x = x;
    w->y = y;
    w->width = width;
    w->height = height;
    w->dc.window = w;
    S().windows.insert(w);
    // The window learns its size while it is being created.
    if (w->proc != nullptr)
    {
        w->proc(w, WM_SIZE, 0,
                MAKELPARAM(static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height)));
    }
    return w;
}

BOOL DestroyWindow(HWND window)
{
    if (!Live(window) || DisplayFaulty(DisplayStep::DestroyWindow))
    {
        return FALSE;
    }
    if (window->sdl != nullptr)
    {
        if (SDL_GL_GetCurrentWindow() == window->sdl)
        {
            SDL_GL_MakeCurrent(window->sdl, nullptr);
        }
        SDL_DestroyWindow(window->sdl);
    }
    ForgetPresentedFrames(window);
    S().windows.erase(window);
    delete window;
    return TRUE;
}

BOOL ShowWindow(HWND window, int command)
{
    if (!Live(window))
    {
        return FALSE;
    }
    if (window->sdl != nullptr)
    {
        if (command == SW_HIDE)
        {
            SDL_HideWindow(window->sdl);
        }
        else
        {
            SDL_ShowWindow(window->sdl);
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
    if (window->sdl != nullptr)
    {
        SDL_RaiseWindow(window->sdl);
    }
    return TRUE;
}

HWND SetFocus(HWND window)
{
    return Live(window) ? window : nullptr;
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
    return S().windows.empty() ? nullptr : *S().windows.begin();
}

BOOL SetWindowTextW(HWND window, const char16_t* text)
{
    if (!Live(window))
    {
        return FALSE;
    }
    window->title = text != nullptr ? text : u"";
    if (window->sdl != nullptr)
    {
        SDL_SetWindowTitle(window->sdl, Utf16ToUtf8(window->title.c_str()).c_str());
    }
    return TRUE;
}

int GetWindowTextW(HWND window, char16_t* text, int capacity)
{
    if (!Live(window) || text == nullptr || capacity <= 0)
    {
        return 0;
    }
    const int count = std::min(static_cast<int>(window->title.size()), capacity - 1);
    std::copy(window->title.begin(), window->title.begin() + count, text);
    text[count] = u'\0';
    return count;
}

BOOL IsWindow(HWND window)
{
    return Live(window) ? TRUE : FALSE;
}

BOOL GetClientSize(HWND window, int* width, int* height)
{
    if (!Live(window) || width == nullptr || height == nullptr)
    {
        return FALSE;
    }
    if (window->sdl != nullptr)
    {
        SDL_GetWindowSize(window->sdl, width, height);
    }
    else
    {
        *width = window->width;
        *height = window->height;
    }
    return TRUE;
}

HDC GetDC(HWND window)
{
    if (!Live(window) || DisplayFaulty(DisplayStep::GetDC))
    {
        return nullptr;
    }
    return &window->dc;
}

int ReleaseDC(HWND window, HDC dc)
{
    if (!Live(window) || dc != &window->dc || DisplayFaulty(DisplayStep::ReleaseDC))
    {
        return 0;
    }
    return 1;
}

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
    if (popup && S().haveMode)
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
        SDL_SetWindowDisplayMode(w->sdl, &S().mode);
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

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!Live(window) || window->proc == nullptr)
    {
        return 0;
    }
    return window->proc(window, message, wParam, lParam);
}

WNDPROC GetWindowProc(HWND window)
{
    return Live(window) ? window->proc : nullptr;
}

} // namespace platform
