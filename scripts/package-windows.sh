#!/bin/sh
# Packs the Windows game for players: kesselfass3d.exe and how-to-play.txt (with Windows line
# endings) in one zip.
#   scripts/package-windows.sh BUILD_DIR ZIP
set -eu
build="$1"
zip_name="$2"
if [ ! -f "$build/kesselfass3d.exe" ]; then
    echo "package-windows: no $build/kesselfass3d.exe (make windows first)" >&2
    exit 1
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
folder="$dir/$(basename "$zip_name" .zip)"
mkdir "$folder"
cp "$build/kesselfass3d.exe" "$folder/"
sed 's/$/\r/' desktop/windows/how-to-play.txt >"$folder/how-to-play.txt"
rm -f "$zip_name"
(cd "$dir" && zip -q -r -X "$(basename "$zip_name")" "$(basename "$folder")")
mv "$dir/$(basename "$zip_name")" "$zip_name"
echo "package-windows: $zip_name"
