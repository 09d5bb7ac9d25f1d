#!/usr/bin/env bash
# linkhive-cli rewrite and list against mawk doing the same work on the same collection, and the
# peak memory of the companion's jobs. Runs alternate between ours and the peer, so the load of
# a shared machine falls on both alike; medians and their ratios are printed.
#   rewrite: mawk renumbers the record lines and writes the page, then sync flushes it to the
#            disk (our rewrite is a safe save, which flushes the new file before it replaces)
#   list:    mawk cuts the record lines into tab-separated fields, iconv turns them into UTF-8
# Usage: bench/companion_bench.sh [build-dir] [rounds] [records...]
# (configure with -DLINKHIVE_BUILD_BENCH=ON, build linkhive-cli and collection_bench).
# With BEFORE=<another linkhive-cli> that one runs in the same rounds too (columns "before" and
# its ratio to the peer).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rounds=${2:-5}
shift $(($# < 2 ? $# : 2))
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(100000 1000000)
cli="$build/src/cli/linkhive-cli"
gen="$build/bench/collection_bench"
for b in "$cli" "$gen"; do
  [ -x "$b" ] || { echo "build $b first" >&2; exit 2; }
done
if ! command -v mawk >/dev/null; then
  echo "installing mawk" >&2
  if [ "$(id -u)" = 0 ]; then apt-get install -y -qq mawk >&2; else sudo apt-get install -y -qq mawk >&2; fi
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LC_ALL=C

# The peers. Record lines are those the program reads: "<TR><TD>" not followed by "N".
mawk_rewrite() {
  mawk '/^<TR><TD>/ && substr($0, 9, 1) != "N" {
          n++; $0 = "<TR><TD>" n substr($0, index($0, "</TD>")) }
        { print }' "$1" >"$2" && sync "$2"
}
mawk_list() {
  mawk '/^<TR><TD>/ && substr($0, 9, 1) != "N" {
          n++; sub(/\r$/, ""); k = split($0, c, "</TD><TD>")
          a = c[3]; sub(/^<A HREF="/, "", a); sub(/".*/, "", a)
          sub(/<\/TD>$/, "", c[k])
          print n "\t" c[2] "\t" a "\t" c[4] "\t" c[5] }' "$1" | iconv -f CP932 -t UTF-8 >"$2"
}
ours_rewrite() { "$cli" rewrite "$1" "$2" >/dev/null; }
ours_list() { "$cli" list "$1" >"$2"; }
before=${BEFORE:-}
before_rewrite() { "$before" rewrite "$1" "$2" >/dev/null; }
before_list() { "$before" list "$1" >"$2"; }

elapsed() { # seconds taken by "$@"
  local t0=$EPOCHREALTIME
  "$@"
  awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f", b - a }'
}
median() { tr ' ' '\n' | sort -g | awk '{ v[NR] = $1 } END {
  print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

paired() { # label ours peer [before] file: alternating runs, medians and ratios
  local label=$1 file=${*: -1} jobs=("$2" "$3") r j
  [ $# -eq 5 ] && jobs+=("$4")
  local -a times=()
  for ((r = 0; r < rounds; r++)); do
    local order=(0 1 2)
    ((r % 2)) && order=(2 1 0)
    for j in "${order[@]}"; do
      ((j < ${#jobs[@]})) || continue
      rm -f "$work/out$j"
      times[j]+=" $(elapsed "${jobs[j]}" "$file" "$work/out$j")"
    done
  done
  local ma mb mc=0
  ma=$(echo ${times[0]} | median)
  mb=$(echo ${times[1]} | median)
  ((${#jobs[@]} == 3)) && mc=$(echo ${times[2]} | median)
  awk -v l="$label" -v a="$ma" -v b="$mb" -v c="$mc" 'BEGIN {
    printf "%-34s %8.3f %8.3f %7.2f", l, a, b, a / b
    if (c > 0) printf " %8.3f %7.2f", c, c / b
    printf "\n" }'
}

peak_kib() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }

for n in "${sizes[@]}"; do
  dir="$work/$n"
  mkdir -p "$dir"
  "$gen" "$dir" "$n" 0 >/dev/null
  file="$dir/collection.htm"
  rm -f "$dir/saved.htm"
  cat "$file" >/dev/null
  bytes=$(stat -c %s "$file")
  echo "collection: $n records, $(awk -v s="$bytes" 'BEGIN { printf "%.1f MiB", s / 1048576 }'), median of $rounds"
  if [ -n "$before" ]; then
    printf "%-34s %8s %8s %7s %8s %7s\n" "job" "ours" "peer" "ratio" "before" "ratio"
    paired "rewrite (vs mawk renumber + sync)" ours_rewrite mawk_rewrite before_rewrite "$file"
    paired "list (vs mawk + iconv)" ours_list mawk_list before_list "$file"
  else
    printf "%-34s %8s %8s %7s\n" "job" "ours" "peer" "ratio"
    paired "rewrite (vs mawk renumber + sync)" ours_rewrite mawk_rewrite "$file"
    paired "list (vs mawk + iconv)" ours_list mawk_list "$file"
  fi

  : >"$dir/empty.txt"
  load=$(peak_kib "$cli" scan-urls "$file" "$dir/empty.txt")
  rewrite=$(peak_kib "$cli" rewrite "$file" "$dir/copy.htm")
  list=$(peak_kib "$cli" list "$file")
  rm -f "$dir/scanned.htm"
  scan=$(peak_kib "$cli" scan-urls "$dir/scanned.htm" "$file")
  rm -f "$dir/copy.htm" "$dir/scanned.htm"
  printf "%-34s %8s %8s\n" "peak RSS" "MiB" "x text"
  for job in load rewrite list scan; do
    awk -v l="$job" -v k="${!job}" -v s="$bytes" \
      'BEGIN { printf "%-34s %8.1f %8.2f\n", l, k / 1024, k * 1024 / s }'
  done
  rm -rf "$dir"
  echo
done
