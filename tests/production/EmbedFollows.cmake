# A production's GLSL file edited is the text its next build embeds: a small
# project embeds one file, is built, has the file changed and is built again,
# and the header must hold each text in turn. Run with -DWORK_DIR=...
# -DEMBED=<cmake/EmbedShaders.cmake> -DGENERATOR=...
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/src)
file(WRITE ${WORK_DIR}/src/CMakeLists.txt
     "cmake_minimum_required(VERSION 3.18)\nproject(embed NONE)\ninclude(${EMBED})\n"
     "add_custom_target(embedded ALL)\nmivex_embed_shaders(embedded Glow.h glow-pass.frag)\n")

function(build_with text)
  file(WRITE ${WORK_DIR}/src/glow-pass.frag "${text}")
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build RESULT_VARIABLE code
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "build failed:\n${out}\n${err}")
  endif()
  file(READ ${WORK_DIR}/build/Glow.h header)
  string(HEX "${text}" hex)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  string(REGEX REPLACE "[ \n]" "" flat "${header}")
  string(FIND "${flat}" "kGlowPassFragText[]={${bytes}0};" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "Glow.h does not hold \"${text}\":\n${header}")
  endif()
  string(FIND "${header}" "kGlowPassFrag{kGlowPassFragText, \"${WORK_DIR}/src/glow-pass.frag\"}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "Glow.h does not name its file:\n${header}")
  endif()
endfunction()

file(WRITE ${WORK_DIR}/src/glow-pass.frag "")
execute_process(COMMAND ${CMAKE_COMMAND} -S ${WORK_DIR}/src -B ${WORK_DIR}/build -G ${GENERATOR}
                RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "configure failed:\n${out}\n${err}")
endif()
build_with("void main() { gl_FragColor = vec4(1.0); }\n")
# The same size, so only the content tells the edit.
build_with("void main() { gl_FragColor = vec4(0.5); }\n")
file(REMOVE_RECURSE ${WORK_DIR})
