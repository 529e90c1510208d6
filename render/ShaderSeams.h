// Test seams of the program base: stand-ins for the context's extension
// string and for the entry-point lookup, so tests can drive the capability
// guard and break single entry points. Only tests include this header; the
// program never calls anything in it. Depends on the platform's GL lookup.
#pragma once

#include "platform/GLProc.h"

namespace MivexGL
{

// Replaces the extension string InitGLSL checks; nullptr restores the real one.
void SetShaderExtensionsOverride(const char* extensions);

// Replaces the entry-point lookup InitGLSL uses; nullptr restores the real one.
using ShaderProcLookup = platform::GLProc (*)(const char* name);
void SetShaderProcLookupOverride(ShaderProcLookup lookup);

} // namespace MivexGL
