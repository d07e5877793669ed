#!/bin/sh
# Builds the game as a web page into build/web/ (index.html with its scripts and style, the web
# app's manifest and icons, the service worker, kesselfass3d.js, kesselfass3d.wasm, and for the
# music music_worklet.js, FluidSynth from npm's js-synthesizer and the TimGM6mb SoundFont
# trimmed to the song): first the glyph triangles with the Linux build's own tools/glyphmesh
# (FreeType and the GLU tessellator, which the browser lacks), then the npm packages with npm ci
# from the committed lock file (js-synthesizer; spessasynth_core, which trims the SoundFont;
# lighthouse for make bench-web), then the page with em++.
# With `test-page`, also the test page (build/web-test/: the same page with the screenshot and
# frame-time modes, ?shot=NAME and ?bench=LENGTH) that the page's tests and make bench-web use.
#   scripts/build-web.sh [JOBS] [test-page]
set -eu
JOBS=${1:-2}
TARGETS=kf_page
if [ "${2:-}" = test-page ]; then
    TARGETS="kf_page kf_test_page"
fi
# Debian's emscripten runs its JavaScript optimiser on the system's node, which finds the
# Debian packages it needs (acorn) only through NODE_PATH when node is not Debian's own.
NODE_PATH="${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs"
export NODE_PATH
WERROR="-DKF_WERROR=${KF_WERROR:-OFF}"

cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Release -DKF_BUILD_TESTS=OFF -DKF_BUILD_BENCH=OFF \
    "$WERROR"
cmake --build build/host --target glyphmesh -j "$JOBS"
# Replaced only when it changed, so that an unchanged tree builds nothing again.
./build/host/tools/glyphmesh/glyphmesh build/host/glyph_mesh.new
if cmp -s build/host/glyph_mesh.new build/host/glyph_mesh.bin; then
    rm build/host/glyph_mesh.new
else
    mv build/host/glyph_mesh.new build/host/glyph_mesh.bin
fi

# npm ci again only when the lock file changed: it empties node_modules first.
mkdir -p build/npm
if ! cmp -s platform/web/package-lock.json build/npm/package-lock.json ||
    [ ! -d build/npm/node_modules/js-synthesizer ] ||
    [ ! -d build/npm/node_modules/spessasynth_core ]; then
    cp platform/web/package.json platform/web/package-lock.json build/npm/
    (cd build/npm && npm ci --no-audit --no-fund)
fi

emcmake cmake -S . -B build/web-build -DCMAKE_BUILD_TYPE=Release "$WERROR" \
    -DKF_GLYPH_MESH="$PWD/build/host/glyph_mesh.bin" -DKF_WEB_DIR="$PWD/build/web" \
    -DKF_WEB_TEST_DIR="$PWD/build/web-test" \
    -DKF_NODE_MODULES="$PWD/build/npm/node_modules"
# shellcheck disable=SC2086
cmake --build build/web-build -j "$JOBS" --target $TARGETS
echo "build-web: the page is in build/web/"
