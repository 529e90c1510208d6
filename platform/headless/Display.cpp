// Windows, display modes, pixel formats and GL contexts with no display:
// a window is a record whose surface, made when its pixel format is set, is
// an EGL pbuffer of the asked size. Nothing shows it; SwapBuffers counts and
// paces the frame. Every context joins the root's share group. Depends on
// Egl.h, the shared seam state and frame pacing.
#include "platform/Display.h"

#include "platform/FramePacing.h"
#include "platform/GLProc.h"
#include "platform/SeamState.h"
#include "platform/headless/Egl.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>
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
    EGLSurface surface = EGL_NO_SURFACE;
    WNDPROC proc = nullptr;
    std::u16string title;
    DWORD style = 0;
    int width = 0, height = 0;
    int pixelFormat = 0;
    DeviceRecord dc{nullptr};
};

struct ContextRecord
{
    EGLContext context;
};

namespace
{

constexpr int kPlainFormat = 1;

struct State
{
    std::map<std::u16string, WNDCLASSW> classes;
    std::set<WindowRecord*> windows;
    int cursorCount = 0;
    std::string extensions;
    // What is current, as the window system keeps it per thread.
    WindowRecord* currentWindow = nullptr;
    ContextRecord* currentContext = nullptr;
};

State& S()
{
    static State state;
    return state;
}

bool Live(HWND window)
{
    return window != nullptr && S().windows.count(window) != 0;
}

const char* GetExtensionsString(HDC)
{
    const char* replaced = nullptr;
    if (WindowExtensionsOverridden(&replaced))
    {
        return replaced;
    }
    // No multisample formats here: the program runs without anti-aliasing.
    S().extensions = "WGL_ARB_extensions_string WGL_ARB_pixel_format";
    return S().extensions.c_str();
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
    for (const int* a = attributes; a[0] != 0; a += 2)
    {
        if ((a[0] == WGL_SAMPLE_BUFFERS_ARB || a[0] == WGL_SAMPLES_ARB) && a[1] > 0)
        {
            return TRUE;
        }
    }
    formats[0] = kPlainFormat;
    *count = 1;
    return TRUE;
}

void ReleaseCurrent()
{
    eglMakeCurrent(HeadlessDisplay(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    S().currentWindow = nullptr;
    S().currentContext = nullptr;
}

} // namespace

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

int ChangeDisplaySettingsW(const DEVMODEW* mode, DWORD)
{
    // No screen, so no mode but the desktop's: the program asks for a window.
    if (mode == nullptr)
    {
        return DISP_CHANGE_SUCCESSFUL;
    }
    return DisplayFaulty(DisplayStep::ChangeDisplaySettings) ? DISP_CHANGE_FAILED
                                                             : DISP_CHANGE_BADMODE;
}

int ShowCursor(BOOL show)
{
    S().cursorCount += show ? 1 : -1;
    return S().cursorCount;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD, BOOL, DWORD)
{
    return rect != nullptr ? TRUE : FALSE;
}

HWND CreateWindowExW(DWORD, const char16_t* className, const char16_t* title, DWORD style, int, int,
                     int width, int height, HWND, void*, HINSTANCE, void*)
{
    if (className == nullptr || DisplayFaulty(DisplayStep::CreateWindow) ||
        HeadlessDisplay() == EGL_NO_DISPLAY)
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
    if (S().currentWindow == window)
    {
        ReleaseCurrent();
    }
    if (window->surface != EGL_NO_SURFACE)
    {
        eglDestroySurface(HeadlessDisplay(), window->surface);
    }
    ForgetPresentedFrames(window);
    S().windows.erase(window);
    delete window;
    return TRUE;
}

BOOL ShowWindow(HWND window, int)
{
    return Live(window) ? TRUE : FALSE;
}

BOOL SetForegroundWindow(HWND window)
{
    return Live(window) ? TRUE : FALSE;
}

HWND SetFocus(HWND window)
{
    return Live(window) ? window : nullptr;
}

HWND GetForegroundWindow()
{
    return S().windows.empty() ? nullptr : *S().windows.begin();
}

BOOL SetWindowTextW(HWND window, const char16_t* text)
{
    if (!Live(window))
    {
        return FALSE;
    }
    window->title = text != nullptr ? text : u"";
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
    *width = window->width;
    *height = window->height;
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
    if (w->pixelFormat != 0 || format != kPlainFormat)
    {
        return FALSE;
    }
    w->surface = CreateHeadlessSurface(w->width, w->height);
    if (w->surface == EGL_NO_SURFACE)
    {
        return FALSE;
    }
    w->pixelFormat = format;
    return TRUE;
}

BOOL SwapBuffers(HDC dc)
{
    if (dc == nullptr || !Live(dc->window) || dc->window->surface == EGL_NO_SURFACE)
    {
        return FALSE;
    }
    eglSwapBuffers(HeadlessDisplay(), dc->window->surface);
    CountPresentedFrame(dc->window);
    if (S().currentContext != nullptr)
    {
        PaceFrame();
    }
    return TRUE;
}

HGLRC wglCreateContext(HDC dc)
{
    if (dc == nullptr || !Live(dc->window) || dc->window->surface == EGL_NO_SURFACE ||
        DisplayFaulty(DisplayStep::CreateContext))
    {
        return nullptr;
    }
    EGLContext context = CreateHeadlessContext();
    if (context == EGL_NO_CONTEXT)
    {
        return nullptr;
    }
    return new ContextRecord{context};
}

BOOL wglMakeCurrent(HDC dc, HGLRC context)
{
    if (DisplayFaulty(DisplayStep::MakeCurrent))
    {
        return FALSE;
    }
    if (S().currentContext != context)
    {
        ForgetPacedFrame(S().currentContext != nullptr);
    }
    if (context == nullptr)
    {
        ReleaseCurrent();
        return TRUE;
    }
    if (dc == nullptr || !Live(dc->window) || dc->window->surface == EGL_NO_SURFACE)
    {
        return FALSE;
    }
    if (eglMakeCurrent(HeadlessDisplay(), dc->window->surface, dc->window->surface,
                       context->context) != EGL_TRUE)
    {
        return FALSE;
    }
    S().currentWindow = dc->window;
    S().currentContext = context;
    return TRUE;
}

BOOL wglSwapIntervalEXT(int interval)
{
    if (S().currentContext == nullptr)
    {
        return FALSE;
    }
    return eglSwapInterval(HeadlessDisplay(), interval) == EGL_TRUE ? TRUE : FALSE;
}

int wglGetSwapIntervalEXT()
{
    // A pbuffer waits for no refresh.
    return 0;
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
    if (S().currentContext == context)
    {
        ForgetPacedFrame(true);
        ReleaseCurrent();
    }
    eglDestroyContext(HeadlessDisplay(), context->context);
    delete context;
    return fail ? FALSE : TRUE;
}

HDC wglGetCurrentDC()
{
    return S().currentWindow != nullptr ? &S().currentWindow->dc : nullptr;
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
