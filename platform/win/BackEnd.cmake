# The Windows back end: USER32, GDI32 and WGL for windows and contexts, WIC
# and OLE for pictures, waveOut and the Audio Compression Manager for sound,
# Winsock for the sync editor, with libepoxy, kissfft and Dear ImGui built
# for the target by tools/windows/deps.sh and linked in (Dependencies.cmake,
# which the Windows package's config reads too). The package names no
# pkg-config modules.
set(MIVEX_WIN_DEPS ${CMAKE_SOURCE_DIR}/build-win/deps CACHE PATH
    "Prefix of the target's libepoxy and kissfft, shared by every Windows build of this tree")
# Every configure: the script returns at once when its prefix is current,
# and builds what a newer version of it added otherwise.
execute_process(COMMAND ${CMAKE_SOURCE_DIR}/tools/windows/deps.sh ${MIVEX_WIN_DEPS}
                RESULT_VARIABLE deps_result)
if(NOT deps_result EQUAL 0)
  message(FATAL_ERROR "tools/windows/deps.sh failed")
endif()
set(THREADS_PREFER_PTHREAD_FLAG ON)
find_package(Threads REQUIRED)
include(${CMAKE_CURRENT_LIST_DIR}/Dependencies.cmake)
mivex_win_dependencies(${MIVEX_WIN_DEPS})
set(MIVEX_PLATFORM_LINKS
    mivex_win_epoxy mivex_win_kissfft mivex_win_imgui glu32 opengl32 gdi32 user32 winmm msacm32
    ole32 oleaut32 uuid windowscodecs ws2_32 Threads::Threads)
