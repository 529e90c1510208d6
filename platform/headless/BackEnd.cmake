# The headless back end: offscreen desktop GL through EGL on Mesa's
# surfaceless platform (no window, no display server, no SDL), libepoxy and
# GLU for the GL, sound to nowhere, and the parts it shares with the SDL back
# end in platform/posix/ (fonts over FreeType and fontconfig, MP3 over
# libmpg123, sockets, paths, the dialog control model and the portable
# picture decoders over libjpeg and libpng).
# Unfinished: platform/posix/ (the SDL back end's portable files, moved out)
# and the dialog test seams are still to come, so choosing it stops here.
message(FATAL_ERROR "MIVEX_PLATFORM=headless: this back end is not finished yet")
file(GLOB MIVEX_HEADLESS_SHARED CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}
     ${CMAKE_SOURCE_DIR}/platform/posix/*.cpp)
list(APPEND MIVEX_PLATFORM_BACKEND ${MIVEX_HEADLESS_SHARED} platform/JpegDecoder.cpp
     platform/PngDecoder.cpp)
# In link order: Dear ImGui's static archive (the shared overlay) needs the
# GL after it.
set(MIVEX_PLATFORM_MODULES
    EGL=egl EPOXY=epoxy GLU=glu IMGUI=imgui OPENGL=opengl LIBJPEG=libjpeg PNG=libpng
    MPG123=libmpg123 KISSFFT=kissfft-float FREETYPE=freetype2 FONTCONFIG=fontconfig)
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
foreach(pair ${MIVEX_PLATFORM_MODULES})
  string(REGEX REPLACE "=.*$" "" prefix ${pair})
  string(REGEX REPLACE "^[^=]*=" "" module ${pair})
  pkg_check_modules(${prefix} REQUIRED IMPORTED_TARGET ${module})
  list(APPEND MIVEX_PLATFORM_LINKS PkgConfig::${prefix})
endforeach()
list(APPEND MIVEX_PLATFORM_LINKS Threads::Threads)
