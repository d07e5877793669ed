# The texture generator suite's portable files, built by the Linux suite and by the Windows
# one (tests/windows/); the Linux suite adds texdump's PNGs and the GL upload.
set(kf_texgen_test_sources
    ${CMAKE_CURRENT_LIST_DIR}/texgen_test_support.cpp
    ${CMAKE_CURRENT_LIST_DIR}/layers_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/random_blend_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/noise_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pixel_filters_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/geometric_filters_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/recipes_test.cpp
)
