#!/bin/sh
# Fails when a tracked C++ file is not formatted as the tree's .clang-format says, showing each
# place clang-format would change. `clang-format -i FILE` mends a file.
set -eu
cd "$(dirname "$0")/.."
if ! git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror; then
    echo "check-format: files above differ from .clang-format; clang-format -i mends them" >&2
    exit 1
fi
