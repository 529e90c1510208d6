# The SDL2 back end: SDL2 for windows, events, contexts and sound, libepoxy
# and GLU for the GL, Dear ImGui for the dialogs, and the parts shared with
# the headless back end in platform/posix/ (fonts over FreeType and
# fontconfig, MP3 over libmpg123, sockets, paths, the window records, the
# message queue, the dialog control model and its test seams, the portable
# picture decoders). Every .cpp in this folder is built; the dialogs are
# posix/DialogModel (the controls, no SDL) and Dialog.cpp (the Dear ImGui
# view and modal loop).
# What the engine's libraries link, as pkg-config prefixes and modules: the
# installed package finds them again under these names (cmake/Package.cmake).
# In link order: Dear ImGui's static archive needs the GL after it.
set(MIVEX_PLATFORM_MODULES
    SDL2=sdl2 EPOXY=epoxy GLU=glu IMGUI=imgui GL=gl LIBJPEG=libjpeg PNG=libpng
    MPG123=libmpg123 KISSFFT=kissfft-float FREETYPE=freetype2 FONTCONFIG=fontconfig)
include(${CMAKE_SOURCE_DIR}/platform/posix/Shared.cmake)
