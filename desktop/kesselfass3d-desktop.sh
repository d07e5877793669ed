#!/bin/sh
# Starts Kesselfass 3D from the desktop menu in the player's own data directory, so that
# scores.dat (kept in the directory the game starts in) is the same table every time.
set -eu
data_dir="${XDG_DATA_HOME:-$HOME/.local/share}/kesselfass3d"
mkdir -p "$data_dir"
cd "$data_dir"
exec "$(dirname "$0")/kesselfass3d" "$@"
