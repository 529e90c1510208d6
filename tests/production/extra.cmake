# The launch options' test runs both productions' programs.
if(TARGET launch_options_test AND TARGET mivex-showcase)
  add_dependencies(launch_options_test mivex-showcase)
endif()

# A production's own GLSL, embedded as any production embeds it.
include(${CMAKE_SOURCE_DIR}/cmake/EmbedShaders.cmake)
if(TARGET live_reload_test)
  mivex_embed_shaders(live_reload_test EmbeddedProbe.h ${CMAKE_CURRENT_LIST_DIR}/glsl/probe.vert
                      ${CMAKE_CURRENT_LIST_DIR}/glsl/probe-green.frag)
  target_compile_definitions(live_reload_test PRIVATE MIVEX_EMBEDDED_PROBE)
endif()
add_test(NAME embed_shaders_follow_their_files
         COMMAND ${CMAKE_COMMAND} -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/embed-follows
                 -DEMBED=${CMAKE_SOURCE_DIR}/cmake/EmbedShaders.cmake -DGENERATOR=${CMAKE_GENERATOR}
                 -P ${CMAKE_CURRENT_LIST_DIR}/EmbedFollows.cmake)
add_test(NAME embed_shaders_bounded
         COMMAND ${CMAKE_COMMAND} -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/embed-bounds
                 -DEMBED=${CMAKE_SOURCE_DIR}/cmake/EmbedShaders.cmake -DGENERATOR=${CMAKE_GENERATOR}
                 -P ${CMAKE_CURRENT_LIST_DIR}/EmbedBounds.cmake)

# Live reload under the showcase: every present variant keeps its own text.
if(TARGET mivex_showcase)
  add_executable(live_showcase_test ${CMAKE_CURRENT_LIST_DIR}/showcase/live_showcase_test.cpp
                                    ${CMAKE_SOURCE_DIR}/tests/showcase/ShowcaseHarness.cpp)
  target_compile_options(live_showcase_test PRIVATE ${MIVEX_WARNINGS})
  target_include_directories(live_showcase_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/showcase)
  target_link_libraries(live_showcase_test PRIVATE mivex_showcase mivex_testsupport
                                                   GTest::gtest_main)
  if(TARGET showcase_data_run)
    add_dependencies(live_showcase_test showcase_data_run)
  endif()
  gtest_discover_tests(live_showcase_test
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES ENVIRONMENT SDL_VIDEODRIVER=offscreen
               TIMEOUT 600)
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

# The track probe: a production with sync tracks for the track editor's test.
add_executable(track_probe ${CMAKE_CURRENT_SOURCE_DIR}/production/probe/track_probe_main.cpp)
target_compile_options(track_probe PRIVATE ${MIVEX_WARNINGS})
target_link_libraries(track_probe PRIVATE mivex_production)
if(TARGET track_editor_xvfb_test)
  add_dependencies(track_editor_xvfb_test track_probe)
endif()
if(TARGET mivex_capture)
  add_executable(track_probe_capture
                 ${CMAKE_CURRENT_SOURCE_DIR}/production/probe/track_probe_capture.cpp)
  target_compile_options(track_probe_capture PRIVATE ${MIVEX_WARNINGS})
  target_link_libraries(track_probe_capture PRIVATE mivex_capture)
  if(TARGET track_editor_xvfb_test)
    add_dependencies(track_editor_xvfb_test track_probe_capture)
  endif()
endif()
