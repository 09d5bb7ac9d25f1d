#!/usr/bin/env bash
# Imports a generated browser bookmark file of 100,000 bookmarks and exports a collection of a
# million records to CSV, and compares the times with cp of the same files in the same run.
# Usage: bench/exchange_bench.sh [build-dir] [bookmarks] [records] [rounds]
# (configure the build with -DLINKHIVE_BUILD_BENCH=ON first).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
bookmarks=${2:-100000}
records=${3:-1000000}
rounds=${4:-3}
bin="$build/bench/exchange_bench"
[ -x "$bin" ] || { echo "build $bin first (cmake --build $build --target exchange_bench)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

out=$("$bin" "$work" "$bookmarks" "$records" "$rounds")
page=$(awk '$1 == "page" {print $2}' <<<"$out")
csv=$(awk '$1 == "csv" {print $2}' <<<"$out")
import=$(awk '$1 == "import" {print $2}' <<<"$out")
export_csv=$(awk '$1 == "export" {print $2}' <<<"$out")

now() { date +%s.%N; }
best() { awk -v a="$1" -v b="$2" 'BEGIN{print (b<a)?b:a}'; }
elapsed() { awk -v x="$1" -v y="$2" 'BEGIN{print y-x}'; }
cp_page=999999
cp_csv_sync=999999
for _ in $(seq "$rounds"); do
  t0=$(now); cp "$page" "$work/copy"; t1=$(now)
  cp_page=$(best "$cp_page" "$(elapsed "$t0" "$t1")")
  rm -f "$work/copy"
  # The export flushes its file to the disk; cp followed by sync of the copy is its fair match.
  t0=$(now); cp "$csv" "$work/copy"; sync "$work/copy"; t1=$(now)
  cp_csv_sync=$(best "$cp_csv_sync" "$(elapsed "$t0" "$t1")")
  rm -f "$work/copy"
done

awk -v b="$bookmarks" -v n="$records" -v ps="$(stat -c %s "$page")" -v cs="$(stat -c %s "$csv")" \
    -v i="$import" -v e="$export_csv" -v cp="$cp_page" -v cc="$cp_csv_sync" 'BEGIN {
  printf "bookmark file: %d bookmarks, %.1f MiB; CSV: %d records, %.1f MiB\n", b, ps / 1048576, n, cs / 1048576
  printf "%-30s %8s %8s\n", "operation", "seconds", "ratio"
  printf "%-30s %8.3f %8s\n", "cp bookmark file", cp, "1.0"
  printf "%-30s %8.3f %8.2f  (vs cp)\n", "import (read, parse, append)", i, i / cp
  printf "%-30s %8.3f %8s\n", "cp + sync CSV", cc, "1.0"
  printf "%-30s %8.3f %8.2f  (vs cp + sync)\n", "export to CSV (flushed)", e, e / cc
}'
