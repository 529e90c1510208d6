# The SDL2 back end: SDL2 for windows, events, contexts and sound, libepoxy
# and GLU for the GL, FreeType and fontconfig for fonts, Dear ImGui for the
# dialogs, libmpg123 for MP3, and the portable decoders over libjpeg and
# libpng that sit in platform/ itself. Every .cpp in this folder is built;
# the dialogs are DialogModel (the controls, no SDL), Dialog.cpp (the Dear
# ImGui view and modal loop) and DialogSeams.cpp (the tests' input).
list(APPEND MIVEX_PLATFORM_BACKEND platform/JpegDecoder.cpp platform/PngDecoder.cpp)
# What the engine's libraries link, as pkg-config prefixes and modules: the
# installed package finds them again under these names (cmake/Package.cmake).
# In link order: Dear ImGui's static archive needs the GL after it.
set(MIVEX_PLATFORM_MODULES
    SDL2=sdl2 EPOXY=epoxy GLU=glu IMGUI=imgui GL=gl LIBJPEG=libjpeg PNG=libpng
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
