# The steps every test of the installed package takes, for the scripts run
# with -P (RunOutside.cmake, RunExample.cmake): a command that must succeed,
# the install into a fresh prefix, and the flags pkg-config gives for it.

# Runs the command in dir; any failure fails the test with what it printed.
# Its standard output and error come back as step_output and step_errors.
function(step_in dir what)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${dir} RESULT_VARIABLE code
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "${what} failed (${code}):\n${out}\n${err}")
  endif()
  set(step_output "${out}" PARENT_SCOPE)
  set(step_errors "${err}" PARENT_SCOPE)
endfunction()

# The engine built in BUILD_DIR into prefix, afresh.
function(install_package prefix)
  file(REMOVE_RECURSE ${prefix})
  step_in(${BUILD_DIR} "installing the engine" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix
          ${prefix})
endfunction()

# pkg-config --cflags --libs mivexgl for the package in prefix, as a list.
function(pkg_config_flags prefix out)
  file(GLOB_RECURSE pc_files ${prefix}/*.pc)
  list(FILTER pc_files INCLUDE REGEX "/mivexgl\\.pc$")
  if(NOT pc_files)
    message(FATAL_ERROR "no mivexgl.pc under ${prefix}")
  endif()
  list(GET pc_files 0 pc_file)
  get_filename_component(pc_dir ${pc_file} DIRECTORY)
  set(ENV{PKG_CONFIG_PATH} ${pc_dir})
  step_in(${prefix} "asking pkg-config" pkg-config --cflags --libs mivexgl)
  separate_arguments(flags UNIX_COMMAND "${step_output}")
  set(${out} ${flags} PARENT_SCOPE)
endfunction()
