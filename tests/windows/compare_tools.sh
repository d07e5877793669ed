#!/bin/sh
# The Windows texdump.exe and smfdump.exe under Wine against the Linux texdump and smfdump:
# the same raw textures byte for byte, PNGs with the same pixels, and the same stream buffers
# (line endings aside) over the MIDI test corpus, damaged files included.
#   compare_tools.sh LINUX_TOOLS_DIR WINDOWS_BUILD_DIR SOURCE_DIR
set -eu
linux="$1"
windows="$2"
source="$3"
for tool in "$linux/texdump/texdump" "$linux/smfdump/smfdump"; do
    if [ ! -x "$tool" ]; then
        echo "FAIL: no Linux tool $tool (build the Linux tree first, or set KF_LINUX_TOOLS_DIR)"
        exit 1
    fi
done
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() {
    echo "FAIL: $1"
    failures=$((failures + 1))
}

# Wine sees the Linux root as drive Z:.
"$linux/texdump/texdump" --raw "$dir/linux_raw" "$dir/linux_png"
wine "$windows/texdump.exe" --raw "Z:$dir/windows_raw" "Z:$dir/windows_png"
for raw in "$dir"/linux_raw/*.rgba; do
    name=$(basename "$raw" .rgba)
    if ! cmp -s "$raw" "$dir/windows_raw/$name.rgba"; then
        fail "texdump raw $name differs"
    fi
    convert "$dir/linux_png/$name.png" -depth 8 "rgba:$dir/linux_$name.pixels"
    convert "$dir/windows_png/$name.png" -depth 8 "rgba:$dir/windows_$name.pixels"
    if ! cmp -s "$dir/linux_$name.pixels" "$dir/windows_$name.pixels" ||
        ! cmp -s "$raw" "$dir/windows_$name.pixels"; then
        fail "texdump PNG $name has other pixels"
    fi
done
count=$(ls "$dir"/linux_raw/*.rgba | wc -l)
[ "$count" -eq 5 ] || fail "texdump wrote $count textures, not 5"

# The corpus: the song, the fuzzer's seeds, and the song cut short at a few places.
mkdir "$dir/corpus"
cp "$source/resources/song.mid" "$source"/tests/fuzz/smf_seeds/*.mid "$dir/corpus/"
for cut in 13 22 100 1000 5000; do
    head -c "$cut" "$source/resources/song.mid" >"$dir/corpus/song_cut_$cut.mid"
done
printf 'not a MIDI file' >"$dir/corpus/not_midi.mid"

for file in "$dir"/corpus/*.mid; do
    for options in "" "--fills 200 --loop" "--fills 60 --game"; do
        # shellcheck disable=SC2086
        linux_status=0
        "$linux/smfdump/smfdump" "$file" $options >"$dir/linux.txt" 2>&1 || linux_status=$?
        windows_status=0
        # shellcheck disable=SC2086
        wine "$windows/smfdump.exe" "Z:$file" $options >"$dir/windows.txt" 2>&1 ||
            windows_status=$?
        tr -d '\r' <"$dir/windows.txt" >"$dir/windows_lf.txt"
        what="smfdump $(basename "$file") ${options:-(defaults)}"
        if [ "$linux_status" -ne "$windows_status" ]; then
            fail "$what: exit $windows_status on Windows, $linux_status on Linux"
        elif ! diff -q "$dir/linux.txt" "$dir/windows_lf.txt" >/dev/null; then
            diff -u "$dir/linux.txt" "$dir/windows_lf.txt" | head -20
            fail "$what: output differs"
        elif [ ! -s "$dir/linux.txt" ]; then
            fail "$what: no output"
        fi
    done
done

if [ "$failures" -eq 0 ]; then
    echo "PASS: the Windows tools give the Linux tools' output"
fi
[ "$failures" -eq 0 ]
