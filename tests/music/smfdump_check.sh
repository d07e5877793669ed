#!/bin/sh
# Checks smfdump's output line by line on small crafted MIDI files.
#   smfdump_check.sh PATH/TO/smfdump
set -eu
smfdump="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0

# expect NAME STATUS ARGS... : compares smfdump's stdout (and exit status) with $dir/expected.
expect() {
    name="$1"
    want_status="$2"
    shift 2
    status=0
    "$smfdump" "$@" >"$dir/actual" || status=$?
    if [ "$status" -ne "$want_status" ] || ! diff -u "$dir/expected" "$dir/actual"; then
        echo "FAIL: $name (exit $status, wanted $want_status)"
        failures=$((failures + 1))
    else
        echo "ok: $name"
    fi
}

# Not a MIDI file.
printf 'RIFF\0\0\0\0WAVEfmt ' >"$dir/not_midi.mid"
printf 'load failed\n' >"$dir/expected"
expect "not a MIDI file" 1 "$dir/not_midi.mid"

# Tempo 600000 (a limit of 48 ticks), then 14 notes 10 ticks apart.
{
    printf 'MThd\0\0\0\6\0\0\0\1\1\340MTrk\0\0\0\66'
    printf '\0\377\121\3\11\47\300\12\220\74\100'
    i=0
    while [ $i -lt 13 ]; do printf '\12\74\100'; i=$((i + 1)); done
    printf '\0\377\57\0'
} >"$dir/ten_apart.mid"

cat >"$dir/expected" <<'OUT'
fill 0 result 0 used 84
  0 0 0x010927C0
  10 0 0x00403C90
  10 0 0x00403C90
  10 0 0x00403C90
  10 0 0x00403C90
  10 0 0x00403C90
  10 0 0x00403C90
fill 1 result 0 used 72
  10 0 0x00403C90
  10 0 0x00403C90
  10 0 0x00403C90
  10 0 0x00403C90
  10 0 0x00403C90
  10 0 0x00403C90
fill 2 result 0 used 24
  10 0 0x00403C90
  10 0 0x00403C90
fill 3 result -103 used 0
fill 4 result -103 used 0
OUT
expect "time limit, no loop" 0 "$dir/ten_apart.mid" --fills 5

# --game: after the two prefills Play(true) inserts the tempo, and the song loops.
cat >"$dir/expected" <<'OUT'
fill 2 result 0 used 36
  0 0 0x010927C0
  10 0 0x00403C90
  10 0 0x00403C90
fill 3 result 0 used 84
  0 0 0x010927C0
  10 0 0x00403C90
OUT
"$smfdump" "$dir/ten_apart.mid" --fills 4 --game | sed -n '/^fill 2/,$p' | head -7 >"$dir/game"
cp "$dir/game" "$dir/actual"
if diff -u "$dir/expected" "$dir/actual"; then echo "ok: game"; else
    echo "FAIL: game"; failures=$((failures + 1)); fi

# --loop: no tempo insertion, the song starts again right after its last note.
cat >"$dir/expected" <<'OUT'
fill 2 result 0 used 24
  10 0 0x00403C90
  10 0 0x00403C90
fill 3 result 0 used 84
  0 0 0x010927C0
OUT
"$smfdump" "$dir/ten_apart.mid" --loop --fills 4 | sed -n '/^fill 2/,$p' | head -5 >"$dir/actual"
if diff -u "$dir/expected" "$dir/actual"; then echo "ok: loop"; else
    echo "FAIL: loop"; failures=$((failures + 1)); fi

# A SysEx and a text event: dropped, and the text event, pending, opens the next fill.
{
    printf 'MThd\0\0\0\6\0\1\0\2\1\340'
    printf 'MTrk\0\0\0\13\0\377\121\3\7\241\40\0\377\57\0'
    printf 'MTrk\0\0\0\25\0\220\74\100\201\160\74\0\0\360\1\367\0\377\1\1x\0\377\57\0'
} >"$dir/two_tracks.mid"
cat >"$dir/expected" <<'OUT'
fill 0 result 0 used 36
  0 0 0x0107A120
  0 0 0x00403C90
  240 0 0x00003C90
fill 1 result 0 used 0
fill 2 result -103 used 0
OUT
expect "dropped events" 0 "$dir/two_tracks.mid" --fills 3

# A data byte with no running status in the second track: reported before the fill line.
{
    printf 'MThd\0\0\0\6\0\1\0\2\1\340'
    printf 'MTrk\0\0\0\14\0\220\74\100\12\200\74\0\0\377\57\0'
    printf 'MTrk\0\0\0\3\5\74\100'
} >"$dir/missing_status.mid"
cat >"$dir/expected" <<'OUT'
parse error track 1: Reference to missing running status.
fill 0 result -101 used 12
  0 0 0x00403C90
fill 1 result -102 used 0
OUT
expect "parse error" 0 "$dir/missing_status.mid" --fills 2

[ "$failures" -eq 0 ]
