# What the Linux build takes that the other systems do not, in one place: the SDL2 shell, the
# POSIX file calls, glyphs from FreeType and fontconfig with GLU's tessellator, the resources
# compiled in as byte arrays, the system's OpenGL and GLU, every tool, the Debian install.
find_package(PkgConfig REQUIRED)
if(KF_BUILD_GAME)
    # CMake 3.25's FindOpenGL does not accept GLU as a component; it still makes OpenGL::GLU.
    find_package(OpenGL REQUIRED)
    if(NOT TARGET OpenGL::GLU)
        message(FATAL_ERROR "GLU not found (Debian: libglu1-mesa-dev)")
    endif()
    find_package(SDL2 REQUIRED CONFIG)
    find_package(PNG REQUIRED)
    pkg_check_modules(KF_FONT REQUIRED IMPORTED_TARGET freetype2 fontconfig)
endif()

# The shell's folder, under platform/.
set(KF_SHELL sdl)
# The score store's file primitives, in platform/files/.
set(KF_FILE_CALLS files_posix.cpp)
# The glyph lists' builder, in render/, and what it links.
set(KF_FONT_SOURCES glyph_outlines.cpp glyph_tessellation.cpp outline_font_freetype.cpp)
set(KF_FONT_LIBS PkgConfig::KF_FONT)
# The GL and GLU the renderer and the texture upload draw with.
set(KF_GL_LIBS OpenGL::GL OpenGL::GLU)
# Resources as byte arrays with their own look-up (OFF: the module's own, from a script).
set(KF_RESOURCE_SCRIPT OFF)
# The tools built, their PNG writer (in tools/texdump/) and where the tools go (empty: their
# own folders).
set(KF_TOOLS icongen sfxgen songgen smfdump texdump midirender renderframe glyphmesh)
set(KF_PNG_WRITER png_write_libpng.cpp)
set(KF_PNG_LIBS PNG::PNG)
set(KF_TOOL_OUTPUT_DIR "")
# The folder that installs and packages the game.
set(KF_PACKAGE_DIR desktop)
