#!/bin/sh
# Builds and runs every test: the sanitizer build (unit, render and end-to-end suites),
# the thread-sanitizer build of the music player, the libFuzzer targets, the Windows build
# (cross-compiled with mingw-w64) with its suites and the game under Wine, and the web page
# (Emscripten) with its scenarios in headless chromium.
set -eu
JOBS=$(nproc 2>/dev/null || echo 2)
# KF_WERROR=ON (as CI sets it) makes every warning an error.
WERROR="-DKF_WERROR=${KF_WERROR:-OFF}"

echo "== sanitizer build (address, undefined)"
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DKF_SANITIZE=ON -DKF_BUILD_BENCH=OFF "$WERROR"
cmake --build build/test -j "$JOBS"
ctest --test-dir build/test --output-on-failure -j "$JOBS"

echo "== thread-sanitizer build (music player tests)"
cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DKF_TSAN=ON -DKF_BUILD_GAME=OFF \
    -DKF_BUILD_BENCH=OFF "$WERROR"
cmake --build build/tsan -j "$JOBS" --target music_tests
ctest --test-dir build/tsan --output-on-failure -j "$JOBS" -L music

echo "== fuzz targets (clang, libFuzzer)"
cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DKF_FUZZ=ON -DKF_BUILD_TESTS=OFF -DKF_BUILD_BENCH=OFF \
    -DKF_BUILD_GAME=OFF "$WERROR"
cmake --build build/fuzz -j "$JOBS"
ctest --test-dir build/fuzz --output-on-failure

echo "== Windows build (mingw-w64), its tests under Wine"
cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DKF_LINUX_TOOLS_DIR="$PWD/build/test/tools" "$WERROR"
cmake --build build/windows -j "$JOBS"
ctest --test-dir build/windows --output-on-failure -j "$JOBS"

echo "== web page (Emscripten, WebGL), its scenarios in headless chromium"
KF_WERROR="${KF_WERROR:-OFF}" sh scripts/build-web.sh "$JOBS" test-page
# The page's picture against renderframe's from the sanitizer build above.
cmake -S . -B build/web-build -DKF_RENDERFRAME="$PWD/build/test/tools/renderframe/renderframe"
ctest --test-dir build/web-build --output-on-failure
