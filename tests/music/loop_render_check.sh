#!/bin/sh
# Renders the song offline through the game's player and FluidSynth output and measures it:
# looping, the level stays steady across the loop point (no gap); played once, the music ends
# in silence (no stuck notes).
#   loop_render_check.sh PATH/TO/midirender SONG.mid
set -eu
midirender="$1"
song="$2"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

rms() { # FILE START LENGTH
    sox "$1" -n trim "$2" "$3" stat 2>&1 | awk '/RMS +amplitude/ { print $3 }'
}

pass=$("$midirender" "$song" "$dir/loop.wav" --passes 2 | sed -n 's/.* of \([0-9.]*\) s,.*/\1/p')
[ -n "$pass" ] || { echo "FAIL: midirender gave no pass length"; exit 1; }
echo "one pass: $pass s"

levels=""
for step in -8 -7 -6 -5 -4 -3 -2 -1 0 1 2 3 4 5 6 7; do
    start=$(awk -v p="$pass" -v s="$step" 'BEGIN { print p + s * 0.5 }')
    levels="$levels $(rms "$dir/loop.wav" "$start" 0.5)"
done
echo "levels around the loop point (0.5 s windows): $levels"
median=$(echo $levels | tr ' ' '\n' | sort -g | sed -n '8p')
echo "$levels" | awk -v median="$median" '{
    for (i = 1; i <= NF; ++i) { if ($i < 0.4 * median || $i > 2.5 * median) bad = 1 }
    exit bad || median < 0.01 }' || {
    echo "FAIL: the level is not steady across the loop point"
    exit 1
}

"$midirender" "$song" "$dir/once.wav" --passes 1 >/dev/null
end=$(awk -v p="$pass" 'BEGIN { print p + 2 }')
tail=$(rms "$dir/once.wav" "$end" 1)
echo "level 2 s after the end of a single pass: $tail"
echo "$tail" | awk '{ exit !($1 < 0.001) }' || { echo "FAIL: notes still sound"; exit 1; }
echo "PASS"
