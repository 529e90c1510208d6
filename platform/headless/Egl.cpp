// EGL on Mesa's surfaceless platform: GL with no display server at all.
// Depends on libEGL and Egl.h.
#include "platform/headless/Egl.h"

#include <cstdio>
#include <cstring>

namespace platform
{

namespace
{

struct EglState
{
    bool tried = false;
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLConfig config = nullptr;
    EGLContext root = EGL_NO_CONTEXT;
};

EglState& E()
{
    static EglState state;
    return state;
}

EGLDisplay OpenDisplay()
{
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (clientExtensions == nullptr ||
        std::strstr(clientExtensions, "EGL_MESA_platform_surfaceless") == nullptr)
    {
        std::fprintf(stderr, "[display] EGL has no surfaceless platform\n");
        return EGL_NO_DISPLAY;
    }
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr)
    {
        return EGL_NO_DISPLAY;
    }
    EGLDisplay display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || eglInitialize(display, nullptr, nullptr) != EGL_TRUE)
    {
        std::fprintf(stderr, "[display] the surfaceless EGL display did not start\n");
        return EGL_NO_DISPLAY;
    }
    return display;
}

} // namespace

EGLDisplay HeadlessDisplay()
{
    EglState& e = E();
    if (e.tried)
    {
        return e.display;
    }
    e.tried = true;
    EGLDisplay display = OpenDisplay();
    if (display == EGL_NO_DISPLAY || eglBindAPI(EGL_OPENGL_API) != EGL_TRUE)
    {
        return EGL_NO_DISPLAY;
    }
    const EGLint attributes[] = {EGL_SURFACE_TYPE,
                                 EGL_PBUFFER_BIT,
                                 EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT,
                                 EGL_RED_SIZE,
                                 8,
                                 EGL_GREEN_SIZE,
                                 8,
                                 EGL_BLUE_SIZE,
                                 8,
                                 EGL_ALPHA_SIZE,
                                 8,
                                 EGL_DEPTH_SIZE,
                                 16,
                                 EGL_STENCIL_SIZE,
                                 8,
                                 EGL_NONE};
    EGLint count = 0;
    if (eglChooseConfig(display, attributes, &e.config, 1, &count) != EGL_TRUE || count < 1)
    {
        std::fprintf(stderr, "[display] no EGL configuration for desktop GL pbuffers\n");
        eglTerminate(display);
        return EGL_NO_DISPLAY;
    }
    e.display = display;
    return e.display;
}

EGLConfig HeadlessConfig()
{
    return HeadlessDisplay() != EGL_NO_DISPLAY ? E().config : nullptr;
}

EGLContext HeadlessRootContext()
{
    EglState& e = E();
    if (e.root == EGL_NO_CONTEXT && HeadlessDisplay() != EGL_NO_DISPLAY)
    {
        e.root = eglCreateContext(e.display, e.config, EGL_NO_CONTEXT, nullptr);
    }
    return e.root;
}

EGLContext CreateHeadlessContext()
{
    if (HeadlessDisplay() == EGL_NO_DISPLAY)
    {
        return EGL_NO_CONTEXT;
    }
    EGLContext context = eglCreateContext(E().display, E().config, HeadlessRootContext(), nullptr);
    if (context == EGL_NO_CONTEXT)
    {
        // No share group to join: a context of its own is still a context.
        context = eglCreateContext(E().display, E().config, EGL_NO_CONTEXT, nullptr);
    }
    return context;
}

EGLSurface CreateHeadlessSurface(int width, int height)
{
    if (HeadlessDisplay() == EGL_NO_DISPLAY || width <= 0 || height <= 0)
    {
        return EGL_NO_SURFACE;
    }
    const EGLint attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    return eglCreatePbufferSurface(E().display, E().config, attributes);
}

} // namespace platform
