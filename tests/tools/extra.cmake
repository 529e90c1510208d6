# datagen_test runs the generator into folders of its own and decodes what it
# wrote with the same libraries the engine uses.
if(TARGET datagen_test AND TARGET datagen)
  add_dependencies(datagen_test datagen)
  target_compile_definitions(datagen_test PRIVATE DATAGEN_EXE="$<TARGET_FILE:datagen>")
  target_link_libraries(datagen_test PRIVATE PkgConfig::MPG123 PkgConfig::PNG JPEG::JPEG)
  # The keyed writer is tested on worst-case pictures of its own as well.
  target_sources(datagen_test PRIVATE ${CMAKE_SOURCE_DIR}/tools/datagen/KeyedJpeg.cpp)
endif()

# capture_test runs sollan-capture and compares its frames with the demo
# harness driving the application in-process at the same times.
if(TARGET capture_test AND TARGET sollan-capture)
  add_dependencies(capture_test sollan-capture)
  target_sources(capture_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/demo/DemoHarness.cpp)
  target_link_libraries(capture_test PRIVATE sollan_capture_core PkgConfig::PNG)
  target_compile_definitions(capture_test PRIVATE CAPTURE_EXE="$<TARGET_FILE:sollan-capture>")
endif()

# bad_data_test runs sollan-capture on data folders with one file broken,
# and the demo itself in a folder where its log cannot be written.
if(TARGET bad_data_test AND TARGET sollan-capture)
  add_dependencies(bad_data_test sollan-capture)
  target_link_libraries(bad_data_test PRIVATE sollan_capture_core)
  target_compile_definitions(bad_data_test PRIVATE CAPTURE_EXE="$<TARGET_FILE:sollan-capture>")
endif()

# capture_outputs_test runs sollan-capture against full disks, FIFOs, links,
# foreign segments and stops.
if(TARGET capture_outputs_test AND TARGET sollan-capture)
  add_dependencies(capture_outputs_test sollan-capture)
  target_compile_definitions(capture_outputs_test PRIVATE CAPTURE_EXE="$<TARGET_FILE:sollan-capture>")
endif()
