#!/bin/sh
# Installs the Debian/Ubuntu packages Kesselfass 3D needs, skipping what is already there.
#   scripts/install-deps.sh          build and run dependencies (to play)
#   scripts/install-deps.sh --test   the same plus the test and benchmark tools (and the
#                                    Windows cross tools and Emscripten with chromium, whose
#                                    games `make test` plays too)
#   scripts/install-deps.sh --package  the same plus what building the .deb needs
#   scripts/install-deps.sh --windows  the mingw-w64 cross compilers, Wine, GoogleTest's
#                                    sources and NSIS, to build the Windows game and its
#                                    installer (make windows, make package-windows)
#   scripts/install-deps.sh --web    Emscripten and what the glyph triangles are made with
#                                    (the Linux build's tools), npm for the page's
#                                    synthesizer and the SoundFont, for the web page (make web)
set -eu

BUILD="cmake make g++ pkg-config libsdl2-dev libgl-dev libglu1-mesa-dev libfreetype-dev \
libfontconfig-dev libfluidsynth-dev libpng-dev"
# xfonts-base: SDL draws its message boxes on X11 with the server's core fonts; without them
# a player never sees the game's questions and errors.
RUN="fonts-liberation2 timgm6mb-soundfont libgl1-mesa-dri xfonts-base"
# x11-xserver-utils: xrandr gives the test display a second mode for the game to switch to.
# pulseaudio, pulseaudio-utils: the Windows game's sound under Wine, played to a null sink of
# the test's own server and recorded from its monitor with parec.
TEST="libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev clang-format xvfb \
xdotool imagemagick x11-utils sox python3 python3-numpy libx11-dev libxfixes-dev tesseract-ocr \
tesseract-ocr-eng bindfs libxdamage1 libxtst6 stress-ng x11-xserver-utils \
pulseaudio pulseaudio-utils"
WINDOWS="cmake make g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest wine wine64 zip nsis"

PACKAGE="dpkg-dev file"
# The page: Debian's emscripten (offline, its system libraries prebuilt) and the Linux build
# with the text face, whose glyphs the page embeds; the SoundFont its music plays with; zip
# for package-web. Its tests drive Debian's chromium through chromium-driver and selenium, and
# render the song with the command-line FluidSynth from the full and the trimmed SoundFont.
# npm (for js-synthesizer) is added below where no npm is on the PATH.
WEB="emscripten zip $BUILD fonts-liberation2 timgm6mb-soundfont"
WEB_TEST="chromium chromium-driver python3-selenium fluidsynth"

wanted="$BUILD $RUN"
for arg in "$@"; do
    case "$arg" in
    --test) wanted="$wanted $TEST $WINDOWS $WEB $WEB_TEST" ;;
    --windows) wanted="$WINDOWS" ;;
    --web) wanted="$WEB" ;;
    --package) wanted="$wanted $PACKAGE" ;;
    *) echo "install-deps: unknown option $arg" >&2; exit 2 ;;
    esac
done

missing=""
# A node.js from elsewhere brings its own npm; Debian's npm package would fight it.
case " $wanted " in
    *" emscripten "*) command -v npm >/dev/null 2>&1 || missing=" npm" ;;
esac
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
# Another apt run (an unattended upgrade, a second terminal) holds the lock for a while: wait.
wait_lock="-o DPkg::Lock::Timeout=600"
# shellcheck disable=SC2086
$SUDO apt-get $wait_lock update -q
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get $wait_lock install -y -q --no-install-recommends \
    $missing
