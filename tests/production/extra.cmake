# The launch options' test runs both productions' programs.
if(TARGET launch_options_test AND TARGET mivex-showcase)
  add_dependencies(launch_options_test mivex-showcase)
endif()

# The input probe: a production run on a real display and driven from
# outside by the overlay input test. In its own folder, as the app area's
# probe: every loose .cpp in tests/production is linked into each test.
add_executable(input_probe ${CMAKE_CURRENT_SOURCE_DIR}/production/probe/input_probe_main.cpp)
target_compile_options(input_probe PRIVATE ${MIVEX_WARNINGS})
target_link_libraries(input_probe PRIVATE mivex_production)
if(TARGET overlay_input_xvfb_test)
  add_dependencies(overlay_input_xvfb_test input_probe)
endif()
