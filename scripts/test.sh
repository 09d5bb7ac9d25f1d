#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build_dir=${LINKHIVE_BUILD_DIR:-build}
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 LANG=C.UTF-8
ctest --test-dir "$build_dir" --output-on-failure --parallel "$(nproc)" --timeout 600
