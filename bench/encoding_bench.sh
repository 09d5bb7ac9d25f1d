#!/usr/bin/env bash
# What reading files in their own encodings costs: scan-urls on the cp932 corpus with a build from
# before the encodings came (BEFORE) and with this one (automatic detection), and on the same text
# converted to UTF-8. Runs alternate, so both builds see the same machine load; medians.
# Usage: bench/encoding_bench.sh BEFORE_CLI [build-dir] [mebibytes] [rounds]
set -euo pipefail
cd "$(dirname "$0")/.."
before=${1:?usage: bench/encoding_bench.sh BEFORE_CLI [build-dir] [mebibytes] [rounds]}
build=${2:-build}
mib=${3:-256}
rounds=${4:-7}
after="$build/src/cli/linkhive-cli"
gen="$build/bench/make_scan_corpus"
for b in "$before" "$after" "$gen"; do
  [ -x "$b" ] || { echo "build $b first" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$gen" "$work/cp932.txt" "$mib" >&2
# The corpus holds a few codes cp932 leaves undefined; -c leaves those out of the UTF-8 copy.
iconv -c -f CP932 -t UTF-8 "$work/cp932.txt" >"$work/utf8.txt" || true
export LC_ALL=C

seconds() { # wall time of one run of "$@"
  local t0 t1
  t0=$(date +%s.%N); "$@" >/dev/null; t1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" 'BEGIN{print b-a}'
}
scan() { rm -f "$work/c.htm"; "$1" scan-urls "$work/c.htm" "$2"; }
median() { sort -g | awk '{v[NR]=$1} END{print (NR%2)?v[(NR+1)/2]:(v[NR/2]+v[NR/2+1])/2}'; }

cat "$work/cp932.txt" "$work/utf8.txt" >/dev/null # warm the page cache
: >"$work/before" ; : >"$work/after" ; : >"$work/utf8"
for _ in $(seq "$rounds"); do
  seconds scan "$before" "$work/cp932.txt" >>"$work/before"
  seconds scan "$after" "$work/cp932.txt" >>"$work/after"
  seconds scan "$after" "$work/utf8.txt" >>"$work/utf8"
done
for run in before after utf8; do
  scan "$([ $run = before ] && echo "$before" || echo "$after")" \
    "$work/$([ $run = utf8 ] && echo utf8 || echo cp932).txt" >"$work/$run.summary" 2>/dev/null
done
cmp -s <(cut -d, -f1-2 "$work/before.summary") <(cut -d, -f1-2 "$work/after.summary") ||
  echo "warning: the builds found different addresses" >&2
b=$(median <"$work/before"); a=$(median <"$work/after"); u=$(median <"$work/utf8")
echo "corpus: $mib MiB cp932 ($(stat -c %s "$work/utf8.txt") bytes as UTF-8), median of $rounds"
echo "before:        $(cat "$work/before.summary")"
echo "after (cp932): $(cat "$work/after.summary")"
echo "after (UTF-8): $(cat "$work/utf8.summary")"
awk -v b="$b" -v a="$a" -v u="$u" 'BEGIN {
  printf "%-32s %8.3f s\n", "cp932, before", b
  printf "%-32s %8.3f s  %.3f x before\n", "cp932, after (auto)", a, a / b
  printf "%-32s %8.3f s  %.3f x cp932 after\n", "UTF-8, after (auto)", u, u / a }'
