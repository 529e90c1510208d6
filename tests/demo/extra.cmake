# The music tests encode their MP3 fixtures with libmp3lame.
file(GLOB music_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/music_*_test.cpp)
foreach(test_src ${music_tests})
  get_filename_component(name ${test_src} NAME_WE)
  target_link_libraries(${name} PRIVATE ${MP3LAME_LIBRARY})
endforeach()
