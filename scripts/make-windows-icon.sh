#!/usr/bin/env bash
# Regenerates src/app/windows/linkhive.ico, the icon resource of linkhive.exe, from the program's
# own picture as data/icons holds it (scripts/make-icons.sh makes those from the drawing). The
# sizes Windows asks for in Explorer, the taskbar and the Start menu; ImageMagick stores the
# small ones as bitmaps, which every Windows reads, and 256 pixels as PNG.
set -euo pipefail
cd "$(dirname "$0")/.."
sizes=(16 24 32 48 64 256)
pictures=()
for size in "${sizes[@]}"; do
  pictures+=("data/icons/hicolor/${size}x${size}/apps/linkhive.png")
done
convert "${pictures[@]}" src/app/windows/linkhive.ico
identify src/app/windows/linkhive.ico
