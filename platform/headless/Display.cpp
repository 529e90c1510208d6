// The headless side of the shared windows (platform/posix/WindowTable.h): a
// window's surface, made when its pixel format is set, is an EGL pbuffer of
// the asked size. Nothing shows it; every display mode fits, as there is no
// screen to refuse one, and there is no multisample format. Every context joins the root's share
// group. Depends on Egl.h and the shared seam state.
#include "platform/Display.h"

#include "platform/SeamState.h"
#include "platform/headless/Egl.h"
#include "platform/posix/WindowTable.h"

#include <map>

namespace platform
{

struct ContextRecord
{
    EGLContext context;
};

namespace
{

int cursorCount = 0;
// What a program asked of each window's surface: a pbuffer waits for no
// refresh, but the asked interval is the one it reads back.
std::map<void*, int> swapIntervals;

} // namespace

bool OpenWindowSystem()
{
    return HeadlessDisplay() != EGL_NO_DISPLAY;
}

bool CreateSurface(WindowRecord& window)
{
    EGLSurface surface = CreateHeadlessSurface(window.width, window.height);
    window.surface = surface != EGL_NO_SURFACE ? surface : nullptr;
    return window.surface != nullptr;
}

void DestroySurface(WindowRecord& window)
{
    if (eglGetCurrentSurface(EGL_DRAW) == window.surface)
    {
        MakeContextCurrent(nullptr, nullptr);
    }
    eglDestroySurface(HeadlessDisplay(), window.surface);
    swapIntervals.erase(window.surface);
    window.surface = nullptr;
}

void ShowTitle(WindowRecord&) {}

void SwapSurface(WindowRecord& window)
{
    eglSwapBuffers(HeadlessDisplay(), window.surface);
}

HGLRC CreateContext(WindowRecord&)
{
    EGLContext context = CreateHeadlessContext();
    return context != EGL_NO_CONTEXT ? new ContextRecord{context} : nullptr;
}

bool MakeContextCurrent(WindowRecord* window, HGLRC context)
{
    if (context == nullptr)
    {
        return eglMakeCurrent(HeadlessDisplay(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT) ==
               EGL_TRUE;
    }
    return eglMakeCurrent(HeadlessDisplay(), window->surface, window->surface, context->context) ==
           EGL_TRUE;
}

bool IsContextCurrent(HGLRC context)
{
    return eglGetCurrentContext() == context->context;
}

bool AnyContextCurrent()
{
    return eglGetCurrentContext() != EGL_NO_CONTEXT;
}

void DeleteContext(HGLRC context)
{
    eglDestroyContext(HeadlessDisplay(), context->context);
    delete context;
}

int MultisampleFormat(int)
{
    // No multisample pbuffers: the program runs without anti-aliasing.
    return 0;
}

int ChangeDisplaySettingsW(const DEVMODEW* mode, DWORD)
{
    // No screen, so any mode fits: a fullscreen window is a pbuffer of the
    // mode's size like any other.
    if (mode != nullptr && DisplayFaulty(DisplayStep::ChangeDisplaySettings))
    {
        return DISP_CHANGE_FAILED;
    }
    return DISP_CHANGE_SUCCESSFUL;
}

int ShowCursor(BOOL show)
{
    cursorCount += show ? 1 : -1;
    return cursorCount;
}

BOOL ShowWindow(HWND window, int)
{
    return Live(window) ? TRUE : FALSE;
}

BOOL SetForegroundWindow(HWND window)
{
    return Live(window) ? TRUE : FALSE;
}

HWND GetForegroundWindow()
{
    return LiveWindows().empty() ? nullptr : *LiveWindows().begin();
}

BOOL GetClientSize(HWND window, int* width, int* height)
{
    if (!Live(window) || width == nullptr || height == nullptr)
    {
        return FALSE;
    }
    *width = window->width;
    *height = window->height;
    return TRUE;
}

BOOL wglSwapIntervalEXT(int interval)
{
    if (!AnyContextCurrent() || interval < 0 ||
        eglSwapInterval(HeadlessDisplay(), interval) != EGL_TRUE)
    {
        return FALSE;
    }
    swapIntervals[eglGetCurrentSurface(EGL_DRAW)] = interval;
    return TRUE;
}

int wglGetSwapIntervalEXT()
{
    if (!AnyContextCurrent())
    {
        return 0;
    }
    const auto asked = swapIntervals.find(eglGetCurrentSurface(EGL_DRAW));
    return asked != swapIntervals.end() ? asked->second : 0;
}

HDC wglGetCurrentDC()
{
    EGLSurface current = AnyContextCurrent() ? eglGetCurrentSurface(EGL_DRAW) : EGL_NO_SURFACE;
    for (WindowRecord* w : LiveWindows())
    {
        if (current != EGL_NO_SURFACE && w->surface == current)
        {
            return &w->dc;
        }
    }
    return nullptr;
}

} // namespace platform
