#!/bin/sh
# Starts the game as a player would, waits for its menu, chooses "Quit game" with the keyboard
# and checks the outcome: exit code 0 and a saved table. Needs an X display (run it under
# scripts/with-xvfb.sh) with xwininfo, xdotool and ImageMagick's import.
#   scripts/play-and-quit.sh SCORES_FILE COMMAND [ARGS...]
# SCORES_FILE is where the table must appear (the game saves it in the folder it runs in).
set -eu

scores="$1"
shift
title="QUARZMOLCH erlauben sich zu praesentieren: Kesselfass 3D"
log=$(mktemp)
game_pid=""

cleanup() {
    if [ -n "$game_pid" ]; then
        kill -9 "$game_pid" 2>/dev/null || true
    fi
    rm -f "$log"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    echo "--- the game's output:" >&2
    cat "$log" >&2
    exit 1
}

# True while the game runs; an ended game stays a zombie until it is waited for.
running() {
    state=$(sed 's/.*) //' "/proc/$game_pid/stat" 2>/dev/null | cut -c1)
    [ -n "$state" ] && [ "$state" != Z ]
}

# Polls `$1` (a shell condition) every half second for up to `$2` seconds.
wait_for() {
    deadline=$(($(date +%s) + $2))
    while ! eval "$1"; do
        running || fail "the game ended early"
        [ "$(date +%s)" -lt "$deadline" ] || return 1
        sleep 0.5
    done
}

window_shown() {
    xwininfo -root -tree 2>/dev/null | grep -q "\"$title\""
}

# The first frame: a black window until the textures are made and the menu is drawn.
menu_drawn() {
    mean=$(import -window root -colorspace gray -format '%[fx:mean]' info: 2>/dev/null || echo 0)
    awk -v m="$mean" 'BEGIN { exit !(m > 0.05) }'
}

# Held long enough for the game's 40 ms tick to see it, even when a frame takes long.
press() {
    xdotool keydown "$1"
    sleep 0.4
    xdotool keyup "$1"
    sleep 0.2
}

rm -f "$scores"
"$@" >"$log" 2>&1 &
game_pid=$!

wait_for window_shown 120 || fail "no game window within 120 s"
wait_for menu_drawn 180 || fail "the menu was not drawn within 180 s"
echo "play-and-quit: the menu is shown"

for key in Down Down Down Down Return; do
    press "$key"
done

deadline=$(($(date +%s) + 60))
while running; do
    [ "$(date +%s)" -lt "$deadline" ] || fail "the game did not end within 60 s of \"Quit game\""
    sleep 0.5
done
status=0
wait "$game_pid" || status=$?
game_pid=""

[ "$status" -eq 0 ] || fail "exit code $status"
[ -f "$scores" ] || fail "no table saved at $scores"
size=$(wc -c <"$scores")
[ "$size" -ge 360 ] || fail "the saved table has $size bytes, not 360 or more"
echo "play-and-quit: exit code 0, table saved at $scores ($size bytes)"
