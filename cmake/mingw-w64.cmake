# Cross-builds the Windows executables with Debian's mingw-w64 (POSIX threads,
# so std::thread and std::mutex work) and runs the target's programs under
# Wine. The Windows package installs it beside MivexGLConfig.cmake, for a
# production's -DCMAKE_TOOLCHAIN_FILE. The target's own libraries (libepoxy, kissfft) come from
# tools/windows/deps.sh, in MIVEX_WIN_DEPS.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Beside it in the installed package, in tools/windows/ in the tree.
foreach(wine ${CMAKE_CURRENT_LIST_DIR}/wine.sh ${CMAKE_CURRENT_LIST_DIR}/../tools/windows/wine.sh)
  if(EXISTS ${wine})
    set(CMAKE_CROSSCOMPILING_EMULATOR ${wine})
    break()
  endif()
endforeach()
# Installed with the Windows package, it finds that package, which the
# search above confined to the cross root would not.
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/MivexGLConfig.cmake)
  set(MivexGL_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE PATH "The MivexGL package for Windows")
endif()
