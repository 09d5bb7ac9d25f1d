#!/usr/bin/env bash
# Imports a generated browser bookmark file of 100,000 bookmarks and exports a collection of a
# million records to CSV, and compares the times with cp of the same files. Each round runs our
# jobs (the best of three in one process: caches warm, as in a program that runs on) and cp one
# after the other, so the load of a shared machine falls on both alike; medians of the rounds.
# With BEFORE (another build folder) each round runs that build's jobs too, for a before/after.
# Usage: bench/exchange_bench.sh [build-dir] [bookmarks] [records] [rounds] [BEFORE]
# (configure the build with -DLINKHIVE_BUILD_BENCH=ON first).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
bookmarks=${2:-100000}
records=${3:-1000000}
rounds=${4:-7}
before=${5:-}
builds=("$build")
[ -z "$before" ] || builds=("$before" "$build")
for b in "${builds[@]}"; do
  [ -x "$b/bench/exchange_bench" ] ||
    { echo "build $b/bench/exchange_bench first (--target exchange_bench)" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

field() { awk -v k="$1" '$1 == k {print $2}'; }
elapsed() { # seconds taken by "$@"
  local t0=$EPOCHREALTIME
  "$@"
  awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f\n", b - a }'
}
median() { sort -g | awk '{ v[NR] = $1 } END {
  print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
copy_synced() { cp "$1" "$2" && sync "$2"; }

: >"$work/cp"
: >"$work/cpsync"
for k in "${!builds[@]}"; do : >"$work/import$k"; : >"$work/cpu$k"; : >"$work/export$k"; done
for _ in $(seq "$rounds"); do
  for k in "${!builds[@]}"; do
    out=$("${builds[$k]}/bench/exchange_bench" "$work" "$bookmarks" "$records" 3)
    field import <<<"$out" >>"$work/import$k"
    field import-cpu <<<"$out" >>"$work/cpu$k"
    field export <<<"$out" >>"$work/export$k"
  done
  page=$(field page <<<"$out")
  csv=$(field csv <<<"$out")
  elapsed cp "$page" "$work/copy" >>"$work/cp"
  rm -f "$work/copy"
  # The export flushes its file to the disk; cp followed by sync of the copy is its fair match.
  elapsed copy_synced "$csv" "$work/copy" >>"$work/cpsync"
  rm -f "$work/copy"
done

cp_page=$(median <"$work/cp")
cp_csv=$(median <"$work/cpsync")
awk -v b="$bookmarks" -v n="$records" -v ps="$(stat -c %s "$page")" -v cs="$(stat -c %s "$csv")" \
    -v r="$rounds" -v cp="$cp_page" -v cc="$cp_csv" 'BEGIN {
  printf "bookmark file: %d bookmarks, %.1f MiB; CSV: %d records, %.1f MiB; median of %d\n",
    b, ps / 1048576, n, cs / 1048576, r
  printf "%-38s %8s %8s\n", "operation", "seconds", "ratio"
  printf "%-38s %8.4f %8s\n", "cp bookmark file", cp, "1.0"
  printf "%-38s %8.3f %8s\n", "cp + sync CSV", cc, "1.0"
}'
for k in "${!builds[@]}"; do
  label=""
  [ -z "$before" ] || label=$([ "$k" = 0 ] && echo " before" || echo " after")
  awk -v l="$label" -v i="$(median <"$work/import$k")" -v e="$(median <"$work/export$k")" \
      -v c="$(median <"$work/cpu$k")" -v cp="$cp_page" -v cc="$cp_csv" 'BEGIN {
    printf "%-38s %8.4f %8.2f  (vs cp)\n", "import (read, parse, append)" l, i, i / cp
    printf "%-38s %8.4f\n", "  processor time of the import" l, c
    printf "%-38s %8.3f %8.2f  (vs cp + sync)\n", "export to CSV (flushed)" l, e, e / cc
  }'
done
