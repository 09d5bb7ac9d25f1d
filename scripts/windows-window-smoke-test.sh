#!/usr/bin/env bash
# Starts the Windows window from the portable folder under wine on a virtual display, as a
# Japanese user would: a collection the companion of the same build made in a folder with a
# Japanese name opens with its name in the caption, a close through the File menu stores the
# settings (in a wine prefix of the test's own, so no real registry is touched), the companion
# still reads the same records, and the installer installs silently. Also: the program carries
# its icon; a refused second start brings the first window back above another program's; the
# help page and the access command reach the system's handlers through the shell (handlers of
# the test's prefix that only note what they were given). Screenshots are kept in the build
# folder.
#   windows-window-smoke-test.sh PORTABLE_FOLDER [INSTALLER]
set -euo pipefail
portable=$(realpath "$1")
installer=${2:+$(realpath "$2")}
build_dir=$(dirname "$portable")
fail() {
  echo "windows window smoke test: $*" >&2
  # What the screen showed, for the CI artifacts.
  [ -n "${DISPLAY:-}" ] && import -window root "$build_dir/window-wine-failure.png" 2>/dev/null
  exit 1
}

if [ -z "${LINKHIVE_SMOKE_ON_DISPLAY:-}" ]; then
  LINKHIVE_SMOKE_ON_DISPLAY=1 exec xvfb-run -a -s '-screen 0 1280x900x24' "$0" "$@"
fi
rm -f "$build_dir/window-wine-failure.png"

# The program's picture as its icon: a group of six sizes among the program's resources.
icons=$(x86_64-w64-mingw32-objdump -p "$portable/linkhive.exe" | awk '
  /^[0-9a-f]+   Entry: ID: 0x00000e,/ { group = 1 }
  /^[0-9a-f]+   Entry: ID: 0x000003,/ { icon = 1; next }
  icon && /Name Table/ { sub(/.*IDs: /, ""); count = $0; icon = 0 }
  END { if (group) print count + 0; else print 0 }')
[ "$icons" = 6 ] || fail "linkhive.exe holds $icons icon images in an icon group (6 expected)"

export WINEPREFIX=$build_dir/wineprefix-window WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
rm -rf "$WINEPREFIX"
wineboot --init >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT

work=$build_dir/window-smoke
rm -rf "$work"
mkdir -p "$work/日本語"
cd "$work"
printf 'see http://a.example/x and http://b.example/\r\n' >a.txt
printf 'http://c.example/\x83\x79\x81\x5B\x83\x57\r\n' >'メモ.txt' # ページ in code page 932
cli=$portable/linkhive-cli.exe
out=$(wine "$cli" scan-urls '日本語\リンク集.htm' a.txt 'メモ.txt' | tr -d '\r')
[ "$out" = "3 件追加、3 件検出、0 件は登録済み、0 件は長すぎるため除外、日本語\リンク集.htm のレコードは 3 件" ] || fail "scan said: $out"
before=$(wine "$cli" list '日本語\リンク集.htm' | tr -d '\r')

collection="Z:${work//\//\\}\\日本語\\リンク集.htm"
# The open dialog starts in the Japanese folder; a second start is refused.
wine reg add 'HKCU\Software\Tessella\Linkhive\History' /v OpenDir /d "${collection%\\*}" /f \
  >/dev/null
wine reg add 'HKCU\Software\Tessella\Linkhive\OtherSet' /v 2ndStart /t REG_DWORD /d 0 /f \
  >/dev/null
# What the shell opens goes to a handler that notes its argument: web addresses, and the help
# page by its type (only in this prefix, which is the test's own).
opened=$work/opened.txt
note="C:\\windows\\system32\\cmd.exe /c echo %1>>$(winepath -w "$opened")"
wine reg add 'HKCR\http\shell\open\command' /ve /d "$note" /f >/dev/null
wine reg add 'HKCR\.html' /ve /d LinkhiveSmokePage /f >/dev/null
wine reg add 'HKCR\LinkhiveSmokePage\shell\open\command' /ve /d "$note" /f >/dev/null
wine "$portable/linkhive.exe" "$collection" >"$work/window.log" 2>&1 &
window=$(timeout 120 xdotool search --sync --onlyvisible --name 'リンク集\.htm' | head -n1) ||
  fail "no window named after the collection appeared"
caption=$(xdotool getwindowname "$window")
case "$caption" in
*"$collection"* | *'リンク集.htm'*) ;;
*) fail "caption: $caption" ;;
esac
echo "window caption: $caption"
sleep 3 # the deferred start-up (settings, history menu) runs from the event loop
import -window root "$build_dir/window-wine.png"

# Whether the first X window is stacked above the second. With no window manager on the virtual
# display nothing takes the keyboard focus, but the stacking order is the X server's own.
above() {
  xwininfo -root -children | awk -v a="$(printf '0x%x' "$1")" -v b="$(printf '0x%x' "$2")" '
    $1 == a && !seen { print "yes"; exit } $1 == b { seen = 1 }' | grep -q yes
}
# Another program's window over the first one.
wine notepad >/dev/null 2>&1 &
notepad_pid=$!
other=$(timeout 60 xdotool search --sync --onlyvisible --classname 'notepad.exe' | head -n1) ||
  fail "notepad did not come up"
sleep 2
above "$other" "$window" || fail "notepad did not come up over the window"

# A refused second start ends by itself, leaving the one window, which it brings forward.
timeout 120 wine "$portable/linkhive.exe" >/dev/null 2>&1 || fail "a refused second start did not end"
windows=$(xdotool search --onlyvisible --name '^Linkhive for Windows' | wc -l)
[ "$windows" = 1 ] || fail "$windows main windows after a refused second start"
for _ in $(seq 20); do
  above "$window" "$other" && break
  sleep 0.5
done
above "$window" "$other" || fail "the refused second start did not bring the first window forward"
import -window root "$build_dir/window-wine-forward.png"
kill "$notepad_pid" 2>/dev/null || true
wait "$notepad_pid" 2>/dev/null || true

# The handlers below are console programs: the console wine makes for them keeps the activation
# when they end, and with no window manager nothing gives it back. A click on the status bar
# (where it changes nothing) does, as the user's would.
activate_window() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove --window "$window" $((WIDTH / 2)) $((HEIGHT - 6)) click 1
  sleep 1
}

# The help page through the shell: opened as a page, by its type.
xdotool windowfocus "$window" key --clearmodifiers alt+h
sleep 1
xdotool key --clearmodifiers h
for _ in $(seq 30); do
  grep -qs 'Linkhive\.html' "$opened" && break
  sleep 1
done
grep -qs 'Linkhive\.html' "$opened" || fail "the help page did not reach the shell's handler"
activate_window

# The about box, a message box of the program's own.
xdotool windowfocus "$window" key --clearmodifiers alt+h
sleep 1
xdotool key --clearmodifiers a
sleep 3
import -window root "$build_dir/window-wine-about.png"
xdotool key --clearmodifiers Escape
sleep 1

# The open dialog, in the folder with the Japanese name.
xdotool windowfocus "$window" key --clearmodifiers ctrl+o
sleep 4
import -window root "$build_dir/window-wine-file-dialog.png"
xdotool key --clearmodifiers Escape
sleep 1

# The access command on the first record: its address to the shell's web handler.
xdotool windowfocus "$window" key --clearmodifiers alt+e
sleep 1
xdotool key --clearmodifiers a
for _ in $(seq 30); do
  grep -qs 'http://.\.example/' "$opened" && break
  sleep 1
done
grep -qs 'http://.\.example/' "$opened" ||
  fail "the access command did not reach the shell's handler: $(cat "$opened" 2>/dev/null)"
echo "the shell was asked to open: $(tr -d '\r' <"$opened" | tr '\n' ' ')"
activate_window

# A name typed into the first row marks the collection changed, so the close through the File
# menu asks whether to save: the program's own message box, answered No.
xdotool windowfocus "$window" type --delay 100 'x'
xdotool key --clearmodifiers Return
sleep 1
xdotool windowfocus "$window" key --clearmodifiers alt+f
sleep 1
xdotool key --clearmodifiers x
sleep 3
import -window root "$build_dir/window-wine-message.png"
xdotool key --clearmodifiers n
for _ in $(seq 60); do
  xdotool search --name 'リンク集\.htm' >/dev/null 2>&1 || break
  sleep 1
done
xdotool search --name 'リンク集\.htm' >/dev/null 2>&1 && fail "the window did not close"
wineserver -w

wine reg export 'HKCU\Software\Tessella\Linkhive' settings.reg >/dev/null 2>&1 ||
  fail "nothing stored under HKEY_CURRENT_USER\\Software\\Tessella\\Linkhive"
settings=$(iconv -f UTF-16 -t UTF-8 settings.reg | tr -d '\r')
expected_end=$(printf '"EndFile"="%s"' "${collection//\\/\\\\}")
grep -qxF "$expected_end" <<<"$settings" || fail "EndFile not stored as $expected_end"
grep -q '^"LastEndDay"="..*"$' <<<"$settings" || fail "no end of use in the usage record"
grep -q '^"Number"="..*"$' <<<"$settings" || fail "no start count in the usage record"

after=$(wine "$cli" list '日本語\リンク集.htm' | tr -d '\r')
[ "$before" = "$after" ] || fail "the companion reads other records after the window: $after"

if [ -n "$installer" ]; then
  # The per-user install: the user's own program folder, no administrator needed.
  wine "$installer" /S /CurrentUser
  wineserver -w
  users=$(winepath -u 'C:\users')
  installed=$(find "$users" -path '*/AppData/Local/Programs/Linkhive' -type d | head -n1)
  [ -n "$installed" ] || fail "the installer put nothing in the user's program folder"
  help=$(wine "$installed/linkhive-cli.exe" --help | tr -d '\r')
  grep -q 'linkhive-cli' <<<"$help" || fail "the installed companion's --help: $help"
  [ -f "$installed/uninstall.exe" ] || fail "no uninstaller installed"
  find "$users" -path '*Start Menu/Programs/Linkhive/Linkhive.lnk' | grep -q . ||
    fail "no Start-menu entry"
  wine "$installed/uninstall.exe" /S /CurrentUser
  wineserver -w
  sleep 2
  [ ! -f "$installed/linkhive.exe" ] || fail "the uninstaller left the program"
fi
echo "windows window smoke test: passed"
