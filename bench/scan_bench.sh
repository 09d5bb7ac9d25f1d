#!/usr/bin/env bash
# The whole scan job (read, scan, duplicate test, write the collection) of linkhive-cli
# scan-urls / scan-emails on a generated cp932 corpus, against ripgrep with a comparable
# byte-level pattern and a case-blind dedupe writing its list, and against cat of the same file
# (the floor: reading it). Runs alternate between ours and the peers, so the load of a shared
# machine falls on all alike; medians and ratios are printed, and the peak memory of each scan.
# Usage: bench/scan_bench.sh [build-dir] [mebibytes] [rounds] [before-cli]
# (configure the build with -DLINKHIVE_BUILD_BENCH=ON and build linkhive-cli and make_scan_corpus).
# With before-cli (another build's linkhive-cli), its scans run in the same alternating rounds
# and are shown beside ours, after checking that both write the same collections.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
mib=${2:-256}
rounds=${3:-5}
before=${4:-}
cli="$build/src/cli/linkhive-cli"
gen="$build/bench/make_scan_corpus"
for b in "$cli" "$gen" ${before:+"$before"}; do
  [ -x "$b" ] || { echo "build $b first" >&2; exit 2; }
done
for tool in rg:ripgrep mawk:mawk; do
  if ! command -v "${tool%%:*}" >/dev/null; then
    echo "installing ${tool#*:}" >&2
    if [ "$(id -u)" = 0 ]; then apt-get install -y -qq "${tool#*:}" >&2
    else sudo apt-get install -y -qq "${tool#*:}" >&2; fi
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
corpus="$work/corpus.txt"
"$gen" "$corpus" "$mib" >&2
export LC_ALL=C

# The URL terminators and the e-mail delimiters as bracket expressions (in ripgrep's syntax the
# brackets inside a class are escaped).
url_re='[Hh][Tt][Tt][Pp]://[^ ,!"()+*<>'"'"']+'
mail_part='[^\] ,!"()+*<>'"'"'#$&=`|{}?^\\@\[;:/]+'
mail_re="$mail_part@$mail_part"

cat_run() { cat "$corpus" >/dev/null; }
# The peer keeps the first of the addresses that agree but for letter case, as the scan does.
rg_urls() { rg -oa --no-line-number -e "$url_re" "$corpus" | mawk '!seen[toupper($0)]++' >"$work/rg.out"; }
rg_mails() { rg -oa --no-line-number -e "$mail_re" "$corpus" | mawk '!seen[toupper($0)]++' >"$work/rg.out"; }
cli_new() { rm -f "$work/c.htm"; "$cli" "$1" "$work/c.htm" "$corpus" >/dev/null; }
cli_known() { "$cli" "$1" "$work/c.htm" "$corpus" >/dev/null; }
url_new() { cli_new scan-urls; }
url_known() { cli_known scan-urls; }
mail_new() { cli_new scan-emails; }
mail_known() { cli_known scan-emails; }
# The same with the earlier build, on a collection of its own.
old_new() { rm -f "$work/o.htm"; "$before" "$1" "$work/o.htm" "$corpus" >/dev/null; }
old_known() { "$before" "$1" "$work/o.htm" "$corpus" >/dev/null; }
old_url_new() { old_new scan-urls; }
old_url_known() { old_known scan-urls; }
old_mail_new() { old_new scan-emails; }
old_mail_known() { old_known scan-emails; }
# Both builds must write the same collection, new and after a scan that adds nothing.
same_as_before() {
  "$before" "$1" "$work/o.htm" "$corpus" >/dev/null
  "$cli" "$1" "$work/c.htm" "$corpus" >/dev/null
  # The line that dates the page may differ by a second.
  local undated='^[0-9]\{4\}/[0-9][0-9]/[0-9][0-9](.*) [0-9:]* '
  cmp -s <(grep -av "$undated" "$work/o.htm") <(grep -av "$undated" "$work/c.htm") ||
    { echo "$1: the collections differ" >&2; exit 1; }
}

# Sets cpu_now to the user + system seconds of the children of this shell so far (millisecond
# resolution); `times` goes through a file, as a command substitution would run it in a
# subshell of its own.
child_cpu() {
  times >"$work/times"
  cpu_now=$(awk 'END { s = 0; for (i = 1; i <= 2; i++) {
    split($i, p, "m"); s += p[1] * 60 + p[2] } printf "%.4f", s }' "$work/times")
}

# "wall:cpu" of one run. The scans use a second core when one is free, so on a loaded machine
# the CPU time says more than the wall time about the work done.
elapsed() {
  local t0=$EPOCHREALTIME c0
  child_cpu
  c0=$cpu_now
  "$@"
  local t1=$EPOCHREALTIME
  child_cpu
  awk -v a="$t0" -v b="$t1" -v c="$c0" -v d="$cpu_now" \
    'BEGIN { printf "%.4f:%.4f", b - a, d - c }'
}
median() { tr ' ' '\n' | sort -g | awk '{ v[NR] = $1 } END {
  print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Alternating rounds of the given jobs; sets med_<job> to each median wall time and cpu_<job>
# to each median CPU time.
measure() {
  local r job
  declare -A times=() cpus=()
  for ((r = 0; r < rounds; r++)); do
    local order=("$@")
    ((r % 2)) && order=($(printf '%s\n' "$@" | tac))
    for job in "${order[@]}"; do
      local both
      both=$(elapsed "$job")
      times[$job]+=" ${both%%:*}"
      cpus[$job]+=" ${both##*:}"
    done
  done
  for job in "$@"; do
    printf -v "med_$job" '%s' "$(echo ${times[$job]} | median)"
    printf -v "cpu_$job" '%s' "$(echo ${cpus[$job]} | median)"
  done
}

cat_run # warm the page cache
rm -f "$work/c.htm"
url_summary=$("$cli" scan-urls "$work/c.htm" "$corpus")
if [ -n "$before" ]; then
  rm -f "$work/o.htm"
  same_as_before scan-urls
  same_as_before scan-urls
  measure cat_run rg_urls url_new url_known old_url_new old_url_known
else
  measure cat_run rg_urls url_new url_known
fi
cat_u=$med_cat_run
cpu_u=$cpu_cat_run
rg_u_count=$(wc -l <"$work/rg.out")
rm -f "$work/c.htm"
mail_summary=$("$cli" scan-emails "$work/c.htm" "$corpus")
if [ -n "$before" ]; then
  rm -f "$work/o.htm"
  same_as_before scan-emails
  same_as_before scan-emails
  measure cat_run rg_mails mail_new mail_known old_mail_new old_mail_known
else
  measure cat_run rg_mails mail_new mail_known
fi
cat_m=$med_cat_run
cpu_m=$cpu_cat_run
rg_m_count=$(wc -l <"$work/rg.out")
rss_url=$(/usr/bin/time -f %M "$cli" scan-urls "$work/new.htm" "$corpus" 2>&1 >/dev/null | tail -1)
rm -f "$work/new.htm"
rss_mail=$(/usr/bin/time -f %M "$cli" scan-emails "$work/new.htm" "$corpus" 2>&1 >/dev/null | tail -1)

size=$(stat -c %s "$corpus")
echo "corpus: $(awk -v s="$size" 'BEGIN{printf "%.1f MiB", s/1048576}'), median of $rounds"
echo "ripgrep + dedupe: $rg_u_count URL-like, $rg_m_count mail-like"
echo "scan-urls:   $url_summary (peak RSS $((rss_url / 1024)) MiB)"
echo "scan-emails: $mail_summary (peak RSS $((rss_mail / 1024)) MiB)"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
row() { awk -v n="$1" -v t="$2" -v c="$3" -v g="$4" -v u="$5" -v cc="$6" 'BEGIN {
  if (g > 0) printf "%-42s %8.3f %8.2f %8.2f %8.3f %8.2f\n", n, t, t / c, t / g, u, u / cc
  else printf "%-42s %8.3f %8.2f %8s %8.3f %8.2f\n", n, t, t / c, "-", u, u / cc }'; }
printf "%-42s %8s %8s %8s %8s %8s\n" "command" "seconds" "x cat" "x rg" "cpu s" "x cat"
row "cat (URL rounds)" "$cat_u" "$cat_u" 0 "$cpu_u" "$cpu_u"
row "ripgrep + dedupe (URL pattern)" "$med_rg_urls" "$cat_u" 0 "$cpu_rg_urls" "$cpu_u"
row "linkhive-cli scan-urls (new collection)" "$med_url_new" "$cat_u" "$med_rg_urls" "$cpu_url_new" "$cpu_u"
row "linkhive-cli scan-urls (nothing new)" "$med_url_known" "$cat_u" "$med_rg_urls" "$cpu_url_known" "$cpu_u"
if [ -n "$before" ]; then
  row "  before: scan-urls (new collection)" "$med_old_url_new" "$cat_u" "$med_rg_urls" "$cpu_old_url_new" "$cpu_u"
  row "  before: scan-urls (nothing new)" "$med_old_url_known" "$cat_u" "$med_rg_urls" "$cpu_old_url_known" "$cpu_u"
fi
row "cat (e-mail rounds)" "$cat_m" "$cat_m" 0 "$cpu_m" "$cpu_m"
row "ripgrep + dedupe (e-mail pattern)" "$med_rg_mails" "$cat_m" 0 "$cpu_rg_mails" "$cpu_m"
row "linkhive-cli scan-emails (new collection)" "$med_mail_new" "$cat_m" "$med_rg_mails" "$cpu_mail_new" "$cpu_m"
row "linkhive-cli scan-emails (nothing new)" "$med_mail_known" "$cat_m" "$med_rg_mails" "$cpu_mail_known" "$cpu_m"
if [ -n "$before" ]; then
  row "  before: scan-emails (new collection)" "$med_old_mail_new" "$cat_m" "$med_rg_mails" "$cpu_old_mail_new" "$cpu_m"
  row "  before: scan-emails (nothing new)" "$med_old_mail_known" "$cat_m" "$med_rg_mails" "$cpu_old_mail_known" "$cpu_m"
fi
