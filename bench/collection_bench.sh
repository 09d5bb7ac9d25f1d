#!/usr/bin/env bash
# Loads and saves a generated collection of a million records and compares the times with cp of
# the same file, in the same run. Usage: bench/collection_bench.sh [build-dir] [records] [rounds]
# (configure the build with -DLINKHIVE_BUILD_BENCH=ON first).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
records=${2:-1000000}
rounds=${3:-3}
bin="$build/bench/collection_bench"
[ -x "$bin" ] || { echo "build $bin first (cmake --build $build --target collection_bench)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

out=$("$bin" "$work" "$records" "$rounds")
file=$(awk '$1 == "file" {print $2}' <<<"$out")
parse=$(awk '$1 == "parse" {print $2}' <<<"$out")
load=$(awk '$1 == "load" {print $2}' <<<"$out")
save=$(awk '$1 == "save" {print $2}' <<<"$out")

now() { date +%s.%N; }
best_cp=999999
best_cp_sync=999999
for _ in $(seq "$rounds"); do
  t0=$(now); cp "$file" "$work/copy.htm"; t1=$(now)
  best_cp=$(awk -v a="$best_cp" -v b="$(awk -v x="$t0" -v y="$t1" 'BEGIN{print y-x}')" 'BEGIN{print (b<a)?b:a}')
  rm -f "$work/copy.htm"
  # The save flushes its file to the disk; cp followed by sync of the copy is its fair match.
  t0=$(now); cp "$file" "$work/copy.htm"; sync "$work/copy.htm"; t1=$(now)
  best_cp_sync=$(awk -v a="$best_cp_sync" -v b="$(awk -v x="$t0" -v y="$t1" 'BEGIN{print y-x}')" 'BEGIN{print (b<a)?b:a}')
  rm -f "$work/copy.htm"
done

size=$(stat -c %s "$file")
awk -v n="$records" -v s="$size" -v p="$parse" -v l="$load" -v w="$save" -v c="$best_cp" -v cs="$best_cp_sync" 'BEGIN {
  printf "collection: %d records, %.1f MiB\n", n, s / 1048576
  printf "%-22s %8s %10s\n", "operation", "seconds", "ratio"
  printf "%-22s %8.3f %10s\n", "cp", c, "1.0"
  printf "%-22s %8.3f %10s\n", "cp + sync", cs, "-"
  printf "%-22s %8.3f %10.1f  (vs cp)\n", "read + parse only", p, p / c
  printf "%-22s %8.3f %10.1f  (vs cp)\n", "load (ReadCollection)", l, l / c
  printf "%-22s %8.3f %10.1f  (vs cp + sync)\n", "save (safe save)", w, w / cs
}'
