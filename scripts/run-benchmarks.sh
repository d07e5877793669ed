#!/bin/sh
# Runs every Google Benchmark program of a build directory, on a private Xvfb display for
# those that draw.   scripts/run-benchmarks.sh BUILD_DIR
set -eu
build="${1:-build/bench}"
here=$(dirname "$0")
found=0
for program in $(find "$build/bench" -type f -perm -u+x -name '*_bench' | sort); do
    found=1
    echo "== $program"
    "$here/with-xvfb.sh" "$program" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
done
if [ "$found" -eq 0 ]; then
    echo "run-benchmarks: no benchmark programs in $build/bench" >&2
    exit 1
fi
