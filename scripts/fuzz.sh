#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan, UBSan) into ./build-fuzz and runs each of them for a
# fixed time, one after the other, with its corpus kept in fuzz/corpus/<target> between runs.
# Usage: scripts/fuzz.sh [seconds-per-target] [target...]
# Installs clang and its fuzzer runtime when they are missing. Crashing inputs are written to
# build-fuzz/findings/<target>/; the script fails when any target found one. Extra libFuzzer
# options go in LINKHIVE_FUZZ_FLAGS (e.g. "-fork=2 -ignore_crashes=1" to go on past a finding).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_collection_reader fuzz_scanners fuzz_settings_parser fuzz_mbcs fuzz_exchange_parsers
  fuzz_utf8_converter)

scripts/install-deps.sh --fuzz
build_dir=${LINKHIVE_FUZZ_BUILD_DIR:-build-fuzz}
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build_dir" "${generator[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DLINKHIVE_FUZZ=ON -DLINKHIVE_BUILD_GUI=OFF \
  -DLINKHIVE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=0
for t in "${targets[@]}"; do
  corpus=fuzz/corpus/$t
  findings=$build_dir/findings/$t
  mkdir -p "$corpus" "$findings"
  echo "== $t: $seconds s"
  log=$build_dir/findings/$t.log
  if "$build_dir/fuzz/$t" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
      ${LINKHIVE_FUZZ_FLAGS:-} \
      "$corpus" fuzz/seeds/"${t#fuzz_}" >"$log" 2>&1; then
    grep -E '^(stat::number_of_executed_units|stat::new_units_added)' "$log" || true
  else
    failed=1
    echo "$t FOUND A PROBLEM (see $log, input in $findings/)"
    grep -E 'property failed|ERROR: |runtime error' "$log" | head -5 || true
  fi
done
exit "$failed"
