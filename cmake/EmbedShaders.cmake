# A production's own GLSL files compiled into it, one source of truth:
# mivex_embed_shaders(<target> <header> <files>...) writes <header> in the
# current binary folder at build time, again whenever a listed file changes,
# with one MivexGL::cListedShader::Text per file in the namespace glsl: the
# file's text and its absolute path, which a --dev run watches in place of a
# copy. Each is named k and the file name in CamelCase ("present-layer.frag"
# gives glsl::kPresentLayerFrag). The texts are written as bytes, so any
# content survives. Included by the package's config; run with -P by the
# build to write one header.

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED MIVEX_EMBED_HEADER)
  string(REPLACE "|" ";" files "${MIVEX_EMBED_FILES}")
  set(body "// Made by mivex_embed_shaders from the GLSL files named below: edit those.\n")
  string(APPEND body "#pragma once\n\n#include \"shaders/ListedShader.h\"\n\nnamespace glsl\n{\n")
  foreach(file ${files})
    get_filename_component(base ${file} NAME)
    string(REGEX MATCHALL "[A-Za-z0-9]+" parts "${base}")
    set(name k)
    foreach(part ${parts})
      string(SUBSTRING ${part} 0 1 first)
      string(SUBSTRING ${part} 1 -1 rest)
      string(TOUPPER ${first} first)
      string(APPEND name ${first}${rest})
    endforeach()
    file(READ ${file} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
    string(REPLACE "\\" "\\\\" path "${file}")
    string(REPLACE "\"" "\\\"" path "${path}")
    string(APPEND body "\n// ${file}\ninline constexpr char ${name}Text[] = {\n    ${bytes}0};\n"
           "inline constexpr MivexGL::cListedShader::Text ${name}{${name}Text, \"${path}\"};\n")
  endforeach()
  string(APPEND body "\n} // namespace glsl\n")
  file(WRITE ${MIVEX_EMBED_HEADER} "${body}")
  return()
endif()

set(MIVEX_EMBED_SHADERS_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

function(mivex_embed_shaders target header)
  set(files)
  foreach(file ${ARGN})
    get_filename_component(path ${file} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND files ${path})
  endforeach()
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${header})
  string(REPLACE ";" "|" joined "${files}")
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DMIVEX_EMBED_HEADER=${output} -DMIVEX_EMBED_FILES=${joined} -P
            ${MIVEX_EMBED_SHADERS_SCRIPT}
    DEPENDS ${files} ${MIVEX_EMBED_SHADERS_SCRIPT}
    COMMENT "Embedding GLSL in ${header}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
  get_target_property(type ${target} TYPE)
  if(NOT type STREQUAL "UTILITY")
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
  endif()
endfunction()
