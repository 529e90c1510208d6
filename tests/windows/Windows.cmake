# The Windows test programs, run under Wine by ctest through the cross
# build's emulator: the suites shared with Linux that need no SDL of their
# own, the Windows-only programs in this folder (*_test.cpp), and end-to-end
# scripts (*.sh) that run sollan.exe under Wine on the test X server.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_library(mivex_testsupport STATIC ${CMAKE_CURRENT_SOURCE_DIR}/support/Recorders.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/support/StandInEditor.cpp)
target_include_directories(mivex_testsupport PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_options(mivex_testsupport PRIVATE ${MIVEX_WARNINGS})
target_link_libraries(mivex_testsupport PUBLIC mivex_app_core mivex_platform gtest)
target_compile_definitions(mivex_testsupport PUBLIC
  MIVEX_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  MIVEX_BINARY_DIR="${CMAKE_BINARY_DIR}")

# The data folder the Linux build generated; the tests run beside it.
set(MIVEX_WIN_DATA ${CMAKE_SOURCE_DIR}/build/data CACHE PATH "Data folder for the Windows tests")
file(CREATE_LINK ${MIVEX_WIN_DATA} ${CMAKE_BINARY_DIR}/data SYMBOLIC)

# Shared suites that build for the target, by area (the area's helper
# sources come along, as on Linux).
set(win_shared_tests
  app/timer_log_test.cpp
  app/timer_slow_counter_test.cpp
  app/window_system_test.cpp
  shaders/blur_shaders_test.cpp
  shaders/crystal_refraction_test.cpp
  shaders/lighting_build_test.cpp
  shaders/lighting_fragment_test.cpp
  shaders/lighting_vertex_test.cpp
  shaders/program_failure_test.cpp
  shaders/screen_shaders_test.cpp
  demo/scene_framework_test.cpp
  demo/slide_schedule_test.cpp
  demo/demo_timeline_test.cpp
  sync/sync_track_test.cpp
  sync/sync_editor_test.cpp
  production/dev_overlay_test.cpp
  production/live_reload_test.cpp)
set(win_area_libs_app mivex_app_core)
set(win_area_libs_render mivex_render)
set(win_area_libs_shaders mivex_shaders)
set(win_area_libs_demo sollan_app)
set(win_area_libs_sync mivex_sync)
set(win_area_libs_production mivex_production)
set(win_area_libs_windows sollan_app)

function(mivex_win_test test_src area)
  get_filename_component(name ${test_src} NAME_WE)
  set(helpers "")
  if(NOT area STREQUAL "windows")
    file(GLOB helpers ${CMAKE_CURRENT_SOURCE_DIR}/${area}/*.cpp)
    list(FILTER helpers EXCLUDE REGEX "_test\\.cpp$")
  endif()
  add_executable(${name} ${test_src} ${helpers})
  target_compile_options(${name} PRIVATE ${MIVEX_WARNINGS})
  target_link_libraries(${name} PRIVATE ${win_area_libs_${area}} mivex_testsupport gtest_main)
  add_test(NAME win.${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  # One Wine program on the X server at a time: windows are found by caption.
  set_tests_properties(win.${name} PROPERTIES TIMEOUT 600 RESOURCE_LOCK x_display)
endfunction()

foreach(test_src ${win_shared_tests})
  get_filename_component(area ${test_src} DIRECTORY)
  mivex_win_test(${CMAKE_CURRENT_SOURCE_DIR}/${test_src} ${area})
endforeach()

file(GLOB win_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/windows/*_test.cpp)
foreach(test_src ${win_tests})
  mivex_win_test(${test_src} windows)
endforeach()

# The input probe, a production that overlay_input.sh drives under Wine.
add_executable(input_probe ${CMAKE_CURRENT_SOURCE_DIR}/production/probe/input_probe_main.cpp)
target_compile_options(input_probe PRIVATE ${MIVEX_WARNINGS})
target_link_libraries(input_probe PRIVATE mivex_production)

file(GLOB win_scripts CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/windows/*.sh)
foreach(script ${win_scripts})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME win.${name} COMMAND bash ${script} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  # A script missing one of its host tools skips rather than fails.
  set_tests_properties(win.${name} PROPERTIES TIMEOUT 600 RESOURCE_LOCK x_display
    SKIP_RETURN_CODE 77 ENVIRONMENT "SOLLAN_EXE=$<TARGET_FILE:sollan>;WINE_RUN=${CMAKE_SOURCE_DIR}/tools/windows/wine.sh;MIVEX_SOURCE_DIR=${CMAKE_SOURCE_DIR};MIVEX_LINUX_BUILD=${CMAKE_SOURCE_DIR}/build")
endforeach()
