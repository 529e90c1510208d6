# The SDL2 back end: SDL2 for windows, events, contexts and sound, libepoxy
# and GLU for the GL, FreeType and fontconfig for fonts, Dear ImGui for the
# dialogs, libmpg123 for MP3, and the portable decoders over libjpeg and
# libpng that sit in platform/ itself. Every .cpp in this folder is built;
# the dialogs are DialogModel (the controls, no SDL), Dialog.cpp (the Dear
# ImGui view and modal loop) and DialogSeams.cpp (the tests' input).
list(APPEND MIVEX_PLATFORM_BACKEND platform/JpegDecoder.cpp platform/PngDecoder.cpp)
set(MIVEX_PLATFORM_LINKS
    PkgConfig::SDL2 PkgConfig::EPOXY PkgConfig::GLU PkgConfig::IMGUI OpenGL::GL JPEG::JPEG
    PkgConfig::PNG PkgConfig::MPG123 PkgConfig::KISSFFT PkgConfig::FREETYPE
    PkgConfig::FONTCONFIG Threads::Threads)
