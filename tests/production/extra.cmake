# The launch options' test runs both productions' programs.
if(TARGET launch_options_test AND TARGET mivex-showcase)
  add_dependencies(launch_options_test mivex-showcase)
endif()
