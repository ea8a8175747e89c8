#!/usr/bin/env bash
# bench_printer of two builds in turn, ROUNDS times each, so that both see
# the same machine: BEFORE's figures, then AFTER's, round by round.
#
#   tools/bench-compare.sh BEFORE_BUILD AFTER_BUILD [ROUNDS]
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 BEFORE_BUILD AFTER_BUILD [ROUNDS]" >&2; exit 2; }
rounds=${3:-3}
export QT_QPA_PLATFORM=offscreen
for round in $(seq "$rounds"); do
    for build in "$1" "$2"; do
        echo "== round $round: $build"
        "$build/bench/bench_printer" | grep -E "interpret|trace"
    done
done
