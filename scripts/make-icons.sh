#!/usr/bin/env bash
# Regenerates data/icons/hicolor/*/apps/linkhive.png from the program's own drawing.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${LINKHIVE_BUILD_DIR:-build}
cmake --build "$build_dir" --target linkhive-icons --parallel 2
QT_QPA_PLATFORM=offscreen "$build_dir/src/controls/linkhive-icons" data/icons/hicolor
