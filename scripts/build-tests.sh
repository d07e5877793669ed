#!/bin/sh
# Makes the builds the tests run in, each named on the command line, in the order named:
#   sanitizer  build/test: the game, tools and every Linux suite, under ASan and UBSan
#   tsan       build/tsan: the music player's tests under ThreadSanitizer
#   fuzz       build/fuzz: the libFuzzer targets (clang)
#   windows    build/windows: the game, tools and suites cross-built with mingw-w64
#   web        build/web/ and build/web-test/: the page and the test page (Emscripten)
# windows and web take tools and reference pictures from the sanitizer build, made first.
# KF_WERROR=ON (as CI sets it) makes every warning an error.
#   scripts/build-tests.sh BUILD...
set -eu
JOBS=$(nproc 2>/dev/null || echo 2)
WERROR="-DKF_WERROR=${KF_WERROR:-OFF}"

for build in "$@"; do
    case "$build" in
    sanitizer)
        echo "== sanitizer build (address, undefined)"
        cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DKF_SANITIZE=ON -DKF_BUILD_BENCH=OFF \
            "$WERROR"
        cmake --build build/test -j "$JOBS"
        ;;
    tsan)
        echo "== thread-sanitizer build (music player tests)"
        cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DKF_TSAN=ON -DKF_BUILD_GAME=OFF \
            -DKF_BUILD_BENCH=OFF "$WERROR"
        cmake --build build/tsan -j "$JOBS" --target music_tests
        ;;
    fuzz)
        echo "== fuzz targets (clang, libFuzzer)"
        cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
            -DCMAKE_CXX_COMPILER=clang++ -DKF_FUZZ=ON -DKF_BUILD_TESTS=OFF -DKF_BUILD_BENCH=OFF \
            -DKF_BUILD_GAME=OFF "$WERROR"
        cmake --build build/fuzz -j "$JOBS"
        ;;
    windows)
        echo "== Windows build (mingw-w64)"
        cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
            -DCMAKE_BUILD_TYPE=Release -DKF_LINUX_TOOLS_DIR="$PWD/build/test/tools" "$WERROR"
        cmake --build build/windows -j "$JOBS"
        ;;
    web)
        echo "== web page (Emscripten, WebGL) and the test page"
        KF_WERROR="${KF_WERROR:-OFF}" sh scripts/build-web.sh "$JOBS" test-page
        # The page's picture is compared with renderframe's from the sanitizer build.
        cmake -S . -B build/web-build \
            -DKF_RENDERFRAME="$PWD/build/test/tools/renderframe/renderframe"
        ;;
    *)
        echo "usage: scripts/build-tests.sh sanitizer|tsan|fuzz|windows|web ..." >&2
        exit 2
        ;;
    esac
done
