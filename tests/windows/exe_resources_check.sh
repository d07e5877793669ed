#!/bin/sh
# The Windows game's executable as Windows reads it, through the mingw binutils: it imports only
# DLLs that come with Windows, its manifest makes it DPI aware and run as the player, and its
# version resource names the program and its version.
#   exe_resources_check.sh EXE VERSION
set -eu
exe="$1"
version="$2"
prefix=x86_64-w64-mingw32
status=0
fail() {
    echo "FAIL: $*"
    status=1
}

imports=$($prefix-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z' | sort)
for dll in $imports; do
    case "$dll" in
    GDI32.DLL | GLU32.DLL | KERNEL32.DLL | MSVCRT.DLL | OPENGL32.DLL | USER32.DLL | WINMM.DLL) ;;
    *) fail "imports $dll, which Windows does not bring" ;;
    esac
done

resources=$($prefix-windres -i "$exe" -O rc)
# The manifest's text, as windres prints it: quoted lines with doubled quotes.
manifest=$(printf '%s\n' "$resources" | sed -n '/^1 24/,/^END/p' | sed 's/""/"/g')
printf '%s\n' "$manifest" | grep -q '<dpiAware[^>]*>true</dpiAware>' ||
    fail "the manifest does not make the game DPI aware"
printf '%s\n' "$manifest" | grep -q 'requestedExecutionLevel level="asInvoker"' ||
    fail "the manifest does not run the game as the player"
version_block=$(printf '%s\n' "$resources" | sed -n '/VERSIONINFO/,/^END/p')
for value in "\"ProductName\", \"Kesselfass 3D\"" "\"FileDescription\", \"Kesselfass 3D\"" \
    "\"ProductVersion\", \"$version\"" "\"OriginalFilename\", \"kesselfass3d.exe\""; do
    printf '%s\n' "$version_block" | grep -qF "$value" || fail "no version value $value"
done
[ "$status" -eq 0 ] && echo "PASS: imports $(echo $imports | tr ' ' ','); manifest and version resource"
exit "$status"
