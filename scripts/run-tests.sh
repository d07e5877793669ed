#!/bin/sh
# Builds and runs every test: the sanitizer build (unit, render and end-to-end suites),
# the thread-sanitizer build of the music player, the libFuzzer targets, the Windows build
# (cross-compiled with mingw-w64) with its suites and the game under Wine, and the web page
# (Emscripten) with its scenarios in headless chromium.
# The sanitizer build comes first, as the others take its tools; its suites then run while the
# other builds are made beside them (every test that drives a window, Wine or a browser is made
# to stand a busy machine), and the other suites run once their builds are done, the Windows
# ones beside the page's.
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
# The Windows suites and the page's scenarios share nothing (each game has its own display,
# sound server, port and profile), so they run side by side; the Windows output follows the
# page's.
echo "== the page's scenarios in headless chromium (the Windows suites meanwhile, into $logs/windows.log)"
setsid -w ctest --test-dir build/windows --output-on-failure -j "$JOBS" >"$logs/windows.log" 2>&1 &
windows=$!
trap 'kill -s TERM -- "-$windows" 2>/dev/null || true' EXIT
page=0
ctest --test-dir build/web-build --output-on-failure || page=$?
echo "== the Windows suites, the game under Wine"
windows_status=0
wait "$windows" || windows_status=$?
trap - EXIT
cat "$logs/windows.log"
if [ "$page" -ne 0 ] || [ "$windows_status" -ne 0 ]; then
    echo "run-tests: the page's scenarios ($page) or the Windows suites ($windows_status) failed" >&2
    exit 1
fi
