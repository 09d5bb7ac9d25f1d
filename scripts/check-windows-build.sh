#!/usr/bin/env bash
# Cross-builds the Qt-free targets (core, platform for Windows, linkhive-cli) with MinGW, so the
# Windows implementations are compiled and linked even on a Linux machine.
# Needs: apt-get install g++-mingw-w64-x86-64-posix
set -euo pipefail
cd "$(dirname "$0")/.."
compiler=$(command -v x86_64-w64-mingw32-g++-posix || true)
[ -n "$compiler" ] || { echo "install g++-mingw-w64-x86-64-posix first" >&2; exit 2; }
build_dir=${LINKHIVE_WINDOWS_BUILD_DIR:-build-windows}
cmake -S . -B "$build_dir" -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_CXX_COMPILER="$compiler" \
  -DLINKHIVE_BUILD_GUI=OFF -DLINKHIVE_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"
echo "built $build_dir/src/cli/linkhive-cli.exe"
