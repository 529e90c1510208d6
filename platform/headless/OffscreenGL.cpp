// A pbuffer with a current context in the share group, for tools and tests.
#include "platform/OffscreenGL.h"

#include "platform/headless/Egl.h"

namespace platform
{

OffscreenGL::~OffscreenGL()
{
    Destroy();
}

bool OffscreenGL::Create(int width, int height)
{
    Destroy();
    // EGL's "none" handles are null, so Destroy frees whichever half was made.
    window = CreateHeadlessSurface(width, height);
    context = window != nullptr ? CreateHeadlessContext() : nullptr;
    if (context == nullptr)
    {
        Destroy();
        return false;
    }
    return MakeCurrent();
}

void OffscreenGL::Destroy()
{
    if (context != nullptr)
    {
        if (eglGetCurrentContext() == context)
        {
            eglMakeCurrent(HeadlessDisplay(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        }
        eglDestroyContext(HeadlessDisplay(), context);
        context = nullptr;
    }
    if (window != nullptr)
    {
        eglDestroySurface(HeadlessDisplay(), window);
        window = nullptr;
    }
}

bool OffscreenGL::MakeCurrent()
{
    return context != nullptr &&
           eglMakeCurrent(HeadlessDisplay(), window, window, context) == EGL_TRUE;
}

void OffscreenGL::Swap()
{
    if (context != nullptr)
    {
        eglSwapBuffers(HeadlessDisplay(), window);
    }
}

} // namespace platform
