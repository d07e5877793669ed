#!/bin/sh
# Makes (create) or removes (remove) the Wine prefix named by WINEPREFIX for one test run.
# Removing ends the prefix's wineserver first, with every Windows process still running in it.
set -eu
: "${WINEPREFIX:?WINEPREFIX must name the prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"

case "${1:-}" in
create)
    # A prefix left by an interrupted run may hold a half-made setup: start afresh.
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    # wineboot only makes the prefix; no display is needed for that.
    env -u DISPLAY wine wineboot --init >/dev/null 2>&1 || true
    wineserver -w
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine_prefix: wineboot made no prefix in $WINEPREFIX" >&2
        exit 1
    fi
    echo "wine_prefix: made $WINEPREFIX"
    ;;
remove)
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    echo "wine_prefix: removed $WINEPREFIX"
    ;;
*)
    echo "usage: WINEPREFIX=DIR wine_prefix.sh create|remove" >&2
    exit 2
    ;;
esac
