# The Windows back end's own libraries, linked in whole: libepoxy (WGL only),
# kissfft (float) and Dear ImGui (its core and Win32 input), as imported
# targets over a prefix that holds lib/ and include/. The tree's build points
# it at tools/windows/deps.sh's prefix; the installed package at its own.
function(mivex_win_dependencies prefix)
  if(TARGET mivex_win_epoxy)
    return()
  endif()
  add_library(mivex_win_epoxy STATIC IMPORTED)
  set_target_properties(mivex_win_epoxy PROPERTIES
    IMPORTED_LOCATION ${prefix}/lib/libepoxy.a
    INTERFACE_INCLUDE_DIRECTORIES ${prefix}/include
    # Linked in, not imported from a DLL.
    INTERFACE_COMPILE_DEFINITIONS "EPOXY_PUBLIC=extern"
    INTERFACE_LINK_LIBRARIES "opengl32;gdi32")
  add_library(mivex_win_kissfft STATIC IMPORTED)
  set_target_properties(mivex_win_kissfft PROPERTIES
    IMPORTED_LOCATION ${prefix}/lib/libkissfft-float.a
    INTERFACE_INCLUDE_DIRECTORIES ${prefix}/include/kissfft
    INTERFACE_COMPILE_DEFINITIONS "kiss_fft_scalar=float")
  add_library(mivex_win_imgui STATIC IMPORTED)
  set_target_properties(mivex_win_imgui PROPERTIES
    IMPORTED_LOCATION ${prefix}/lib/libimgui.a
    INTERFACE_INCLUDE_DIRECTORIES ${prefix}/include/imgui
    INTERFACE_LINK_LIBRARIES "imm32;dwmapi")
endfunction()

# What the package installs of them: the libraries and their headers.
set(MIVEX_WIN_DEPENDENCY_LIBRARIES libepoxy.a libkissfft-float.a libimgui.a)
set(MIVEX_WIN_DEPENDENCY_HEADERS epoxy kissfft imgui)
