# The headless back end: offscreen desktop GL through EGL on Mesa's
# surfaceless platform (no window, no display server, no SDL), libepoxy and
# GLU for the GL, sound to nowhere, dialogs and message boxes answered with
# their defaults, and the parts it shares with the SDL back end in
# platform/posix/.
# In link order: Dear ImGui's static archive (the shared overlay) needs the
# GL after it; OpenGL is the GL library without the X-bound GLX.
set(MIVEX_PLATFORM_MODULES
    EGL=egl EPOXY=epoxy GLU=glu IMGUI=imgui OPENGL=opengl LIBJPEG=libjpeg PNG=libpng
    MPG123=libmpg123 KISSFFT=kissfft-float FREETYPE=freetype2 FONTCONFIG=fontconfig)
include(${CMAKE_SOURCE_DIR}/platform/posix/Shared.cmake)
set(MIVEX_PLATFORM_HAS_DISPLAY OFF)
