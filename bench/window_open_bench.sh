#!/usr/bin/env bash
# The program started offscreen on a generated collection until its caption names the file,
# against the companion's load of the same file, for each size; medians of alternating runs and
# their ratio. Usage: bench/window_open_bench.sh [build-dir] [rounds] [records...]
# (configure with -DLINKHIVE_BUILD_BENCH=ON; build linkhive, linkhive-cli, collection_bench and
# window_open_bench).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rounds=${2:-5}
shift $(($# < 2 ? $# : 2))
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 1000000)
program="$build/src/app/linkhive"
cli="$build/src/cli/linkhive-cli"
gen="$build/bench/collection_bench"
bench="$build/bench/window_open_bench"
for b in "$program" "$cli" "$gen" "$bench"; do
  [ -x "$b" ] || { echo "build $b first" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for n in "${sizes[@]}"; do
  mkdir -p "$work/$n"
  "$gen" "$work/$n" "$n" 0 >/dev/null
  rm -f "$work/$n/saved.htm"
  cat "$work/$n/collection.htm" >/dev/null
  echo "collection: $n records, $(stat -c %s "$work/$n/collection.htm" | awk '{ printf "%.1f MiB", $1 / 1048576 }'), median of $rounds"
  "$bench" "$program" "$cli" "$work/$n/collection.htm" "$rounds"
  rm -rf "${work:?}/$n"
  echo
done
