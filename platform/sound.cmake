# Playing WAV sounds through ALSA on a worker thread.
find_package(ALSA REQUIRED)
find_package(Threads REQUIRED)
add_library(quorvant_sound STATIC
  ${CMAKE_CURRENT_LIST_DIR}/wav_format.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sound_player.cpp
  ${CMAKE_CURRENT_LIST_DIR}/alsa_pcm_output.cpp
)
target_include_directories(quorvant_sound PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(quorvant_sound PUBLIC Threads::Threads PRIVATE ALSA::ALSA quorvant_warnings)
