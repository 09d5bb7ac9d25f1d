#!/usr/bin/env bash
# Installs what is missing, builds, and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --runtime
scripts/build.sh
build_dir=${LINKHIVE_BUILD_DIR:-build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<MSG
No display found (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot be shown.
Run it on a desktop session, or anyway without a screen:
  QT_QPA_PLATFORM=offscreen $build_dir/src/app/linkhive
  xvfb-run $build_dir/src/app/linkhive        (after: apt-get install xvfb)
MSG
  exit 1
fi
exec "$build_dir/src/app/linkhive" "$@"
