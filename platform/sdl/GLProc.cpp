// Entry-point lookup over SDL's loader, and the context version over libepoxy.
#include "platform/GLProc.h"

#include <SDL.h>
#include <epoxy/gl.h>

namespace platform
{

GLProc GetGLProcAddress(const char* name)
{
    if (name == nullptr || SDL_GL_GetCurrentContext() == nullptr)
    {
        return nullptr;
    }
    return reinterpret_cast<GLProc>(SDL_GL_GetProcAddress(name));
}

int CurrentGLVersion()
{
    if (SDL_GL_GetCurrentContext() == nullptr)
    {
        return 0;
    }
    return epoxy_gl_version();
}

} // namespace platform
