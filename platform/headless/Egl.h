// The headless back end's one EGL display on Mesa's surfaceless platform
// (no window system, no device), its configuration and the hidden root
// context every GL context shares objects with. Private to this folder.
#pragma once

#include <epoxy/egl.h>

namespace platform
{

// Opens the display on first use; EGL_NO_DISPLAY when there is no EGL.
EGLDisplay HeadlessDisplay();
// An RGBA8 configuration with depth and stencil for desktop GL pbuffers.
EGLConfig HeadlessConfig();
// The share group's root, made on first use; EGL_NO_CONTEXT without GL.
EGLContext HeadlessRootContext();
// A compatibility context in the root's share group (or alone when there is
// no root).
EGLContext CreateHeadlessContext();
// A pbuffer surface of that size; EGL_NO_SURFACE on failure.
EGLSurface CreateHeadlessSurface(int width, int height);

} // namespace platform
