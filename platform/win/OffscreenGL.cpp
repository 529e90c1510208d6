// A hidden window of its own class with a WGL context, for tools and tests
// that draw without showing anything. Depends on platform/OffscreenGL.h and
// platform/win/Native.h.
#include "platform/OffscreenGL.h"

#include "platform/win/Native.h"

namespace platform
{

namespace
{

constexpr wchar_t kClassName[] = L"MivexGL offscreen";

LRESULT CALLBACK OffscreenProc(::HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM lParam)
{
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool EnsureClass(::HINSTANCE instance)
{
    ::WNDCLASSW existing{};
    if (::GetClassInfoW(instance, kClassName, &existing))
    {
        return true;
    }
    ::WNDCLASSW windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = &OffscreenProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    return ::RegisterClassW(&windowClass) != 0;
}

} // namespace

OffscreenGL::~OffscreenGL()
{
    Destroy();
}

bool OffscreenGL::Create(int width, int height)
{
    Destroy();
    ::HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (!EnsureClass(instance))
    {
        return false;
    }
    ::HWND w = ::CreateWindowExW(0, kClassName, L"MivexGL", WS_POPUP, 0, 0, width, height, nullptr,
                                 nullptr, instance, nullptr);
    if (w == nullptr)
    {
        return false;
    }
    window = w;
    ::HDC dc = ::GetDC(w);
    ::HGLRC c = CreateContextWithFormat(dc, 8);
    if (c == nullptr)
    {
        Destroy();
        return false;
    }
    context = c;
    return MakeCurrent();
}

void OffscreenGL::Destroy()
{
    if (context != nullptr)
    {
        if (::wglGetCurrentContext() == static_cast<::HGLRC>(context))
        {
            ::wglMakeCurrent(nullptr, nullptr);
        }
        ::wglDeleteContext(static_cast<::HGLRC>(context));
        context = nullptr;
    }
    if (window != nullptr)
    {
        // The class keeps its own device context; it goes with the window.
        ::DestroyWindow(static_cast<::HWND>(window));
        window = nullptr;
    }
}

bool OffscreenGL::MakeCurrent()
{
    if (context == nullptr)
    {
        return false;
    }
    ::HDC dc = ::GetDC(static_cast<::HWND>(window));
    return ::wglMakeCurrent(dc, static_cast<::HGLRC>(context)) != FALSE;
}

void OffscreenGL::Swap()
{
    if (window != nullptr)
    {
        ::SwapBuffers(::GetDC(static_cast<::HWND>(window)));
    }
}

} // namespace platform
