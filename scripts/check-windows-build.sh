#!/usr/bin/env bash
# Cross-builds the core, linkhive-cli and the non-GUI tests for 64-bit Windows with MinGW, runs
# the whole test suite under wine with a Japanese locale (code page 932) and again with code page
# 1252, and a smoke test of the companion (scan, rewrite, list, a Japanese file name, an error
# exit) in both. When a Qt for MinGW is found (scripts/windows-window-build.sh) the window is
# built too, with its portable folder, installer and tests; the tests run under wine in both
# code pages and the window is started under wine.
#   LINKHIVE_WINDOWS_BUILD_DIR  build folder (default build-windows)
#   LINKHIVE_WINDOWS_NO_RUN=1   build only
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/install-deps.sh --windows

# LANG=ja_JP.UTF-8 is what gives the wine programs code page 932.
locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$' || {
  if [ "$(id -u)" -eq 0 ]; then
    sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
  else
    echo "the ja_JP.UTF-8 locale is missing and cannot be generated without root" >&2
    exit 1
  fi
}

build_dir=${LINKHIVE_WINDOWS_BUILD_DIR:-build-windows}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
  -DCMAKE_C_COMPILER_LAUNCHER=ccache)
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  cmake -S . -B "$build_dir" "${generator[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DLINKHIVE_BUILD_GUI=OFF -DLINKHIVE_BUILD_TESTS=ON \
    -DLINKHIVE_GTEST_SOURCE_DIR=/usr/src/googletest \
    `# wine shows the Linux root as drive Z:, and the tests find their fixtures there` \
    -DLINKHIVE_TEST_DATA_DIR="Z:$root/tests/data" \
    -DCMAKE_CROSSCOMPILING_EMULATOR=wine "${launcher[@]}" >/dev/null
fi
cmake --build "$build_dir" --parallel "$(nproc)"
echo "built $build_dir/src/cli/linkhive-cli.exe"
portable=$(scripts/windows-window-build.sh | tail -n1)
[ "${LINKHIVE_WINDOWS_NO_RUN:-}" = 1 ] && exit 0

# A prefix of our own, made once; no display, no debugger noise.
export WINEPREFIX=${WINEPREFIX:-$root/$build_dir/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 DISPLAY=
[ -f "$WINEPREFIX/system.reg" ] || wineboot --init >/dev/null 2>&1

# The statically linked programs must need nothing beyond the system's own DLLs.
for exe in "$build_dir/src/cli/linkhive-cli.exe" "$build_dir"/tests/*/*_tests.exe; do
  if x86_64-w64-mingw32-objdump -p "$exe" | grep -iE 'DLL Name: (libgcc|libstdc|libwinpthread)'; then
    echo "$exe needs the compiler's runtime DLLs" >&2
    exit 1
  fi
done

ctest --test-dir "$build_dir" --output-on-failure --timeout 600
# Most Windows machines have another system code page: nothing may depend on it being 932.
LANG=C.UTF-8 LC_ALL=C.UTF-8 ctest --test-dir "$build_dir" --output-on-failure --timeout 600
# A user name outside ASCII must reach the single-instance pipe name whole.
USER=日本太郎 wine "$build_dir/tests/platform/platform_tests.exe" \
  --gtest_filter='InstanceGuardWindows.*' >/dev/null

# Writing to a real console needs a terminal for wine's console to sit on: a pseudo-terminal.
console_report="$build_dir/console-test.xml"
rm -f "$console_report"
script -qfec "wine '$build_dir/tests/platform/platform_tests.exe' --gtest_filter='ConsoleText.*' \
  --gtest_output=xml:'$console_report'" /dev/null >/dev/null
if ! grep -q 'consoleReceivesTheCharactersThemselves" .*result="completed"' "$console_report" ||
   grep -q '<failure\|<skipped' "$console_report"; then
  echo "the console test did not run and pass under a terminal" >&2
  exit 1
fi
scripts/windows-smoke-test.sh "$build_dir/src/cli/linkhive-cli.exe"
LANG=C.UTF-8 LC_ALL=C.UTF-8 scripts/windows-smoke-test.sh "$build_dir/src/cli/linkhive-cli.exe"

if [ -n "$portable" ]; then
  # The window's tests, offscreen (no display), against the Qt for MinGW they were built with,
  # in both code pages; the programs they start take their settings from the tests' scratch key.
  gui_build=$(dirname "$portable")
  qt=$(sed -n 's/^LINKHIVE_QT_MINGW:[A-Z]*=//p' "$gui_build/CMakeCache.txt")
  for lang in ja_JP.UTF-8 C.UTF-8; do
    WINEPATH="Z:$qt/bin;Z:/usr/x86_64-w64-mingw32/lib" LANG=$lang LC_ALL=$lang \
      ctest --test-dir "$gui_build" -R '^(app|widgets)_tests$' --output-on-failure --timeout 600
  done
  scripts/windows-window-smoke-test.sh "$portable" "$gui_build/linkhive-setup.exe"
fi
