# One call per production, the same in this tree and from the installed
# package:
#
#   mivex_add_production(NAME SOURCES <files>... [CAPTURE <files>...]
#                        [GLSL <files>...] [DATA <folder>] [TRACKS <folder>]
#                        [LINKS <targets>...])
#
# makes the program NAME from SOURCES, whose entry is the one named main.cpp,
# and where the engine has a capture (not in a Windows build) NAME-capture
# from CAPTURE and the other SOURCES. GLSL files are embedded into a header
# named after NAME in CamelCase ("my-show" gives MyShowShaders.h) and watched
# in place by --dev. DATA, with TRACKS, is copied into NAME-data/ beside the
# programs at every build (a production whose data is made otherwise names
# no DATA); TRACKS is also where --dev saves the sync keys
# (MIVEX_TRACKS, which RunProduction<Director> reads). In a build made with
# the Windows toolchain, the target NAME-release writes NAME-windows.zip
# beside the programs: a folder NAME/ with NAME.exe, NAME-data/ and NAME.txt.
# Depends on EmbedShaders.cmake (mivex_camel_case too) and the MivexGL::production and
# MivexGL::capture targets.

set(MIVEX_RELEASE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/MakeRelease.cmake)
set(MIVEX_SCENE_ENTRY ${CMAKE_CURRENT_LIST_DIR}/SceneModuleEntry.cpp)
# The engine's libraries, highest layer first: a program whose scenes come
# back as a module holds every one of them whole.
set(MIVEX_ENGINE_PARTS production sync demo effects shaders render app_core log platform)
option(MIVEX_LIVE_CODE "Build each production's scenes as a module that --dev reloads" ON)

# The scene module of a production, and the program's side of it: the
# program exports the engine, whole, and the module holds the production's
# own code only, bound to itself, so its scenes, their inline functions and
# tables are the new ones and every engine call reaches the program's one
# engine.
function(mivex_add_scene_module name program)
  set(module ${name}-scenes)
  add_library(${module} MODULE ${ARGN} ${MIVEX_SCENE_ENTRY})
  target_compile_definitions(${module} PRIVATE MIVEX_SCENE_MODULE main=mivex_scene_main)
  target_include_directories(${module} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  foreach(part ${MIVEX_ENGINE_PARTS})
    target_include_directories(${module} PRIVATE
                               $<TARGET_PROPERTY:MivexGL::${part},INTERFACE_INCLUDE_DIRECTORIES>)
    target_compile_definitions(${module} PRIVATE
                               $<TARGET_PROPERTY:MivexGL::${part},INTERFACE_COMPILE_DEFINITIONS>)
  endforeach()
  # Each load is a new module that unloads: no symbol is shared with a
  # module loaded before (GCC's unique symbols would be, and would pin it).
  target_compile_options(${module} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-fno-gnu-unique>)
  target_link_options(${module} PRIVATE LINKER:-Bsymbolic)
  get_target_property(links ${program} MIVEX_PRODUCTION_LINKS)
  if(links)
    # A library of the production's own (its scenes, say) comes in as its
    # archive alone: what it links of the engine is the program's.
    foreach(link ${links})
      target_include_directories(${module} PRIVATE
                                 $<TARGET_PROPERTY:${link},INTERFACE_INCLUDE_DIRECTORIES>)
      target_link_libraries(${module} PRIVATE $<TARGET_FILE:${link}>)
      add_dependencies(${module} ${link})
    endforeach()
  endif()
  if(DEFINED MIVEX_WARNINGS)
    target_compile_options(${module} PRIVATE ${MIVEX_WARNINGS})
  endif()

  set_target_properties(${program} PROPERTIES ENABLE_EXPORTS ON)
  set(whole "")
  foreach(part ${MIVEX_ENGINE_PARTS})
    list(APPEND whole $<TARGET_FILE:MivexGL::${part}>)
  endforeach()
  target_link_options(${program} PRIVATE LINKER:--whole-archive ${whole}
                      LINKER:--no-whole-archive)
  target_compile_definitions(${program} PRIVATE
    MIVEX_LIVE_MODULE="$<TARGET_FILE:${module}>" MIVEX_LIVE_TARGET="${module}"
    MIVEX_LIVE_BUILD="${CMAKE_BINARY_DIR}" MIVEX_LIVE_SOURCES="${CMAKE_CURRENT_SOURCE_DIR}"
    MIVEX_LIVE_CMAKE="${CMAKE_COMMAND}")
  add_dependencies(${program} ${module})
endfunction()


function(mivex_add_production name)
  cmake_parse_arguments(P "" "DATA;TRACKS" "SOURCES;CAPTURE;GLSL;LINKS" ${ARGN})
  if(NOT P_SOURCES)
    message(FATAL_ERROR "mivex_add_production(${name}): no SOURCES")
  endif()
  if(P_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "mivex_add_production(${name}): what is ${P_UNPARSED_ARGUMENTS}?")
  endif()
  set(shared ${P_SOURCES})
  list(FILTER shared EXCLUDE REGEX "(^|/)main\\.cpp$")
  set(out ${CMAKE_BINARY_DIR})

  set(programs ${name})
  add_executable(${name} ${P_SOURCES})
  target_link_libraries(${name} PRIVATE MivexGL::production ${P_LINKS})
  set_target_properties(${name} PROPERTIES MIVEX_PRODUCTION_LINKS "${P_LINKS}")
  if(WIN32)
    # A windowed program, linked whole: it needs only what Windows has.
    set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE ON)
  endif()
  if(P_CAPTURE AND TARGET MivexGL::capture)
    add_executable(${name}-capture ${P_CAPTURE} ${shared})
    target_link_libraries(${name}-capture PRIVATE MivexGL::capture ${P_LINKS})
    list(APPEND programs ${name}-capture)
  endif()
  set_target_properties(${programs} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${out})
  foreach(program ${programs})
    target_include_directories(${program} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    if(DEFINED MIVEX_WARNINGS)
      target_compile_options(${program} PRIVATE ${MIVEX_WARNINGS})
    endif()
  endforeach()

  # Under --dev the program's scenes come back from a module when their
  # code changes; a Windows build (and so a release) has none.
  if(MIVEX_LIVE_CODE AND NOT WIN32 AND NOT CMAKE_CROSSCOMPILING)
    mivex_add_scene_module(${name} ${name} ${P_SOURCES})
    list(APPEND programs ${name}-scenes)
  endif()

  if(P_GLSL)
    mivex_camel_case(${name} camel)
    add_custom_target(${name}-glsl)
    mivex_embed_shaders(${name}-glsl ${camel}Shaders.h ${P_GLSL})
    foreach(program ${programs})
      add_dependencies(${program} ${name}-glsl)
      target_include_directories(${program} PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
    endforeach()
  endif()

  if(P_TRACKS)
    get_filename_component(tracks ${P_TRACKS} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_definitions(${name} PRIVATE MIVEX_TRACKS="${tracks}")
  endif()
  # Again at every build: pictures and saved keys change between builds.
  set(data ${out}/${name}-data)
  if(P_DATA)
    set(copies "")
    foreach(folder ${P_DATA} ${P_TRACKS})
      get_filename_component(folder ${folder} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
      list(APPEND copies ${folder})
    endforeach()
    add_custom_target(${name}-data COMMAND ${CMAKE_COMMAND} -E make_directory ${data}
                      COMMAND ${CMAKE_COMMAND} -E copy_directory ${copies} ${data} VERBATIM)
    foreach(program ${programs})
      add_dependencies(${program} ${name}-data)
    endforeach()
  endif()

  if(WIN32)
    add_custom_target(${name}-release
      COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${name}> -DNAME=${name}
              -DDATA=${data} -DOUT=${out}/${name}-windows.zip
              "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}" -P ${MIVEX_RELEASE_SCRIPT}
      DEPENDS ${name}
      COMMENT "Packing ${name}-windows.zip"
      VERBATIM)
  endif()
endfunction()
