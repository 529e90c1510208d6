# The Windows back end: USER32, GDI32 and WGL for windows and contexts, WIC
# and OLE for pictures, waveOut and the Audio Compression Manager for sound,
# with libepoxy and kissfft built for the target.
set(MIVEX_PLATFORM_LINKS
    mivex_win_epoxy mivex_win_kissfft glu32 opengl32 gdi32 user32 winmm msacm32 ole32 oleaut32
    uuid windowscodecs Threads::Threads)
