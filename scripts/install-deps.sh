#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; does nothing when all are present.
# With --runtime it adds what a desktop session needs to use the program: a Japanese font for
# the interface and the desktop's default-handler launcher. With --windows it adds what the
# Windows cross-build and its test run need: MinGW, wine, GoogleTest's sources, a Japanese
# locale to run under, NSIS for the window's installer, and a virtual display with a window
# finder and screenshots for starting the window; with --fuzz what scripts/fuzz.sh needs; with
# --tidy what scripts/tidy.sh needs.
set -euo pipefail
# qt6-translations-l10n: the toolkit's own dialogs (buttons, file and font dialogs) in Japanese.
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools
          qt6-translations-l10n libgl-dev libgtest-dev libgmock-dev libbenchmark-dev
          clang-format)
case "${1:-}" in
--runtime) packages+=(fonts-ipafont-gothic xdg-utils) ;;
--windows) packages+=(g++-mingw-w64-x86-64-posix wine wine64 googletest locales ccache
                     nsis xvfb xauth xdotool imagemagick) ;;
# clang and its libFuzzer and sanitizer runtimes, for scripts/fuzz.sh only.
--fuzz) packages+=(clang libclang-rt-14-dev) ;;
--tidy) packages+=(clang-tidy) ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
