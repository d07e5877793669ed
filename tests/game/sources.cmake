# The game-core suite's portable files, built by the Linux suite and by the Windows one
# (tests/windows/); the Linux suite adds the score store's POSIX cases.
set(kf_game_test_sources
    game_test_support.cpp alternation_test.cpp press_test.cpp particles_test.cpp menu_test.cpp
    highscore_test.cpp score_file_test.cpp score_merge_test.cpp)
list(TRANSFORM kf_game_test_sources PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
