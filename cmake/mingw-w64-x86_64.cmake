# Cross-compiling the Windows game on Linux with Debian's mingw-w64 (the posix thread model,
# which std::thread and std::mutex need). Everything is linked statically, so the programs
# need nothing but the DLLs that come with Windows.
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(kf_mingw_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${kf_mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${kf_mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${kf_mingw_prefix}-windres)

# Libraries and headers come from the mingw-w64 tree only, never from the Linux host.
set(CMAKE_FIND_ROOT_PATH /usr/${kf_mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine on the build machine.
find_program(KF_WINE wine)
if(KF_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${KF_WINE})
endif()
