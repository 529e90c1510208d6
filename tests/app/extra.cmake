# The setup probe: a program that shows the setup dialog on a real display,
# driven from outside by the Xvfb test. Kept in its own folder: every loose
# .cpp in tests/app is linked into each app test.
add_executable(setup_probe ${CMAKE_CURRENT_SOURCE_DIR}/app/probe/setup_probe_main.cpp)
target_compile_options(setup_probe PRIVATE ${MIVEX_WARNINGS})
target_link_libraries(setup_probe PRIVATE mivex_app_core)
if(TARGET setup_dialog_xvfb_test)
  add_dependencies(setup_dialog_xvfb_test setup_probe)
endif()
