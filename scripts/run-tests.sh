#!/bin/sh
# Builds and runs every test: the sanitizer build (unit, render and end-to-end suites),
# the thread-sanitizer build of the music player, the libFuzzer targets, the Windows build
# (cross-compiled with mingw-w64) with its suites and the game under Wine, and the web page
# (Emscripten) with its scenarios in headless chromium.
# The sanitizer build comes first, as the others take its tools; its suites then run while the
# other builds are made beside them (every test that drives a window, Wine or a browser is made
# to stand a busy machine), and the other suites run once their builds are done.
set -eu
JOBS=$(nproc 2>/dev/null || echo 2)
logs=build/test-logs
mkdir -p "$logs"

sh scripts/build-tests.sh sanitizer

# A session of its own, so that the whole build goes when this script ends early.
setsid -w sh scripts/build-tests.sh tsan fuzz windows web >"$logs/builds.log" 2>&1 &
builds=$!
trap 'kill -s TERM -- "-$builds" 2>/dev/null || true' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

echo "== the sanitizer build's suites (the other builds meanwhile, into $logs/builds.log)"
ctest --test-dir build/test --output-on-failure -j "$JOBS"

echo "== the other builds"
built=0
wait "$builds" || built=$?
trap - EXIT
cat "$logs/builds.log"
if [ "$built" -ne 0 ]; then
    echo "run-tests: a build failed ($built); its output is above" >&2
    exit "$built"
fi

echo "== the music player's tests under ThreadSanitizer"
ctest --test-dir build/tsan --output-on-failure -j "$JOBS" -L music
echo "== the fuzz targets"
ctest --test-dir build/fuzz --output-on-failure
echo "== the Windows suites, the game under Wine"
ctest --test-dir build/windows --output-on-failure -j "$JOBS"
echo "== the page's scenarios in headless chromium"
ctest --test-dir build/web-build --output-on-failure
