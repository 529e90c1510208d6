// GL entry points through EGL, and the current context's version.
#include "platform/GLProc.h"

#include <epoxy/egl.h>
#include <epoxy/gl.h>

namespace platform
{

GLProc GetGLProcAddress(const char* name)
{
    if (name == nullptr)
    {
        return nullptr;
    }
    return reinterpret_cast<GLProc>(eglGetProcAddress(name));
}

int CurrentGLVersion()
{
    return eglGetCurrentContext() != EGL_NO_CONTEXT ? epoxy_gl_version() : 0;
}

} // namespace platform
