#!/bin/sh
# Builds the game as a web page into build/web/ (index.html, page.js, page.css, icon.png,
# kesselfass3d.js, kesselfass3d.wasm): first the glyph triangles with the Linux build's own
# tools/glyphmesh (FreeType and the GLU tessellator, which the browser lacks), then the page
# with Emscripten's em++.
#   scripts/build-web.sh [JOBS]
set -eu
JOBS=${1:-2}
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

emcmake cmake -S . -B build/web-build -DCMAKE_BUILD_TYPE=Release "$WERROR" \
    -DKF_GLYPH_MESH="$PWD/build/host/glyph_mesh.bin" -DKF_WEB_DIR="$PWD/build/web"
cmake --build build/web-build -j "$JOBS" --target kesselfass3d
echo "build-web: the page is in build/web/"
