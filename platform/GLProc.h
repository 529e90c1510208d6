// GL entry-point lookup by name, standing for the window system's
// wglGetProcAddress: the context must be current. A non-null result does not
// prove the driver has the function, so check the extension string first.
#pragma once

namespace platform
{

using GLProc = void (*)();

GLProc GetGLProcAddress(const char* name);

// Version of the current context, as "major * 10 + minor" (21 for 2.1), or 0
// without a current context.
int CurrentGLVersion();

} // namespace platform
