# Any list of files given to mivex_embed_shaders gives a header that compiles
# and holds each file's bytes and absolute path, or stops with one line that
# names the file and why: folders, FIFOs, files past 1 MiB, names no build
# tool can follow and names that would give one identifier twice. Run with
# -DWORK_DIR=... -DEMBED=<cmake/EmbedShaders.cmake> -DGENERATOR=...
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/src/glsl/a ${WORK_DIR}/src/glsl/b ${WORK_DIR}/src/shaders)
# The header's one dependency, as the engine declares it.
file(WRITE ${WORK_DIR}/src/shaders/ListedShader.h
     "#pragma once\nnamespace MivexGL {\nstruct cListedShader {\n"
     "struct Text { const char* text; const char* path; };\n};\n}\n")

# Configures and builds a project embedding files into Out.h: args is the
# call's arguments as written in its CMakeLists.txt, relative to src/.
function(embed result output args)
  file(WRITE ${WORK_DIR}/src/CMakeLists.txt
       "cmake_minimum_required(VERSION 3.18)\nproject(embed CXX)\ninclude(${EMBED})\n"
       "add_executable(show main.cpp)\ntarget_include_directories(show PRIVATE \${CMAKE_SOURCE_DIR})\n"
       "mivex_embed_shaders(show Out.h ${args})\n")
  file(REMOVE_RECURSE ${WORK_DIR}/build)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${WORK_DIR}/src -B ${WORK_DIR}/build -G ${GENERATOR}
                  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(code EQUAL 0)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build RESULT_VARIABLE code
                    OUTPUT_VARIABLE out2 ERROR_VARIABLE err2)
    string(APPEND out "${out2}")
    string(APPEND err "${err2}")
  endif()
  set(${result} ${code} PARENT_SCOPE)
  set(${output} "${out}${err}" PARENT_SCOPE)
endfunction()

function(expect_refused line args)
  embed(code output "${args}")
  if(code EQUAL 0)
    message(FATAL_ERROR "${args} embedded, though it should be refused:\n${output}")
  endif()
  string(FIND "${output}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "no line \"${line}\" for ${args}:\n${output}")
  endif()
endfunction()

function(expect_embedded args)
  embed(code output "${args}")
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "${args} not embedded:\n${output}")
  endif()
endfunction()

file(WRITE ${WORK_DIR}/src/glsl/tint.frag "void main() {}\n")
file(WRITE ${WORK_DIR}/src/main.cpp "int main() { return 0; }\n")

# A folder, a FIFO and a file past the limit, each named with why.
file(MAKE_DIRECTORY ${WORK_DIR}/src/glsl/folder.frag)
expect_refused("${WORK_DIR}/src/glsl/folder.frag: is a folder, not a GLSL file"
               "glsl/tint.frag glsl/folder.frag")
find_program(MKFIFO mkfifo)
if(MKFIFO)
  execute_process(COMMAND ${MKFIFO} ${WORK_DIR}/src/glsl/pipe.frag)
  expect_refused("${WORK_DIR}/src/glsl/pipe.frag: is no regular file" glsl/pipe.frag)
endif()
string(REPEAT "0123456789abcdef" 65536 mib)
file(WRITE ${WORK_DIR}/src/glsl/huge.frag "${mib}x")
expect_refused("glsl/huge.frag: 1048577 bytes, more than the 1048576" glsl/huge.frag)
# Exactly the limit is embedded.
file(WRITE ${WORK_DIR}/src/glsl/huge.frag "${mib}")
expect_embedded(glsl/huge.frag)
# Grown past it after the configure: the build says so.
file(WRITE ${WORK_DIR}/src/glsl/huge.frag "${mib}${mib}")
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build RESULT_VARIABLE code
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
string(FIND "${out}${err}" "glsl/huge.frag: 2097152 bytes, more than" at)
if(code EQUAL 0 OR at EQUAL -1)
  message(FATAL_ERROR "a file grown past the limit was built:\n${out}${err}")
endif()
file(REMOVE ${WORK_DIR}/src/glsl/huge.frag)

# Two files wanting one name.
file(WRITE ${WORK_DIR}/src/glsl/a-b.frag "")
file(WRITE ${WORK_DIR}/src/glsl/a_b.frag "")
expect_refused("glsl/a_b.frag: gives glsl::kABFrag, as ${WORK_DIR}/src/glsl/a-b.frag does"
               "glsl/a-b.frag glsl/a_b.frag")
file(WRITE ${WORK_DIR}/src/glsl/a/tint.frag "")
file(WRITE ${WORK_DIR}/src/glsl/b/tint.frag "")
expect_refused("glsl/b/tint.frag: gives glsl::kTintFrag" "glsl/a/tint.frag glsl/b/tint.frag")

# A line break in a name is shown escaped, on the one line.
file(WRITE "${WORK_DIR}/src/glsl/two\nlines.frag" "")
expect_refused("glsl/two\\nlines.frag: holds a line break" "\"glsl/two\nlines.frag\"")

# Names that broke the header: a trailing backslash (which no build tool
# follows, but a header made by hand holds), ';', '|', quotes, and text with
# bytes past 0x7f. The program prints what the header holds.
foreach(name "back\\" "bar|pipe.frag" "\"quoted\".frag" "utf8.frag")
  file(WRITE "${WORK_DIR}/src/glsl/${name}" "// ${name} é\n")
endforeach()
file(WRITE ${WORK_DIR}/src/main.cpp
     "#include \"Out.h\"\n#include <cstdio>\n#include <cstring>\n"
     "static void Show(const MivexGL::cListedShader::Text& t) {\n"
     "  std::printf(\"[%s] %u\\n\", t.path, unsigned(std::strlen(t.text)));\n}\n"
     "int main() {\n  Show(glsl::kBackFrag);\n  Show(glsl::kBarPipeFrag);\n"
     "  Show(glsl::kQuotedFrag);\n  Show(glsl::kUtf8Frag);\n}\n")
expect_refused("glsl/back\\\\: holds '\\'" [[ glsl/utf8.frag "glsl/back\\" ]])
expect_refused("glsl/semi;colon.frag: holds ';'" [[ glsl/utf8.frag "glsl/semi;colon.frag" ]])
file(WRITE ${WORK_DIR}/src/glsl/back.frag "// back.frag é\n")
expect_refused("glsl/bar|pipe.frag: holds ':' or '|'" [[ "glsl/bar|pipe.frag" ]])
file(RENAME "${WORK_DIR}/src/glsl/bar|pipe.frag" "${WORK_DIR}/src/glsl/bar pipe.frag")
set(bar "bar pipe.frag")
expect_embedded("glsl/back.frag \"glsl/${bar}\" [[glsl/\"quoted\".frag]] glsl/utf8.frag")
execute_process(COMMAND ${WORK_DIR}/build/show RESULT_VARIABLE code OUTPUT_VARIABLE shown)
foreach(name "back.frag" "${bar}" "\"quoted\".frag" "utf8.frag")
  string(REPLACE " " "|" written "${name}")
  string(LENGTH "// ${written} é\n" length)
  string(FIND "${shown}" "[${WORK_DIR}/src/glsl/${name}] ${length}\n" at)
  if(NOT code EQUAL 0 OR at EQUAL -1)
    message(FATAL_ERROR "the header does not hold ${name} whole:\n${shown}")
  endif()
endforeach()

# By hand, relative to the working folder: the path is still absolute, so
# --dev can watch it.
execute_process(COMMAND ${CMAKE_COMMAND} -DMIVEX_EMBED_HEADER=${WORK_DIR}/Hand.h
                        -DMIVEX_EMBED_FILES=glsl/tint.frag|glsl/back\\ -P ${EMBED}
                WORKING_DIRECTORY ${WORK_DIR}/src RESULT_VARIABLE code ERROR_VARIABLE err)
file(READ ${WORK_DIR}/Hand.h hand)
string(FIND "${hand}" "kTintFrag{kTintFragText, \"${WORK_DIR}/src/glsl/tint.frag\"}" at)
string(FIND "${hand}" "kBack{kBackText, \"${WORK_DIR}/src/glsl/back\\\\\"}" at2)
if(NOT code EQUAL 0 OR at EQUAL -1 OR at2 EQUAL -1)
  message(FATAL_ERROR "a header made by hand holds relative paths:\n${err}\n${hand}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
