# texture_budget_test runs sollan-capture on a data folder of hostile
# pictures and measures the child's peak memory.
if(TARGET texture_budget_test AND TARGET sollan-capture)
  add_dependencies(texture_budget_test sollan-capture)
  target_compile_definitions(texture_budget_test PRIVATE CAPTURE_EXE="$<TARGET_FILE:sollan-capture>")
endif()
