#!/usr/bin/env bash
# Runs the Windows companion under wine as a user would: scan, rewrite, list, a Japanese file
# name, patterns the companion expands itself, and an error exit. Expects WINEPREFIX and a
# Japanese locale from check-windows-build.sh.
set -euo pipefail
cli=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
printf 'see http://a.example/x and http://b.example/\r\n' >a.txt
printf 'http://c.example/\x83\x79\x81\x5B\x83\x57\r\n' >'メモ.txt' # ページ in code page 932
fail() { echo "windows smoke test: $*" >&2; exit 1; }

# The companion speaks the language of the locale, as the C library reads the variables.
case "${LC_ALL:-${LC_MESSAGES:-${LANG:-}}}" in
ja*) scanned="3 件追加、3 件検出、0 件は登録済み、0 件は長すぎるため除外、リンク集.htm のレコードは 3 件" ;;
*) scanned="3 added, 3 found, 0 duplicates, 0 too long, 3 records in リンク集.htm" ;;
esac
out=$(wine "$cli" scan-urls 'リンク集.htm' '*.txt' | tr -d '\r')
[ "$out" = "$scanned" ] || fail "scan said: $out"
wine "$cli" rewrite 'リンク集.htm' copy.htm >/dev/null
list=$(wine "$cli" list copy.htm | tr -d '\r')
expected=$(printf '1\t\thttp://a.example/x\t\t\n2\t\thttp://b.example/\t\t\n3\t\thttp://c.example/ページ\t\t')
[ "$list" = "$expected" ] || fail "list gave: $list"
status=0
wine "$cli" list 'ありません.htm' >/dev/null 2>err.txt || status=$?
[ "$status" = 1 ] || fail "a missing collection exited with $status"
grep -q 'ありません.htm' err.txt || fail "the error does not name the file: $(cat err.txt)"
echo "windows smoke test: passed"
