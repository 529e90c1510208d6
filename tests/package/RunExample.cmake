# Installs the engine from BUILD_DIR into a fresh prefix under WORK_DIR and
# builds one of the examples it installs, EXAMPLE (a program of that name
# and <name>-capture, LENGTH ms long), from the installed copy twice: with
# find_package, and by hand as a maker without CMake would, from pkg-config's
# flags, with its GLSL embedded by the package's script into EMBED_HEADER
# and its data/ and tracks/ copied into DATA. Each build's program plays its
# last half second and its capture runs from start to end at 2 frames a
# second; both must end by themselves and say no problem on the way. The
# capture's frame at SAME_AT ms must be, byte for byte, the frame a capture
# started there with --from draws at 60 frames a second: a seek replays
# updates only, and neither it nor the frame rate may change the picture.
foreach(name BUILD_DIR WORK_DIR GENERATOR CXX EXAMPLE LENGTH SAME_AT)
  if(NOT DEFINED ${name})
    message(FATAL_ERROR "RunExample.cmake needs -D${name}=...")
  endif()
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/PackageSteps.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
install_package(${prefix})
set(source ${prefix}/share/MivexGL/examples/${EXAMPLE})
if(NOT EXISTS ${source}/CMakeLists.txt)
  message(FATAL_ERROR "the package holds no example ${EXAMPLE} in ${source}")
endif()

# The program to its end and the whole capture, run in dir; a line tagged as
# the engine tags its problems ("texture: ...", "shader: ...") fails the test.
function(run_to_end dir how)
  math(EXPR near_end "${LENGTH} - 500")
  math(EXPR last "${LENGTH} / 500")
  math(EXPR beyond "${last} + 1")
  foreach(run "program;${EXAMPLE};--windowed;--size;320x240;--from;${near_end}"
              "capture;${EXAMPLE}-capture;--fps;2;--size;160x120;--frames;${dir}/frames"
              "capture from ${SAME_AT} ms;${EXAMPLE}-capture;--from;${SAME_AT};--to;${SAME_AT};--size;160x120;--frames;${dir}/seek")
    list(POP_FRONT run what)
    list(POP_FRONT run program)
    step_in(${dir} "the ${how} ${what}" ${dir}/${program} ${run})
    string(REGEX REPLACE "(^|\n)${EXAMPLE}-capture: wrote " "\\1" said "${step_errors}")
    if(said MATCHES "(^|\n)[a-z][a-z -]*: ")
      message(FATAL_ERROR "the ${how} ${what} reported a problem:\n${step_errors}")
    endif()
  endforeach()
  math(EXPR same "${SAME_AT} / 500")
  foreach(frame ${last} ${beyond} ${same})
    string(LENGTH "00000${frame}" digits)
    math(EXPR cut "${digits} - 6")
    string(SUBSTRING "00000${frame}" ${cut} 6 number)
    set(frame_${frame} ${dir}/frames/frame_${number}.png)
  endforeach()
  if(NOT EXISTS ${frame_${last}} OR EXISTS ${frame_${beyond}})
    message(FATAL_ERROR "the ${how} capture did not write frames 0 to ${last}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${frame_${same}}
                          ${dir}/seek/frame_000000.png RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    message(FATAL_ERROR "the ${how} capture's frame at ${SAME_AT} ms differs from the one "
                        "captured from there at 60 fps: ${frame_${same}}")
  endif()
endfunction()

# find_package(MivexGL), warnings as errors.
set(cmake_dir ${WORK_DIR}/cmake)
step_in(${WORK_DIR} "configuring ${EXAMPLE}" ${CMAKE_COMMAND} -S ${source} -B ${cmake_dir}
        -G ${GENERATOR} -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=${CXX}
        "-DCMAKE_CXX_FLAGS=-Wall -Wextra -Wpedantic -Wshadow -Werror" -DCMAKE_PREFIX_PATH=${prefix})
step_in(${WORK_DIR} "building ${EXAMPLE}" ${CMAKE_COMMAND} --build ${cmake_dir} -j2)
run_to_end(${cmake_dir} find_package)

# pkg-config mivexgl and the package's embedding script, by hand.
set(pc_dir ${WORK_DIR}/pkg-config)
file(MAKE_DIRECTORY ${pc_dir})
file(GLOB glsl ${source}/glsl/*)
if(glsl)
  list(JOIN glsl "|" joined)
  file(GLOB_RECURSE embed_script ${prefix}/EmbedShaders.cmake)
  step_in(${pc_dir} "embedding the GLSL" ${CMAKE_COMMAND} -DMIVEX_EMBED_HEADER=${pc_dir}/${EMBED_HEADER}
          -DMIVEX_EMBED_FILES=${joined} -P ${embed_script})
endif()
foreach(folder data tracks)
  if(EXISTS ${source}/${folder})
    file(COPY ${source}/${folder}/ DESTINATION ${pc_dir}/${DATA})
  endif()
endforeach()
pkg_config_flags(${prefix} flags)
foreach(pair "main;${EXAMPLE}" "capture;${EXAMPLE}-capture")
  list(GET pair 0 file)
  list(GET pair 1 program)
  step_in(${pc_dir} "compiling ${file}.cpp with pkg-config's flags" ${CXX} -std=c++17 -O1 -Wall
          -Wextra -Wpedantic -Wshadow -Werror -I${pc_dir} ${source}/${file}.cpp ${flags}
          -o ${pc_dir}/${program})
endforeach()
run_to_end(${pc_dir} pkg-config)

file(REMOVE_RECURSE ${WORK_DIR})
