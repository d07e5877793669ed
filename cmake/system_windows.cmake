# What the Windows build (cross-built with mingw-w64) takes that the other systems do not, in
# one place: the Win32 shell, the Windows file calls, glyphs from wglUseFontOutlinesA, the
# resources as the module's own (a resource script), the system's OpenGL and GLU, the
# inspection tools, the zip and installer; no SDL, FreeType, fontconfig or FluidSynth, and no
# sanitizers, benchmarks or fuzzing.
if(KF_SANITIZE OR KF_TSAN OR KF_FUZZ)
    message(FATAL_ERROR "The Windows build has no sanitizers or fuzz targets")
endif()
set(KF_BUILD_BENCH OFF)
enable_language(RC)
# The GL headers include <windows.h> unless these are defined; without it the game's own names
# (GetTickCount, PostMessage) stay clear of the system's. Win32 code includes <windows.h>
# itself.
add_compile_definitions("WINGDIAPI=__declspec(dllimport)" APIENTRY=__stdcall CALLBACK=__stdcall
                        WIN32_LEAN_AND_MEAN NOMINMAX)
if(KF_BUILD_GAME)
    find_package(OpenGL REQUIRED)
    if(NOT TARGET OpenGL::GLU)
        message(FATAL_ERROR "GLU not found (mingw-w64's libglu32)")
    endif()
    # Linked in, as everything Windows programs here use: a Windows machine has no zlib1.dll.
    set(ZLIB_USE_STATIC_LIBS ON)
    find_package(ZLIB REQUIRED)
endif()

set(KF_SHELL win32)
set(KF_FILE_CALLS files_win32.cpp)
set(KF_FONT_SOURCES outline_font_wgl.cpp)
set(KF_FONT_LIBS gdi32)
set(KF_GL_LIBS OpenGL::GL OpenGL::GLU)
set(KF_RESOURCE_SCRIPT ON)
# Windows gets the inspection tools, beside the game; their PNGs deflated with zlib, as the
# build has no libpng.
set(KF_TOOLS texdump smfdump)
set(KF_PNG_WRITER png_write_zlib.cpp)
set(KF_PNG_LIBS ZLIB::ZLIB)
set(KF_TOOL_OUTPUT_DIR ${CMAKE_BINARY_DIR})
set(KF_PACKAGE_DIR desktop/windows)
