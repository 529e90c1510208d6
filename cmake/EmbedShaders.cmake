# A production's own GLSL files compiled into it, one source of truth:
# mivex_embed_shaders(<target> <header> <files>...) writes <header> in the
# current binary folder at build time, again whenever a listed file changes,
# with one MivexGL::cListedShader::Text per file in the namespace glsl: the
# file's text and its absolute path, which a --dev run watches in place of a
# copy. Each is named k and the file name in CamelCase ("present-layer.frag"
# gives glsl::kPresentLayerFrag). The texts are written as bytes, so any
# content survives. Only regular files of up to 1 MiB (what --dev reads) are
# embedded; anything else, and two files that would get one name, stop the
# build with one line naming the file and why. Included by the package's
# config; run with -P by the build, or by hand with MIVEX_EMBED_FILES
# ("a.vert|a.frag", relative to the working folder), to write one header.

set(MIVEX_EMBED_LIMIT 1048576)

# A file name as a C string literal's content: also how it is shown in a
# message, so a line break or an escape sequence in a name stays on one line.
function(_mivex_embed_quote out text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  string(REPLACE "\n" "\\n" text "${text}")
  string(REPLACE "\r" "\\r" text "${text}")
  string(REPLACE "\t" "\\t" text "${text}")
  foreach(code RANGE 1 31)
    string(ASCII ${code} byte)
    if(text MATCHES "[${byte}]")
      math(EXPR high "${code} / 8")
      math(EXPR low "${code} % 8")
      string(REPLACE "${byte}" "\\00${high}${low}" text "${text}")
    endif()
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(_mivex_embed_fail file why)
  _mivex_embed_quote(shown "${file}")
  # The leading space keeps CMake from breaking the line.
  message(FATAL_ERROR " mivex_embed_shaders: ${shown}: ${why}")
endfunction()

# The file's name within its folder. Backslashes are no separators on a POSIX
# host, where they may end a name.
function(_mivex_embed_base out file)
  string(FIND "${file}" "/" slash REVERSE)
  math(EXPR slash "${slash} + 1")
  string(SUBSTRING "${file}" ${slash} -1 base)
  set(${out} "${base}" PARENT_SCOPE)
endfunction()

# file absolute from folder, its text left as it is otherwise.
function(_mivex_embed_absolute out file folder)
  if(CMAKE_HOST_WIN32)
    file(TO_CMAKE_PATH "${file}" file)
  endif()
  if(NOT IS_ABSOLUTE "${file}")
    set(file "${folder}/${file}")
  endif()
  set(${out} "${file}" PARENT_SCOPE)
endfunction()

# A name in CamelCase: "present-layer.frag" gives PresentLayerFrag.
function(mivex_camel_case text out)
  string(REGEX MATCHALL "[A-Za-z0-9]+" parts "${text}")
  set(name "")
  foreach(part ${parts})
    string(SUBSTRING ${part} 0 1 first)
    string(SUBSTRING ${part} 1 -1 rest)
    string(TOUPPER ${first} first)
    string(APPEND name ${first}${rest})
  endforeach()
  set(${out} ${name} PARENT_SCOPE)
endfunction()

# The identifier a file's text gets; stops at a second file wanting one
# already taken (seen: the names taken, and seen_<name> the file that took it).
function(_mivex_embed_name out file)
  _mivex_embed_base(base "${file}")
  mivex_camel_case("${base}" camel)
  set(name k${camel})
  # Each file takes its name and the name of its bytes.
  foreach(taken ${name} ${name}Text)
    if(DEFINED seen_${taken})
      _mivex_embed_quote(other "${seen_${taken}}")
      _mivex_embed_fail("${file}" "gives glsl::${name}, as ${other} does: rename one")
    endif()
    set(seen_${taken} "${file}" PARENT_SCOPE)
  endforeach()
  set(${out} ${name} PARENT_SCOPE)
endfunction()

# Stops unless file is a regular file of at most the limit, without reading it.
function(_mivex_embed_check file)
  if(NOT EXISTS "${file}")
    _mivex_embed_fail("${file}" "no such file")
  elseif(IS_DIRECTORY "${file}")
    _mivex_embed_fail("${file}" "is a folder, not a GLSL file")
  endif()
  if(CMAKE_HOST_UNIX)
    # A FIFO or a device would hang or never end the read.
    execute_process(COMMAND test -f "${file}" RESULT_VARIABLE other)
    if(NOT other EQUAL 0)
      _mivex_embed_fail("${file}" "is no regular file")
    endif()
  endif()
  file(SIZE "${file}" size)
  if(size GREATER MIVEX_EMBED_LIMIT)
    _mivex_embed_fail("${file}" "${size} bytes, more than the ${MIVEX_EMBED_LIMIT} a GLSL file may hold")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED MIVEX_EMBED_HEADER)
  # The function's list of files comes as a script, so a name may hold any
  # byte; one given by hand is split at '|'.
  if(DEFINED MIVEX_EMBED_LIST)
    include("${MIVEX_EMBED_LIST}")
  else()
    set(MIVEX_EMBED_COUNT 0)
    set(rest "${MIVEX_EMBED_FILES}")
    while(NOT rest STREQUAL "")
      string(FIND "${rest}" "|" bar)
      if(bar EQUAL -1)
        set(file "${rest}")
        set(rest "")
      else()
        string(SUBSTRING "${rest}" 0 ${bar} file)
        math(EXPR bar "${bar} + 1")
        string(SUBSTRING "${rest}" ${bar} -1 rest)
      endif()
      if(NOT file STREQUAL "")
        # Watched by --dev from wherever it runs.
        _mivex_embed_absolute(MIVEX_EMBED_FILE_${MIVEX_EMBED_COUNT} "${file}" "${CMAKE_CURRENT_SOURCE_DIR}")
        math(EXPR MIVEX_EMBED_COUNT "${MIVEX_EMBED_COUNT} + 1")
      endif()
    endwhile()
  endif()
  set(body "// Made by mivex_embed_shaders from the GLSL files named below: edit those.\n")
  string(APPEND body "#pragma once\n\n#include \"shaders/ListedShader.h\"\n\nnamespace glsl\n{\n")
  set(index 0)
  while(index LESS MIVEX_EMBED_COUNT)
    set(file "${MIVEX_EMBED_FILE_${index}}")
    math(EXPR index "${index} + 1")
    _mivex_embed_check("${file}")
    _mivex_embed_name(name "${file}")
    # Bounded even where the size said nothing (a file still growing).
    math(EXPR over "${MIVEX_EMBED_LIMIT} + 1")
    file(READ "${file}" hex LIMIT ${over} HEX)
    string(LENGTH "${hex}" length)
    math(EXPR length "${length} / 2")
    if(length GREATER MIVEX_EMBED_LIMIT)
      _mivex_embed_fail("${file}" "more than the ${MIVEX_EMBED_LIMIT} bytes a GLSL file may hold")
    endif()
    # Character literals: a byte past 0x7f is no narrowing then.
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
    string(REGEX REPLACE "(('....',){12})" "\\1\n    " bytes "${bytes}")
    _mivex_embed_quote(path "${file}")
    string(APPEND body "\ninline constexpr char ${name}Text[] = {\n"
           "    ${bytes}0};\n"
           "inline constexpr MivexGL::cListedShader::Text ${name}{${name}Text, \"${path}\"};\n")
  endwhile()
  string(APPEND body "\n} // namespace glsl\n")
  # Written whole beside and renamed: a failed run leaves no header that
  # looks finished.
  file(WRITE "${MIVEX_EMBED_HEADER}.part" "${body}")
  file(RENAME "${MIVEX_EMBED_HEADER}.part" "${MIVEX_EMBED_HEADER}")
  return()
endif()

set(MIVEX_EMBED_SHADERS_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

function(mivex_embed_shaders target header)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${header})
  # Checked now, so a mistake is named before anything builds; the build
  # checks again, as a file may change after.
  set(list "set(MIVEX_EMBED_COUNT 0)\n")
  set(files)
  set(index 0)
  # Each argument as given: a list would split a name at ';'.
  set(argument 2)
  while(argument LESS ARGC)
    _mivex_embed_absolute(file "${ARGV${argument}}" "${CMAKE_CURRENT_SOURCE_DIR}")
    math(EXPR argument "${argument} + 1")
    if(file MATCHES "[\n\r]")
      _mivex_embed_fail("${file}" "holds a line break, which a build tool cannot follow: rename it")
    elseif(file MATCHES ";")
      _mivex_embed_fail("${file}" "holds ';', which a CMake list cannot keep: rename it")
    elseif(file MATCHES "[\\]")
      _mivex_embed_fail("${file}" "holds '\\', which a build tool takes for a folder: rename it")
    endif()
    string(REGEX REPLACE "^[A-Za-z]:/" "" local "${file}")
    if(local MATCHES "[:|]")
      _mivex_embed_fail("${file}" "holds ':' or '|', which a build tool cannot follow: rename it")
    endif()
    _mivex_embed_check("${file}")
    _mivex_embed_name(name "${file}")
    # A bracket argument whose end the name does not hold, after one byte
    # that keeps a leading line break.
    set(equals "")
    while("${file}" MATCHES "]${equals}]")
      string(APPEND equals "=")
    endwhile()
    string(APPEND list "set(MIVEX_EMBED_FILE_${index} [${equals}[|${file}]${equals}])\n"
           "string(SUBSTRING \"\${MIVEX_EMBED_FILE_${index}}\" 1 -1 MIVEX_EMBED_FILE_${index})\n")
    math(EXPR index "${index} + 1")
    list(APPEND files "${file}")
  endwhile()
  string(APPEND list "set(MIVEX_EMBED_COUNT ${index})\n")
  file(WRITE ${output}.files.cmake "${list}")
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DMIVEX_EMBED_HEADER=${output} -DMIVEX_EMBED_LIST=${output}.files.cmake
            -P ${MIVEX_EMBED_SHADERS_SCRIPT}
    DEPENDS ${files} ${MIVEX_EMBED_SHADERS_SCRIPT} ${output}.files.cmake
    COMMENT "Embedding GLSL in ${header}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
  get_target_property(type ${target} TYPE)
  if(NOT type STREQUAL "UTILITY")
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
  endif()
endfunction()
