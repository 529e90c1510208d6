// GL entry points by name through wglGetProcAddress, which knows only what
// the driver adds; the OpenGL 1.1 functions come from opengl32's own
// exports. The context version comes from libepoxy. Depends on
// platform/GLProc.h and platform/win/Native.h.
#include "platform/GLProc.h"

#include <epoxy/gl.h>

#include <cstdint>

#include "platform/win/Native.h"

namespace platform
{

GLProc GetGLProcAddress(const char* name)
{
    if (name == nullptr || ::wglGetCurrentContext() == nullptr)
    {
        return nullptr;
    }
    ::PROC proc = ::wglGetProcAddress(name);
    // Some drivers answer small numbers or -1 instead of null for a name
    // they do not have.
    const auto value = reinterpret_cast<std::intptr_t>(proc);
    if (value >= -1 && value <= 3)
    {
        static ::HMODULE openGL = ::LoadLibraryW(L"opengl32.dll");
        proc = openGL != nullptr ? ::GetProcAddress(openGL, name) : nullptr;
    }
    return reinterpret_cast<GLProc>(proc);
}

int CurrentGLVersion()
{
    if (::wglGetCurrentContext() == nullptr)
    {
        return 0;
    }
    return epoxy_gl_version();
}

} // namespace platform
