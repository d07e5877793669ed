# The texture generator suite's portable files, built by the Linux suite and by the Windows
# one (tests/windows/); the Linux suite adds texdump's PNGs and the GL upload.
set(kf_texgen_test_sources
    texgen_test_support.cpp layers_test.cpp random_blend_test.cpp noise_test.cpp
    pixel_filters_test.cpp geometric_filters_test.cpp recipes_test.cpp)
list(TRANSFORM kf_texgen_test_sources PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
