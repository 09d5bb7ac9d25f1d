#!/usr/bin/env bash
# Runs clang-tidy with the committed .clang-tidy over every C++ file of the project in the
# compile database of a build folder (./build, or $LINKHIVE_BUILD_DIR, or the first argument;
# build it first: the Qt files include what moc generates). Fails on any finding. Further
# arguments are regular expressions that narrow the files, e.g. `scripts/tidy.sh build src/dialogs`.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build_dir=${1:-${LINKHIVE_BUILD_DIR:-build}}
shift $(($# > 0 ? 1 : 0))
command -v clang-tidy >/dev/null || { echo "clang-tidy is missing (scripts/install-deps.sh --tidy)" >&2; exit 2; }
database=$build_dir/compile_commands.json
[ -f "$database" ] || { echo "$database is missing: build first (scripts/build.sh)" >&2; exit 2; }

# Our own sources only: not what the build generates (moc) or fetches.
mapfile -t files < <(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$database" |
                     grep -E "^$root/(src|tests|bench|fuzz)/" | sort -u)
for pattern in "$@"; do
  mapfile -t files < <(printf '%s\n' "${files[@]}" | grep -E -- "$pattern" || true)
done
[ ${#files[@]} -gt 0 ] || { echo "tidy: no files to check" >&2; exit 2; }

raw=$(mktemp)
trap 'rm -f "$raw"' EXIT
# Every finding is an error (WarningsAsErrors), so a failed clang-tidy run means findings.
status=0
printf '%s\0' "${files[@]}" |
  xargs -0 -n 1 -P "$(nproc)" clang-tidy -p "$build_dir" --quiet >"$raw" 2>&1 || status=1
# "N warnings generated." counts what the header filter and the check list leave out: noise.
grep -v -E '^[0-9]+ (warnings?|errors?)( and [0-9]+ errors?)? generated\.$' "$raw" || true
if [ $status -ne 0 ]; then
  echo "tidy: $(grep -c -E ' (warning|error): ' "$raw") findings (${#files[@]} files checked)" >&2
  exit 1
fi
echo "tidy: ${#files[@]} files, no findings"
