#!/bin/sh
# Installs the Debian/Ubuntu packages Kesselfass 3D needs, skipping what is already there.
#   scripts/install-deps.sh          build and run dependencies (to play)
#   scripts/install-deps.sh --test   the same plus the test and benchmark tools
set -eu

BUILD="cmake make g++ pkg-config libsdl2-dev libgl-dev libglu1-mesa-dev libfreetype-dev \
libfontconfig-dev libfluidsynth-dev libpng-dev"
RUN="fonts-liberation2 timgm6mb-soundfont libgl1-mesa-dri"
TEST="libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev xvfb xdotool \
imagemagick x11-utils sox python3 python3-numpy libx11-dev libxfixes-dev tesseract-ocr \
tesseract-ocr-eng"

wanted="$BUILD $RUN"
if [ "${1:-}" = "--test" ]; then
    wanted="$wanted $TEST"
fi

missing=""
for pkg in $wanted; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    case "$status" in
        *"install ok installed"*) ;;
        *) missing="$missing $pkg" ;;
    esac
done

if [ -z "$missing" ]; then
    echo "install-deps: everything is installed"
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        SUDO="sudo"
    else
        echo "install-deps: not root and no sudo; please install:$missing" >&2
        exit 1
    fi
fi

echo "install-deps: installing$missing"
$SUDO apt-get update -q
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $missing
