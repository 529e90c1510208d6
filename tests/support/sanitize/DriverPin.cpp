// Keeps Mesa's software driver loaded until the process ends, in sanitizer
// builds only. Mesa unloads the driver with its last display, and the leak
// check at exit can then name none of the frames of what the driver keeps, so
// those could not be suppressed by library. Linked into every program of that
// build (the suppressions are in lsan.supp beside it); depends on libdl only.
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
    // Opened before any context exists; the flag survives Mesa's own
    // dlopen and dlclose of the same file.
    if (void* driver = ::dlopen(MIVEX_DRI_DRIVER, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE))
    {
        mivex_driver_pinned = 1;
        static_cast<void>(driver);
    }
}

} // namespace
