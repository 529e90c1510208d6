# datagen_test runs the generator into folders of its own and decodes what it
# wrote with the same libraries the engine uses.
if(TARGET datagen_test AND TARGET datagen)
  add_dependencies(datagen_test datagen)
  target_compile_definitions(datagen_test PRIVATE DATAGEN_EXE="$<TARGET_FILE:datagen>")
  target_link_libraries(datagen_test PRIVATE PkgConfig::MPG123 PkgConfig::PNG JPEG::JPEG)
endif()
