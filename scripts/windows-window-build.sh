#!/usr/bin/env bash
# Cross-builds the window (linkhive.exe) against a Qt for MinGW and lays out the portable folder
# and the installer; builds the window's tests (app_tests, widgets_tests) beside it, which
# check-windows-build.sh runs under wine. Does nothing when no Qt for MinGW is found.
#   LINKHIVE_QT_MINGW              a Qt 6 for MinGW (the folder holding lib/cmake/Qt6); else
#                                  ../shared/qt6-mingw/qt6-mingw.tar.xz beside the repository is
#                                  unpacked into the build folder
#   LINKHIVE_WINDOWS_GUI_BUILD_DIR build folder (default build-windows-gui)
# Prints the portable folder's path on its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build_dir=${LINKHIVE_WINDOWS_GUI_BUILD_DIR:-build-windows-gui}
mkdir -p "$build_dir"
build_dir=$(cd "$build_dir" && pwd)

qt=${LINKHIVE_QT_MINGW:-}
if [ -z "$qt" ]; then
  archive=$root/../shared/qt6-mingw/qt6-mingw.tar.xz
  # A git worktree elsewhere looks beside its main checkout.
  if [ ! -f "$archive" ] && common=$(git rev-parse --path-format=absolute --git-common-dir 2>/dev/null); then
    archive=$(dirname "$(dirname "$common")")/shared/qt6-mingw/qt6-mingw.tar.xz
  fi
  if [ ! -f "$archive" ]; then
    echo "no Qt for MinGW (LINKHIVE_QT_MINGW or $archive): the window is not cross-built" >&2
    exit 0
  fi
  qt=$build_dir/qt6-mingw
  # Unpacked again only when the archive changed.
  stamp=$(stat -c '%s %Y' "$archive")
  if [ "$(cat "$build_dir/qt6-mingw.stamp" 2>/dev/null)" != "$stamp" ]; then
    rm -rf "$qt"
    tar -C "$build_dir" -xJf "$archive"
    echo "$stamp" >"$build_dir/qt6-mingw.stamp"
  fi
fi
[ -d "$qt/lib/cmake/Qt6" ] || { echo "$qt holds no Qt 6 (lib/cmake/Qt6)" >&2; exit 1; }

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
  -DCMAKE_C_COMPILER_LAUNCHER=ccache)
# A build folder made before the tests were built here is configured again.
if ! grep -qs '^LINKHIVE_BUILD_TESTS:BOOL=ON' "$build_dir/CMakeCache.txt"; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-qt6.toolchain.cmake" \
    -DLINKHIVE_QT_MINGW="$qt" -DCMAKE_BUILD_TYPE=Release -DLINKHIVE_WERROR=ON \
    -DLINKHIVE_BUILD_TESTS=ON -DLINKHIVE_GTEST_SOURCE_DIR=/usr/src/googletest \
    `# wine shows the Linux root as drive Z:, and the tests find their fixtures there` \
    -DLINKHIVE_TEST_DATA_DIR="Z:$root/tests/data" -DCMAKE_CROSSCOMPILING_EMULATOR=wine \
    "${launcher[@]}" >&2
fi
cmake --build "$build_dir" --parallel "$(nproc)" \
  --target linkhive linkhive-cli app_tests widgets_tests >&2

# The portable folder: everything the window needs beside it, nothing from the build machine.
portable=$build_dir/Linkhive
rm -rf "$portable"
mkdir -p "$portable/platforms" "$portable/styles" "$portable/translations"
cp "$build_dir/src/app/linkhive.exe" "$build_dir/src/cli/linkhive-cli.exe" "$portable/"
cp "$qt/plugins/platforms/qwindows.dll" "$portable/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$portable/styles/"
# The DLLs the programs and plugins import, followed to the end; the system's own are left out.
mingw_lib=/usr/x86_64-w64-mingw32/lib
pending=("$portable"/*.exe "$portable"/platforms/*.dll "$portable"/styles/*.dll)
while [ ${#pending[@]} -gt 0 ]; do
  file=${pending[0]}
  pending=("${pending[@]:1}")
  for dll in $(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
    [ -f "$portable/$dll" ] && continue
    for dir in "$qt/bin" "$mingw_lib"; do
      if [ -f "$dir/$dll" ]; then
        cp "$dir/$dll" "$portable/"
        pending+=("$portable/$dll")
        break
      fi
    done
  done
done
[ -f "$portable/libwinpthread-1.dll" ] || { echo "libwinpthread-1.dll not found" >&2; exit 1; }
cp data/help/Linkhive.html data/home/Tessella.htm "$portable/"
cp /usr/share/qt6/translations/qtbase_ja.qm "$portable/translations/" 2>/dev/null ||
  echo "qtbase_ja.qm missing (Debian's qt6-translations-l10n): Qt's own texts stay English" >&2
# Plug-ins and translations are found beside the program wherever the folder is put.
printf '[Paths]\r\nPrefix = .\r\nPlugins = .\r\nTranslations = translations\r\n' >"$portable/qt.conf"

# The installer, made from the portable folder.
makensis -V2 -NOCD -DSOURCE_DIR="$portable" -DOUT_FILE="$build_dir/linkhive-setup.exe" \
  -DVERSION="$(sed -n 's/^project(Linkhive VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)" \
  packaging/windows/linkhive.nsi >&2
echo "portable folder: $(du -sh "$portable" | cut -f1), installer: $(du -h \
  "$build_dir/linkhive-setup.exe" | cut -f1)" >&2
echo "$portable"
