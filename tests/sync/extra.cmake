# The sync process test runs the showcase with its data, and its generator.
if(TARGET sync_process_test AND TARGET mivex-showcase)
  add_dependencies(sync_process_test mivex-showcase)
endif()
