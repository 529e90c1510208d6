# The engine as a package for other projects: `cmake --install` puts the
# engine's libraries, their headers under include/MivexGL/<layer>/, a CMake
# package (find_package(MivexGL): MivexGL::engine, MivexGL::production,
# MivexGL::capture, mivex_embed_shaders) and mivexgl.pc for pkg-config into
# the prefix. Both include/ and include/MivexGL/ are on the include path: a
# project writes <MivexGL/render/TextureSystem.h>, and the engine's headers
# find their own "render/..." includes. Included at the end of the top CMakeLists.txt,
# after every library exists. The sanitizer and fuzz builds pin a driver into
# every target, so they make no package. The Windows cross build makes the
# engine for Windows: its own libraries (libepoxy, kissfft, Dear ImGui) come
# along, with the toolchain file a production configures with, and no
# pkg-config file.
if(MIVEX_SANITIZE OR MIVEX_FUZZ)
  return()
endif()

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(MIVEX_PACKAGE_VERSION 1.0.0)
# Lowest layer last: the order a static link needs.
set(MIVEX_PACKAGE_LIBRARIES ${MIVEX_ENGINE_PARTS})
list(TRANSFORM MIVEX_PACKAGE_LIBRARIES PREPEND mivex_)
# What the libraries link, as pkg-config prefixes and modules: the prefixes
# name the PkgConfig:: targets the exported libraries refer to. The back end
# names its own (its BackEnd.cmake); the capture writes PNG whichever it is.
set(MIVEX_PACKAGE_MODULES ${MIVEX_PLATFORM_MODULES})
if(TARGET mivex_capture AND NOT "PNG=libpng" IN_LIST MIVEX_PACKAGE_MODULES)
  list(APPEND MIVEX_PACKAGE_MODULES PNG=libpng)
endif()

add_library(mivex_engine INTERFACE)
target_link_libraries(mivex_engine INTERFACE ${MIVEX_PACKAGE_LIBRARIES})
target_compile_features(mivex_engine INTERFACE cxx_std_17)
set_target_properties(mivex_engine PROPERTIES EXPORT_NAME engine)
set(MIVEX_PACKAGE_TARGETS mivex_engine ${MIVEX_PACKAGE_LIBRARIES})
foreach(library ${MIVEX_PACKAGE_LIBRARIES})
  string(REGEX REPLACE "^mivex_" "" short ${library})
  set_target_properties(${library} PROPERTIES EXPORT_NAME ${short})
  target_include_directories(${library} INTERFACE $<INSTALL_INTERFACE:include>)
endforeach()
if(WIN32)
  # A production links as the engine was built: wide-character calls, and
  # the runtimes linked in so the program needs only Windows' own DLLs.
  target_compile_definitions(mivex_platform INTERFACE $<INSTALL_INTERFACE:UNICODE>
                                                      $<INSTALL_INTERFACE:_UNICODE>)
  target_link_options(mivex_platform INTERFACE $<INSTALL_INTERFACE:-static>
                      $<INSTALL_INTERFACE:-static-libgcc> $<INSTALL_INTERFACE:-static-libstdc++>)
endif()

# The capture for any production comes along as MivexGL::capture; its
# headers sit under include/MivexGL/tools/capture/.
if(TARGET mivex_capture)
  set_target_properties(mivex_capture PROPERTIES EXPORT_NAME capture)
  list(APPEND MIVEX_PACKAGE_TARGETS mivex_capture)
  file(GLOB capture_headers ${CMAKE_SOURCE_DIR}/tools/capture/*.h)
  install(FILES ${capture_headers}
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/MivexGL/tools/capture)
endif()

# What the package holds, and nothing else: tools/install.sh builds this.
add_custom_target(mivex_package)
add_dependencies(mivex_package ${MIVEX_PACKAGE_TARGETS})
# The programs the package installs for makers, where this build has them.
foreach(program mivex-tracks)
  if(TARGET ${program})
    add_dependencies(mivex_package ${program})
  endif()
endforeach()

install(TARGETS ${MIVEX_PACKAGE_TARGETS} EXPORT MivexGLTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})

# Every header of the engine's layers (and the tables they include), but
# what a production cannot use: the seams only tests include, the shared
# platform headers only the back ends include, the demo's content and its
# application class.
set(private_headers "/([A-Za-z]*Seams|SeamState|BackEnd|FramePacing|JpegDecoder|PngDecoder)\\.h$")
set(demo_headers ${SOLLAN_CONTENT} app/Tarnel app/Sollan)
list(TRANSFORM demo_headers PREPEND ${CMAKE_SOURCE_DIR}/)
foreach(layer platform log app render shaders effects demo sync production resources)
  file(GLOB headers ${CMAKE_SOURCE_DIR}/${layer}/*.h ${CMAKE_SOURCE_DIR}/${layer}/*.def)
  list(FILTER headers EXCLUDE REGEX ${private_headers})
  foreach(header ${headers})
    string(REGEX REPLACE "\\.(h|def)$" "" stem ${header})
    if(stem IN_LIST demo_headers)
      list(REMOVE_ITEM headers ${header})
    endif()
  endforeach()
  install(FILES ${headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/MivexGL/${layer})
endforeach()

set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/MivexGL)
install(EXPORT MivexGLTargets NAMESPACE MivexGL:: DESTINATION ${config_dir})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/MivexGLConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/package/MivexGLConfig.cmake
                              INSTALL_DESTINATION ${config_dir})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/package/MivexGLConfigVersion.cmake
                                 VERSION ${MIVEX_PACKAGE_VERSION}
                                 COMPATIBILITY SameMajorVersion)
# mivex_embed_shaders and mivex_add_production come along: the config
# includes them.
install(FILES ${CMAKE_BINARY_DIR}/package/MivexGLConfig.cmake
              ${CMAKE_BINARY_DIR}/package/MivexGLConfigVersion.cmake
              ${CMAKE_CURRENT_LIST_DIR}/EmbedShaders.cmake
              ${CMAKE_CURRENT_LIST_DIR}/AddProduction.cmake
              ${CMAKE_CURRENT_LIST_DIR}/MakeRelease.cmake
              ${CMAKE_CURRENT_LIST_DIR}/SceneModuleEntry.cpp
        DESTINATION ${config_dir})

# The examples, each a project a maker copies and builds against this
# package: share/MivexGL/examples/<name>.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/MivexGL/examples)

if(WIN32)
  # The back end's libraries as the config makes them again, and the
  # toolchain a production builds its .exe with, running it under Wine.
  install(FILES ${CMAKE_SOURCE_DIR}/platform/win/Dependencies.cmake
                ${CMAKE_SOURCE_DIR}/cmake/mingw-w64.cmake
          DESTINATION ${config_dir})
  install(PROGRAMS ${CMAKE_SOURCE_DIR}/tools/windows/wine.sh DESTINATION ${config_dir})
  foreach(library ${MIVEX_WIN_DEPENDENCY_LIBRARIES})
    install(FILES ${MIVEX_WIN_DEPS}/lib/${library} DESTINATION ${CMAKE_INSTALL_LIBDIR})
  endforeach()
  foreach(folder ${MIVEX_WIN_DEPENDENCY_HEADERS})
    install(DIRECTORY ${MIVEX_WIN_DEPS}/include/${folder}
            DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  endforeach()
  return()
endif()

# pkg-config: the prefix is found from the .pc file's own place, so the
# package can be installed under any --prefix.
file(RELATIVE_PATH MIVEX_PC_UP /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" MIVEX_PC_UP ${MIVEX_PC_UP})
set(MIVEX_PC_REQUIRES "")
foreach(pair ${MIVEX_PACKAGE_MODULES})
  string(REGEX REPLACE "^[^=]*=" "" module ${pair})
  string(APPEND MIVEX_PC_REQUIRES " ${module}")
endforeach()
string(STRIP "${MIVEX_PC_REQUIRES}" MIVEX_PC_REQUIRES)
# The capture sits above the production framework, so it comes first: a
# capture program links with the one module as any other production does.
set(MIVEX_PC_LIBS "")
set(pc_libraries ${MIVEX_PACKAGE_LIBRARIES})
if(TARGET mivex_capture)
  list(PREPEND pc_libraries mivex_capture)
endif()
foreach(library ${pc_libraries})
  string(APPEND MIVEX_PC_LIBS " -l${library}")
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/mivexgl.pc.in ${CMAKE_BINARY_DIR}/package/mivexgl.pc
               @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/mivexgl.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

