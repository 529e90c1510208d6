# The Windows back end: USER32, GDI32 and WGL for windows and contexts, WIC
# and OLE for pictures, waveOut and the Audio Compression Manager for sound,
# Winsock for the sync editor, with libepoxy, kissfft and Dear ImGui built
# for the target.
set(MIVEX_PLATFORM_LINKS
    mivex_win_epoxy mivex_win_kissfft mivex_win_imgui glu32 opengl32 gdi32 user32 winmm msacm32
    ole32 oleaut32 uuid windowscodecs ws2_32 Threads::Threads)
