# The music suite's portable files, built by the Linux suite and by the Windows one
# (tests/windows/); the FluidSynth output's tests are Linux's alone.
set(kf_music_test_sources
    ${CMAKE_CURRENT_LIST_DIR}/smf_reader_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/stream_fill_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/song_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/stream_output_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/midi_player_test.cpp
)
