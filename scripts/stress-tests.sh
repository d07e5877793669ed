#!/bin/sh
# Runs every test that opens a window, drives Wine or drives a browser (ctest labels e2e,
# render and xvfb of the sanitizer build, windows of the Windows build, the page's scenarios)
# N times while stress-ng keeps both cores busy, then prints per test how many of the N runs
# failed; exits 1 if any run failed.
#   scripts/stress-tests.sh [N [SUITE...]]   (N = 5; SUITE: linux, windows, web; all when none)
# KF_STRESS_ONLY=REGEX runs only the tests whose ctest names match it (as ctest -R takes it).
# Builds what it runs with scripts/build-tests.sh, as scripts/run-tests.sh does (nothing is
# rebuilt when `make test` has just run). The logs of every round are kept in build/stress/.
set -eu
rounds="${1:-5}"
usage="usage: scripts/stress-tests.sh [N [linux|windows|web ...]]"
case "$rounds" in
'' | *[!0-9]*) echo "$usage" >&2; exit 2 ;;
esac
[ $# -gt 0 ] && shift
suites="${*:-linux windows web}"
for suite in $suites; do
    case "$suite" in
    linux | windows | web) ;;
    *) echo "$usage" >&2; exit 2 ;;
    esac
done
runs() { case " $suites " in *" $1 "*) return 0 ;; *) return 1 ;; esac; }
JOBS=$(nproc 2>/dev/null || echo 2)
LINUX_LABELS='^(e2e|render|xvfb)$'
only=""
if [ -n "${KF_STRESS_ONLY:-}" ]; then
    only="-R $KF_STRESS_ONLY"
fi
if ! command -v stress-ng >/dev/null 2>&1; then
    echo "stress-tests: stress-ng is missing; sh scripts/install-deps.sh --test installs it" >&2
    exit 1
fi

echo "== builds (as scripts/run-tests.sh makes them)"
# The Windows build takes its tools and the page its reference pictures from this one.
builds=sanitizer
runs windows && builds="$builds windows"
runs web && builds="$builds web"
# shellcheck disable=SC2086
sh scripts/build-tests.sh $builds

logs=build/stress
rm -rf "$logs"
mkdir -p "$logs"
tally="$logs/outcomes"
: >"$tally"
hog=""
stop_hog() {
    if [ -n "$hog" ]; then
        kill "$hog" 2>/dev/null || true
        wait "$hog" 2>/dev/null || true
        hog=""
    fi
}
trap stop_hog EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# Appends "<test> <outcome>" for each test of a ctest log: passed, skipped or failed (a
# failure, a timeout, a test not run for want of its fixture).
outcomes() {
    result='s/^ *[0-9]*\/[0-9]* *Test *#[0-9]*: \([^ ]*\) .*\(Passed\|\*\*\*[A-Za-z]*\).*$/\1 \2/p'
    sed -n "$result" "$1" |
        while read -r name state; do
            case "$state" in
            Passed*) echo "$name passed" ;;
            *Skipped*) echo "$name skipped" ;;
            *) echo "$name failed" ;;
            esac
        done >>"$tally"
}

round=1
while [ "$round" -le "$rounds" ]; do
    echo "== round $round of $rounds, with stress-ng --cpu 2"
    # A time limit of its own, so that not even a killed script leaves the hog running long.
    stress-ng --cpu 2 --timeout 3600 --quiet &
    hog=$!
    if runs linux; then
        # shellcheck disable=SC2086
        ctest --test-dir build/test -L "$LINUX_LABELS" $only -j "$JOBS" --output-on-failure \
            >"$logs/round$round-linux.log" 2>&1 || true
    fi
    if runs windows; then
        # shellcheck disable=SC2086
        ctest --test-dir build/windows -L windows $only -j "$JOBS" --output-on-failure \
            >"$logs/round$round-windows.log" 2>&1 || true
    fi
    # One browser at a time, as make test runs them.
    if runs web; then
        # shellcheck disable=SC2086
        ctest --test-dir build/web-build $only --output-on-failure \
            >"$logs/round$round-web.log" 2>&1 || true
    fi
    kill -0 "$hog" 2>/dev/null || echo "stress-tests: stress-ng ended during round $round" >&2
    stop_hog
    for suite in $suites; do
        outcomes "$logs/round$round-$suite.log"
        grep -E ' (Passed|\*\*\*)' "$logs/round$round-$suite.log" | grep -v ' Passed' || true
    done
    round=$((round + 1))
done

echo "== failed runs per test ($rounds rounds with both cores busy; logs in $logs/)"
awk '{ runs[$1]++; if ($2 == "failed") failed[$1]++; if ($2 == "skipped") skipped[$1]++ }
     END {
         for (name in runs) {
             note = skipped[name] ? sprintf("  (%d skipped)", skipped[name]) : ""
             printf "  %-44s %d of %d failed%s\n", name, failed[name], runs[name], note
         }
     }' "$tally" | sort
awk '$2 == "failed" { found = 1 } END { exit found }' "$tally"
