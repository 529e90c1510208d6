// Window classes, window records, device contexts, pixel formats and the GL
// context calls over the back end's surfaces (WindowTable.h). Depends on the
// shared seam state, frame pacing and libepoxy.
#include "platform/posix/WindowTable.h"

#include "platform/FramePacing.h"
#include "platform/GLProc.h"
#include "platform/SeamState.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace platform
{

namespace
{

struct State
{
    std::map<std::u16string, WNDCLASSW> classes;
    std::set<WindowRecord*> windows;
    std::string extensions;
};

State& S()
{
    static State state;
    return state;
}

const char* GetExtensionsString(HDC)
{
    const char* replaced = nullptr;
    if (WindowExtensionsOverridden(&replaced))
    {
        return replaced;
    }
    // The pixel-format query is ours; multisampling is there when the GL
    // implementation offers it.
    S().extensions = "WGL_ARB_extensions_string WGL_ARB_pixel_format";
    const char* gl =
        AnyContextCurrent() ? reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)) : nullptr;
    if (gl != nullptr && std::strstr(gl, "GL_ARB_multisample") != nullptr)
    {
        S().extensions += " WGL_ARB_multisample";
    }
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
    const int format = !sampleBuffers || samples <= 0 ? kPlainFormat : MultisampleFormat(samples);
    if (format != 0)
    {
        formats[0] = format;
        *count = 1;
    }
    return TRUE;
}

bool HasSurface(HDC dc)
{
    return dc != nullptr && Live(dc->window) && dc->window->surface != nullptr;
}

} // namespace

bool Live(HWND window)
{
    return window != nullptr && S().windows.count(window) != 0;
}

const std::set<WindowRecord*>& LiveWindows()
{
    return S().windows;
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

BOOL AdjustWindowRectEx(RECT* rect, DWORD, BOOL, DWORD)
{
    return rect != nullptr ? TRUE : FALSE;
}

HWND CreateWindowExW(DWORD exStyle, const char16_t* className, const char16_t* title, DWORD style,
                     int x, int y, int width, int height, HWND, void*, HINSTANCE, void*)
{
    if (className == nullptr || DisplayFaulty(DisplayStep::CreateWindow) || !OpenWindowSystem())
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
    if (window->surface != nullptr)
    {
        DestroySurface(*window);
    }
    ForgetPresentedFrames(window);
    S().windows.erase(window);
    delete window;
    return TRUE;
}

HWND SetFocus(HWND window)
{
    return Live(window) ? window : nullptr;
}

BOOL IsWindow(HWND window)
{
    return Live(window) ? TRUE : FALSE;
}

BOOL SetWindowTextW(HWND window, const char16_t* text)
{
    if (!Live(window))
    {
        return FALSE;
    }
    window->title = text != nullptr ? text : u"";
    if (window->surface != nullptr)
    {
        ShowTitle(*window);
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
    if (!CreateSurface(*w))
    {
        w->pixelFormat = 0;
        return FALSE;
    }
    return TRUE;
}

BOOL SwapBuffers(HDC dc)
{
    if (!HasSurface(dc))
    {
        return FALSE;
    }
    SwapSurface(*dc->window);
    CountPresentedFrame(dc->window);
    if (AnyContextCurrent())
    {
        PaceFrame();
    }
    return TRUE;
}

HGLRC wglCreateContext(HDC dc)
{
    if (!HasSurface(dc) || DisplayFaulty(DisplayStep::CreateContext))
    {
        return nullptr;
    }
    return CreateContext(*dc->window);
}

BOOL wglMakeCurrent(HDC dc, HGLRC context)
{
    if (DisplayFaulty(DisplayStep::MakeCurrent))
    {
        return FALSE;
    }
    const bool any = AnyContextCurrent();
    if (context == nullptr ? any : !IsContextCurrent(context))
    {
        ForgetPacedFrame(any);
    }
    if (context == nullptr)
    {
        MakeContextCurrent(nullptr, nullptr);
        return TRUE;
    }
    if (!HasSurface(dc))
    {
        return FALSE;
    }
    return MakeContextCurrent(dc->window, context) ? TRUE : FALSE;
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
    if (IsContextCurrent(context))
    {
        ForgetPacedFrame(true);
        MakeContextCurrent(nullptr, nullptr);
    }
    DeleteContext(context);
    return fail ? FALSE : TRUE;
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
