# The sync process test runs the showcase with its data, and its generator.
if(TARGET sync_process_test AND TARGET mivex-showcase)
  add_dependencies(sync_process_test mivex-showcase)
endif()
if(TARGET tracks_tool_test AND TARGET mivex-tracks)
  add_dependencies(tracks_tool_test mivex-tracks)
endif()
