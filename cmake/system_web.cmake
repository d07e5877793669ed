# What the web build (em++) takes that the other systems do not, in one place: the web shell,
# the POSIX file calls (on Emscripten's file system), the glyph triangles the Linux build
# tessellated, the resources compiled in, and the GL and GLU calls answered over WebGL
# (render/webgl/); no SDL, FreeType or FluidSynth, and of the tools only the sound effects'
# recipes, which the page makes its effects from (tools/sfxgen, without its program). Its tests drive the page in a
# browser (tests/page/, tests/e2e/).
if(KF_SANITIZE OR KF_TSAN OR KF_FUZZ)
    message(FATAL_ERROR "The web build has no sanitizers or fuzz targets")
endif()
set(KF_BUILD_TESTS OFF)
set(KF_BUILD_BENCH OFF)
set(KF_PAGE_TESTS ON)

set(KF_SHELL web)
set(KF_FILE_CALLS files_posix.cpp)
# The glyph triangles that `glyphmesh` made on the Linux build (KF_GLYPH_MESH), compiled in.
set(KF_FONT_SOURCES outline_font_web.cpp)
set(KF_FONT_LIBS "")
set(KF_FONT_GLYPH_MESH ON)
# render/webgl/ answers the renderer's GL 1.1 and GLU calls.
set(KF_GL_LIBS kf_gl_web)
set(KF_GL_OVER_WEBGL ON)
set(KF_RESOURCE_SCRIPT OFF)
set(KF_TOOLS sfxgen)
set(KF_PACKAGE_DIR "")
