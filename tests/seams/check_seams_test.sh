#!/bin/sh
# The seam check on a made-up tree: every crossing it holds is reported with its file and
# line, nothing else is, and the same tree without them passes.
#   check_seams_test.sh CHECK_SEAMS_SCRIPT
set -eu

check="$1"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/resources" "$tree/game" "$tree/texgen" "$tree/music" "$tree/render" \
    "$tree/platform/files" "$tree/tools"

# put FILE LINE...: writes the lines into the tree's FILE.
put() {
    file="$tree/$1"
    shift
    printf '%s\n' "$@" >"$file"
}

# Files that keep to their seams.
put resources/lookup.cpp '#include "resources/embedded_resources.h"' '#include <cstring>'
put game/local.h '#pragma once'
put game/state.cpp '#include "game/game_state.h"' '#include "local.h"' '#include <vector>' \
    '#  include <stdint.h>' '// #include <SDL.h> in a comment'
put texgen/texture_upload.cpp '#include "texgen/texture_upload.h"' '#include <GL/gl.h>' \
    '#include <GL/glu.h>'
put music/load.cpp '#include "music/midi_player.h"' '#include "resources/embedded_resources.h"'
put render/glyphs.cpp '#include <ft2build.h>' '#include FT_FREETYPE_H' \
    '#include <fontconfig/fontconfig.h>' '#include <windows.h>' '#include <GL/glu.h>' \
    '#include "game/game_state.h"' '#include "texgen/texture_upload.h"'
put platform/main.cpp '#include <SDL.h>' '#include <fluidsynth.h>' '#include "render/render.h"' \
    '#include "music/midi_player.h"' '#include "resources/embedded_resources.h"'
put platform/files/files_posix.cpp '#include "game/file_calls.h"' '#include <fcntl.h>' \
    '#include <sys/stat.h>' '#include <unistd.h>' '#include <cerrno>'
put platform/files/files_win32.cpp '#include "game/file_calls.h"' '#include <windows.h>'
put tools/tool.cpp '#include <SDL.h>' '#include "platform/key_map.h"'

if ! output=$(sh "$check" "$tree" 2>&1); then
    echo "FAIL: a tree that keeps to its seams was refused:"
    echo "$output"
    exit 1
fi

# Crossings, each where a line below expects it.
put resources/bad.cpp '#include "game/game_state.h"'
put game/bad.cpp '#include <SDL.h>' '#include "render/render.h"' '#  include <unistd.h>' \
    '#include "../render/render.h"' '#include "unistd.h"' '#include SOME_HEADER' \
    '#include <SDL2/SDL.h>' '#include <GL/gl.h>' '#include <fluidsynth.h>'
put game/score_store_posix.cpp '#include "game/score_store.h"' '#include <fcntl.h>'
put texgen/noise.cpp '#include <vector>' '#include <GL/gl.h>'
put music/bad.h '#pragma once' '#include "render/render.h"' '#include <SDL.h>'
put render/bad.cpp '#include "platform/game_window.h"' '#include "music/midi_player.h"' \
    '#include <SDL.h>' '#include "resources/embedded_resources.h"'
put platform/bad.cpp '#include "tools/renderframe/render_harness.h"' '#include "tests/x.h"'
put platform/files/bad.cpp '#include "game/file_calls.h"' '#include <SDL.h>' \
    '#include "render/render.h"' '#include <unistd.h>'

expected="game/bad.cpp:1 game/bad.cpp:2 game/bad.cpp:3 game/bad.cpp:4 game/bad.cpp:5
game/bad.cpp:6 game/bad.cpp:7 game/bad.cpp:8 game/bad.cpp:9 game/score_store_posix.cpp:2
music/bad.h:2 music/bad.h:3 platform/bad.cpp:1 platform/bad.cpp:2 platform/files/bad.cpp:2
platform/files/bad.cpp:3 render/bad.cpp:1 render/bad.cpp:2 render/bad.cpp:3 render/bad.cpp:4
resources/bad.cpp:1 texgen/noise.cpp:2"

status=0
output=$(sh "$check" "$tree" 2>&1) || status=$?
found=$(echo "$output" | sed -n 's/^\([a-z_/]*\.[a-z]*:[0-9]*\): .*/\1/p' | tr '\n' ' ')
want=$(echo "$expected" | tr '\n' ' ')
if [ "$status" -ne 1 ] || [ "$found" != "$want" ]; then
    echo "FAIL: exit status $status; expected crossings at"
    echo "  $want"
    echo "reported:"
    echo "$output"
    exit 1
fi
echo "PASS"
