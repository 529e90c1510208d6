# Packs a Windows production for a party's machine, run with -P by the
# target NAME-release (AddProduction.cmake): OUT, a zip holding one folder
# NAME/ with NAME.exe (PROGRAM), its data folder (DATA, when there is one)
# and NAME.txt, the title, length, keys and options the program itself says
# with --help (run through EMULATOR, Wine, when the build is not on
# Windows), and what the machine needs. The zip is written beside OUT and
# renamed over it only once it is whole: a failure leaves an older zip as
# it was.
foreach(name PROGRAM NAME OUT)
  if(NOT DEFINED ${name} OR "${${name}}" STREQUAL "")
    message(FATAL_ERROR "MakeRelease.cmake needs -D${name}=...")
  endif()
endforeach()
if(NOT EXISTS "${PROGRAM}")
  message(FATAL_ERROR "release: no program at ${PROGRAM}")
endif()

# What the program says of itself.
if(EMULATOR)
  set(run ${EMULATOR} ${PROGRAM})
elseif(CMAKE_HOST_WIN32)
  set(run ${PROGRAM})
else()
  message(FATAL_ERROR "release: ${NAME}.exe --help must run to write ${NAME}.txt: "
                      "configure with the package's mingw-w64.cmake, which runs it under Wine")
endif()
execute_process(COMMAND ${run} --help RESULT_VARIABLE code OUTPUT_VARIABLE usage
                ERROR_VARIABLE errors TIMEOUT 300)
string(REPLACE "\r" "" usage "${usage}")
if(NOT code EQUAL 0 OR NOT usage MATCHES "Plays \"([^\n]*)\";" )
  message(FATAL_ERROR "release: ${NAME}.exe --help did not describe it (${code}):\n"
                      "${usage}${errors}")
endif()
set(title "${CMAKE_MATCH_1}")
if(NOT usage MATCHES "\\(0-([0-9]+)\\)")
  message(FATAL_ERROR "release: ${NAME}.exe --help gave no length:\n${usage}")
endif()
math(EXPR minutes "${CMAKE_MATCH_1} / 60000")
math(EXPR seconds "${CMAKE_MATCH_1} / 1000 % 60")
if(seconds LESS 10)
  set(seconds "0${seconds}")
endif()

set(stage "${OUT}.parts")
file(REMOVE_RECURSE "${stage}")
set(folder "${stage}/${NAME}")
file(MAKE_DIRECTORY "${folder}")
file(COPY "${PROGRAM}" DESTINATION "${folder}")
get_filename_component(exe "${PROGRAM}" NAME)
if(NOT exe STREQUAL "${NAME}.exe")
  file(RENAME "${folder}/${exe}" "${folder}/${NAME}.exe")
endif()
set(data_line "")
if(DATA AND IS_DIRECTORY "${DATA}")
  get_filename_component(data_name "${DATA}" NAME)
  file(COPY "${DATA}" DESTINATION "${folder}")
  set(data_line "It finds ${data_name}\\ beside it, from whatever folder it is started.\n")
endif()

string(CONCAT text "${title}\n\n"
       "${NAME}.exe plays \"${title}\", ${minutes}:${seconds} long, made with MivexGL.\n"
       "${data_line}\n"
       "What the machine needs\n"
       "- 64-bit Windows; nothing to install, the program needs only the system's own DLLs.\n"
       "- Graphics drivers with OpenGL 2.1.\n"
       "- A sound output for the music.\n\n"
       "Keys and options, as ${NAME}.exe --help says them\n\n${usage}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${folder}/${NAME}.txt" "${text}")

set(partial "${OUT}.partial")
file(REMOVE "${partial}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf "${partial}" --format=zip "${NAME}"
                WORKING_DIRECTORY "${stage}" RESULT_VARIABLE code ERROR_VARIABLE errors)
# The archive read back: every file must be in it.
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf "${partial}" RESULT_VARIABLE listed
                OUTPUT_VARIABLE listing ERROR_QUIET)
file(GLOB_RECURSE packed RELATIVE "${stage}" "${folder}/*")
set(missing "")
foreach(file ${packed})
  string(FIND "${listing}" "${file}" at)
  if(at EQUAL -1)
    list(APPEND missing "${file}")
  endif()
endforeach()
file(REMOVE_RECURSE "${stage}")
if(NOT code EQUAL 0 OR NOT listed EQUAL 0 OR missing)
  file(REMOVE "${partial}")
  message(FATAL_ERROR "release: could not write ${OUT}: ${errors}${missing}")
endif()
file(RENAME "${partial}" "${OUT}")
message(STATUS "${OUT}: ${NAME}/ with ${NAME}.exe, its data and ${NAME}.txt")
