#!/usr/bin/env bash
# Times linkhive-cli scan-urls / scan-emails on a generated cp932 corpus against GNU grep -oaE with
# a comparable byte-level pattern and against cat of the same file (the floor: reading it).
# Usage: bench/scan_bench.sh [build-dir] [mebibytes] [rounds]
# (configure the build with -DLINKHIVE_BUILD_BENCH=ON and build linkhive-cli and make_scan_corpus).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
mib=${2:-256}
rounds=${3:-3}
cli="$build/src/cli/linkhive-cli"
gen="$build/bench/make_scan_corpus"
for b in "$cli" "$gen"; do
  [ -x "$b" ] || { echo "build $b first" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
corpus="$work/corpus.txt"
"$gen" "$corpus" "$mib" >&2
export LC_ALL=C

# The URL terminators and the e-mail delimiters as bracket expressions (']' first, '^' not first).
url_re='[Hh][Tt][Tt][Pp]://[^ ,!"()+*<>'"'"']+'
mail_part='[^] ,!"()+*<>'"'"'#$&=`|{}?^\\@[;:/]+'
mail_re="$mail_part@$mail_part"

best() { # best wall time in seconds of running "$@" $rounds times
  local best=999999 t
  for _ in $(seq "$rounds"); do
    local t0 t1
    t0=$(date +%s.%N); "$@"; t1=$(date +%s.%N)
    t=$(awk -v a="$t0" -v b="$t1" 'BEGIN{print b-a}')
    best=$(awk -v a="$best" -v b="$t" 'BEGIN{print (b<a)?b:a}')
  done
  echo "$best"
}

cat_run() { cat "$corpus" >/dev/null; }
# grep stops at the first match when its output is /dev/null, so it writes a file like we do.
grep_urls() { grep -oaE "$url_re" "$corpus" >"$work/grep.out"; }
grep_mails() { grep -oaE "$mail_re" "$corpus" >"$work/grep.out"; }
cli_new() { rm -f "$work/c.htm"; "$cli" "$1" "$work/c.htm" "$corpus" >/dev/null; }
cli_known() { "$cli" "$1" "$work/c.htm" "$corpus" >/dev/null; }

cat_run # warm the page cache
t_cat=$(best cat_run)
t_grep_u=$(best grep_urls)
grep_u_count=$(wc -l <"$work/grep.out")
t_grep_m=$(best grep_mails)
grep_m_count=$(wc -l <"$work/grep.out")
t_url_new=$(best cli_new scan-urls)
url_summary=$("$cli" scan-urls "$work/c.htm" "$corpus")
t_url_known=$(best cli_known scan-urls)
t_mail_new=$(best cli_new scan-emails)
mail_summary=$("$cli" scan-emails "$work/c.htm" "$corpus")
t_mail_known=$(best cli_known scan-emails)

size=$(stat -c %s "$corpus")
echo "corpus: $(awk -v s="$size" 'BEGIN{printf "%.1f MiB", s/1048576}'), best of $rounds"
echo "grep matches: $grep_u_count URL-like, $grep_m_count mail-like"
echo "scan-urls:   $url_summary"
echo "scan-emails: $mail_summary"
row() { awk -v n="$1" -v t="$2" -v c="$t_cat" -v g="$3" 'BEGIN {
  if (g > 0) printf "%-40s %8.3f %8.2f %8.2f\n", n, t, t / c, t / g
  else printf "%-40s %8.3f %8.2f %8s\n", n, t, t / c, "-" }'; }
printf "%-40s %8s %8s %8s\n" "command" "seconds" "x cat" "x grep"
row "cat" "$t_cat" 0
row "grep -oaE (URL pattern)" "$t_grep_u" 0
row "linkhive-cli scan-urls (new collection)" "$t_url_new" "$t_grep_u"
row "linkhive-cli scan-urls (nothing new)" "$t_url_known" "$t_grep_u"
row "grep -oaE (e-mail pattern)" "$t_grep_m" 0
row "linkhive-cli scan-emails (new collection)" "$t_mail_new" "$t_grep_m"
row "linkhive-cli scan-emails (nothing new)" "$t_mail_known" "$t_grep_m"
