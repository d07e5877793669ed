#!/bin/sh
# Runs the score-file tests in a folder on bindfs, a FUSE file system: there the save cannot
# write its temporary file unnamed (no O_TMPFILE) and takes the path of a named one. A second
# run denies every chmod and shows every file as 0644, as FAT does, to save over a table.
#   tests/game/score_file_on_fuse.sh GAME_TESTS
# Exits 77 (skipped) where bindfs or FUSE is not available.
set -eu

tests="$1"
if ! command -v bindfs >/dev/null 2>&1 || [ ! -c /dev/fuse ]; then
    echo "SKIP: bindfs or /dev/fuse is missing"
    exit 77
fi

work=$(mktemp -d)
under="$work/under"
over="$work/over"
mkdir "$under" "$over"
mounted=""

unmount() {
    if [ -n "$mounted" ]; then
        fusermount -u "$over" 2>/dev/null || umount "$over"
        mounted=""
    fi
}
cleanup() {
    unmount || true
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# run BINDFS_OPTIONS GTEST_FILTER
run() {
    # shellcheck disable=SC2086
    if ! bindfs $1 "$under" "$over"; then
        echo "SKIP: bindfs cannot mount here"
        exit 77
    fi
    mounted=yes
    TMPDIR="$over" "$tests" --gtest_filter="$2"
    unmount
}

run "" "ScoreFileTest.*:ScoreStoreTest.*"
run "--chmod-deny --perms=0644" \
    "ScoreFileTest.Saved*:ScoreFileTest.Short*:ScoreFileTest.LineFeed*:ScoreStoreTest.Linked*"
