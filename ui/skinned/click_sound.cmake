# The command buttons' built-in click, a WAV file synthesised in code.
add_library(quorvant_click_sound STATIC ${CMAKE_CURRENT_LIST_DIR}/click_sound.cpp)
target_include_directories(quorvant_click_sound PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(quorvant_click_sound PRIVATE quorvant_warnings)
