# The game-core suite's portable files, built by the Linux suite and by the Windows one
# (tests/windows/); the Linux suite adds the score store's POSIX cases.
set(kf_game_test_sources
    ${CMAKE_CURRENT_LIST_DIR}/game_test_support.cpp
    ${CMAKE_CURRENT_LIST_DIR}/alternation_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/press_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/particles_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/menu_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/highscore_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/score_file_test.cpp
)
