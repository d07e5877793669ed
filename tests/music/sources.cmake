# The music suite's portable files, built by the Linux suite and by the Windows one
# (tests/windows/); the FluidSynth output's tests are Linux's alone.
set(kf_music_test_sources
    smf_reader_test.cpp stream_fill_test.cpp song_test.cpp stream_output_test.cpp
    midi_player_test.cpp)
list(TRANSFORM kf_music_test_sources PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
