// Keeps Mesa's software driver and the GL libraries SDL opens loaded until
// the process ends, in sanitizer builds only. SDL and Mesa unload them when
// the last context goes, and the leak check at exit could then name none of
// the frames of what they keep, so those could not be suppressed by library
// (lsan.supp beside this file). Linked into every program of that build;
// depends on libdl only.
#include <dlfcn.h>

extern "C"
{
    // Referenced from the link line so the archive member is always taken.
    int mivex_driver_pinned = 0;
}

namespace
{

__attribute__((constructor)) void PinDriver()
{
    // Opened before any context exists; the flag survives the libraries'
    // own dlopen and dlclose of the same files. Missing ones are skipped.
    const char* const libraries[] = {MIVEX_DRI_DRIVER,     "libEGL.so.1",  "libEGL_mesa.so.0",
                                     "libGL.so.1",         "libGLX.so.0",  "libGLX_mesa.so.0",
                                     "libGLdispatch.so.0", "libglapi.so.0"};
    for (const char* library : libraries)
    {
        if (::dlopen(library, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE) != nullptr)
        {
            ++mivex_driver_pinned;
        }
    }
}

} // namespace
