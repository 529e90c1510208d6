# Installs the engine from BUILD_DIR into a fresh prefix under WORK_DIR,
# builds the example production in OUTSIDE_DIR against it twice
# (find_package, and the compiler fed by pkg-config) and runs both from
# BUILD_DIR, whose data/ it reads, and each build's capture program for a
# few frames.
# Any step that fails fails the test with what it printed.
foreach(name BUILD_DIR OUTSIDE_DIR WORK_DIR GENERATOR CXX)
  if(NOT DEFINED ${name})
    message(FATAL_ERROR "RunOutside.cmake needs -D${name}=...")
  endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/PackageSteps.cmake)
macro(step what)
  step_in(${BUILD_DIR} "${what}" ${ARGN})
endmacro()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
install_package(${prefix})

# Every header the package installs finds what it includes in the package.
file(GLOB_RECURSE headers ${prefix}/include/MivexGL/*.h)
if(NOT headers)
  message(FATAL_ERROR "no headers under ${prefix}/include/MivexGL")
endif()
foreach(header ${headers})
  file(STRINGS ${header} includes REGEX "^#include \"")
  get_filename_component(here ${header} DIRECTORY)
  foreach(line ${includes})
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" name "${line}")
    if(NOT EXISTS ${prefix}/include/MivexGL/${name} AND NOT EXISTS ${here}/${name})
      message(FATAL_ERROR "${header} includes \"${name}\", which is not installed")
    endif()
  endforeach()
endforeach()

# Nothing a production cannot use: no test seams, no header only the back
# ends include, none of the demo's content, in the headers or the archives.
file(GLOB_RECURSE installed RELATIVE ${prefix}/include/MivexGL ${prefix}/include/MivexGL/*)
foreach(file ${installed})
  if(file MATCHES "(Seams|SeamState|FramePacing|JpegDecoder|PngDecoder|Tarnel)\\.h$"
     OR file MATCHES "^demo/(DemoScene|SollanScene|Resources)\\.")
    message(FATAL_ERROR "the package installs ${file}, which no production can use")
  endif()
endforeach()
file(GLOB_RECURSE archives ${prefix}/*.a)
foreach(archive ${archives})
  file(STRINGS ${archive} demo_symbols REGEX "SollanScene|cDemoScene|Tarnel" LIMIT_COUNT 1)
  if(demo_symbols)
    message(FATAL_ERROR "${archive} holds the demo's content: ${demo_symbols}")
  endif()
endforeach()

# find_package(MivexGL), MivexGL::production and MivexGL::capture.
step("configuring the outside project" ${CMAKE_COMMAND} -S ${OUTSIDE_DIR} -B ${WORK_DIR}/cmake
     -G ${GENERATOR} -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=${CXX}
     -DCMAKE_PREFIX_PATH=${prefix})
step("building the outside project" ${CMAKE_COMMAND} --build ${WORK_DIR}/cmake -j2)
set(window --windowed --size 320x240)
step("running the outside production" ${WORK_DIR}/cmake/outside ${window})
message(STATUS "find_package: ${step_output}")
step("capturing the outside production" ${WORK_DIR}/cmake/outside-capture --to 100 --size 64x48
     --frames ${WORK_DIR}/frames)
if(NOT EXISTS ${WORK_DIR}/frames/frame_000006.png OR EXISTS ${WORK_DIR}/frames/frame_000007.png)
  message(FATAL_ERROR "the capture did not write frames 0 to 6 of 0 to 100 ms at 60 fps")
endif()

# pkg-config mivexgl, straight into the compiler.
pkg_config_flags(${prefix} flags)
step("compiling with pkg-config's flags" ${CXX} -std=c++17 -O1 -Wall -Wextra -Werror
     ${OUTSIDE_DIR}/main.cpp ${flags}
     -o ${WORK_DIR}/app-pkg-config)
step("running the pkg-config build" ${WORK_DIR}/app-pkg-config ${window})
message(STATUS "pkg-config: ${step_output}")
# The capture program links from the same module.
step("compiling the capture with pkg-config's flags" ${CXX} -std=c++17 -O1 -Wall -Wextra -Werror
     ${OUTSIDE_DIR}/capture.cpp ${flags} -o ${WORK_DIR}/capture-pkg-config)
step("capturing with the pkg-config build" ${WORK_DIR}/capture-pkg-config --to 50 --size 64x48
     --frames ${WORK_DIR}/pkg-frames)
if(NOT EXISTS ${WORK_DIR}/pkg-frames/frame_000003.png)
  message(FATAL_ERROR "the pkg-config capture did not write frames 0 to 3 of 0 to 50 ms")
endif()

file(REMOVE_RECURSE ${WORK_DIR})
