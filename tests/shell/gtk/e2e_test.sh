#!/usr/bin/env bash
# End-to-end tests of the Linux program: the real `drelbin` on Xvfb, driven
# with xdotool, against a real Wine prefix whose registry Wine itself wrote
# (`reg add /reg:32` for the uninstall entry, as a 32-bit installer does).
#
#   tests/shell/gtk/e2e_test.sh BUILD_DIR
#
# BUILD_DIR is the linux preset's build folder (the program and
# drelbin_close_window).  Everything the run leaves -- screenshots, logs,
# the prefix -- is in build/test-gtk; the screenshots in build/test-gtk/shots.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
BUILD=$(cd "${1:?usage: e2e_test.sh BUILD_DIR}" && pwd)
PROGRAM=$BUILD/shell/gtk/drelbin
CLOSE_WINDOW=$BUILD/tests/shell/gtk/drelbin_close_window
WORK=$ROOT/build/test-gtk
SHOTS=$WORK/shots

# shellcheck source=../../../scripts/wine-env
source "$ROOT/scripts/wine-env"
rm -rf "$WORK"
wine_env_init "$WORK"
mkdir -p "$SHOTS"

APP_PID=
HOLDER_PID=
cleanup() {
  [ -z "$APP_PID" ] || kill "$APP_PID" 2>/dev/null || true
  [ -z "$HOLDER_PID" ] || kill "$HOLDER_PID" 2>/dev/null || true
  wine_env_cleanup
}
trap cleanup EXIT

PASSED=0
FAILED=0
CASE=
fail() {
  echo "FAIL [$CASE]: $*" >&2
  FAILED=$((FAILED + 1))
}
check() { # check DESCRIPTION COMMAND...: one assertion of the current case
  local what=$1
  shift
  if "$@"; then PASSED=$((PASSED + 1)); else fail "$what"; fi
}

# --- the prefix and its control files -------------------------------------

# Where the TARNVEX application is installed and where it shares its data:
# a Japanese folder name exercises code page 932 from registry to file name.
INSTALL_DIR='C:\Program Files (x86)\TARNVEX'
DISPLAY_ICON="$INSTALL_DIR\\TARNVEX.exe,0"
SHARED_DIR='C:\TARNVEX共有データ\'
UNINSTALL_KEY='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\TARNVEX for Windows'
SETTINGS_KEY='HKCU\SOFTWARE\VB and VBA Program Settings\TARNVEX V1.0a\Settings'

wine_prefix_prepare
INSTALLED_FILE=$(wine_unix_path "$INSTALL_DIR\\Data\\CDCCTL.DAT")
SHARED_FILE=$(wine_unix_path "${SHARED_DIR}CDCCTL.DAT")
mkdir -p "$(dirname "$INSTALLED_FILE")" "$(dirname "$SHARED_FILE")"

# The 96 bytes that a repair writes at offset 66.
TABLE='\xe1\x80\x2f\x01\x00\x00\x40\x40\x00\x00\x90\x40\x00\x00\x00\x00'
TABLE+='\x61\xb9\x30\x01\x00\x00\xa0\x40\x00\x00\x00\x00\x00\x00\x00\x00'
TABLE+='\x71\x51\x33\x01\x00\x00\x00\x41\x00\x00\x00\x00\x00\x00\x00\x00'
TABLE+='\x19\x17\x34\x01\x00\x00\x20\x41\x00\x00\x00\x00\x00\x00\x00\x00'
TABLE+='\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'
TABLE+='\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'

# A 300-byte control file whose every byte tells its offset (mod 251), and
# the same file as a repair must leave it.
ORIGINAL=$WORK/original.dat
REPAIRED=$WORK/repaired.dat
for ((i = 0; i < 300; i++)); do printf "\\x$(printf %02x $((i % 251)))"; done >"$ORIGINAL"
{
  head -c 66 "$ORIGINAL"
  printf '%b' "$TABLE"
  tail -c +163 "$ORIGINAL"
} >"$REPAIRED"

reset_control_files() {
  cp "$ORIGINAL" "$INSTALLED_FILE"
  cp "$ORIGINAL" "$SHARED_FILE"
}

# Registry changes reach system.reg and user.reg, which the program reads,
# when the prefix's wineserver saves them: on its way out.
registry_saved() { wine_server_stop; }

# --- the program --------------------------------------------------------------

# visible_windows: the program's mapped windows, one id a line.
visible_windows() { xdotool search --onlyvisible --class '^drelbin$' 2>/dev/null || true; }

# wait_for COMMAND...: polls until COMMAND succeeds; fails after 15 s.
wait_for() {
  local tries=0
  until "$@"; do
    tries=$((tries + 1))
    [ $tries -lt 1500 ] || return 1
    sleep 0.01
  done
}

main_window_shown() {
  MAIN_WINDOW=$(xdotool search --onlyvisible --name '^TARNVEX$' 2>/dev/null | head -n 1)
  [ -n "$MAIN_WINDOW" ]
}

# box_shown: sets BOX to the program's one visible window that is not the
# main window (a message box).
box_shown() {
  BOX=$(visible_windows | grep -vx "$MAIN_WINDOW" | head -n 1)
  [ -n "$BOX" ]
}
no_box() { [ -z "$(visible_windows | grep -vx "$MAIN_WINDOW")" ]; }
app_gone() { ! kill -0 "$APP_PID" 2>/dev/null; }

# start_program [WRAPPER...]: starts the program in the prefix and waits for
# its window; STARTUP_MS is the time from the start to the mapped window.
start_program() {
  local start
  start=$(date +%s%N)
  "$@" "$PROGRAM" >"$WORK/logs/drelbin-$CASE.out" 2>"$WORK/logs/drelbin-$CASE.err" </dev/null &
  APP_PID=$!
  if ! wait_for main_window_shown; then
    fail "the window did not appear"
    return 1
  fi
  STARTUP_MS=$((($(date +%s%N) - start) / 1000000))
  # Without a window manager nobody gives the window the keyboard.
  xdotool windowfocus --sync "$MAIN_WINDOW"
}

# finish_program: waits for the program to end; checks its exit code 0.
finish_program() {
  if ! wait_for app_gone; then
    fail "the program did not end"
    kill "$APP_PID" 2>/dev/null || true
  fi
  local status=0
  wait "$APP_PID" || status=$?
  APP_PID=
  check "exit code 0 (was $status)" test "$status" -eq 0
  if [ -s "$WORK/logs/drelbin-$CASE.err" ]; then
    echo "[$CASE] the program's standard error:" >&2
    cat "$WORK/logs/drelbin-$CASE.err" >&2
  fi
}

press() { # press KEY: a key to the focused window
  xdotool key --clearmodifiers "$1"
  sleep 0.2
}

# dismiss_box [KEY|close]: dismisses the message box BOX with a key (Return,
# which presses OK, unless told) or through its frame's close button.
dismiss_box() {
  if [ "${1:-}" = close ]; then
    "$CLOSE_WINDOW" "$BOX"
  else
    xdotool windowfocus --sync "$BOX"
    press "${1:-Return}"
  fi
  wait_for no_box || fail "the message box did not go away"
}

shot() { import -window "$1" "$SHOTS/$2.png"; }

# The message box's text, title and kind, as the tests see them from outside.
# box_title: the box's title as xprop quotes it ("drelbin"; nothing after the
# "=" for an empty one), or <none> when it has none at all.
box_title() {
  local line
  line=$(xprop -id "$BOX" _NET_WM_NAME)
  case $line in
    "_NET_WM_NAME(UTF8_STRING) ="*) echo "${line#*= }" ;;
    *) echo '<none>' ;;
  esac
}
box_is_modal_over_main() {
  xprop -id "$BOX" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL &&
    [ "$(xprop -id "$BOX" WM_TRANSIENT_FOR | grep -o '0x[0-9a-f]*')" = \
      "$(printf '0x%x' "$MAIN_WINDOW")" ]
}

same_bytes() { cmp -s "$1" "$2"; }
same_picture() {
  [ "$(identify -format %wx%h "$1")" = "$(identify -format %wx%h "$2")" ] &&
    cmp -s <(convert "$1" rgb:-) <(convert "$2" rgb:-)
}
different_picture() { ! same_picture "$1" "$2"; }

# --- the cases ----------------------------------------------------------------

echo "e2e: registry values from wine reg add, in $WINEPREFIX"
wine_reg_add "$UNINSTALL_KEY" /v DisplayIcon /t REG_SZ /d "$DISPLAY_ICON"
wine_reg_add "$SETTINGS_KEY" /v CommonDataPath /t REG_SZ /d "$SHARED_DIR"
registry_saved
check "the uninstall entry is in the 32-bit view of system.reg" \
  grep -q '^\[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\TARNVEX for Windows\]' \
  "$WINEPREFIX/system.reg"

xvfb_start 1024x768x24

CASE=both-repaired
reset_control_files
start_program
echo "e2e: the window was mapped $STARTUP_MS ms after the program started"
shot "$MAIN_WINDOW" window
geometry=$(xwininfo -id "$MAIN_WINDOW")
check "window corner at (214, 161)" \
  grep -q 'Absolute upper-left X:  214' <<<"$geometry"
check "window corner at (214, 161) (y)" grep -q 'Absolute upper-left Y:  161' <<<"$geometry"
check "client area 229 x 98" \
  test "$(xdotool getwindowgeometry "$MAIN_WINDOW" | sed -n 's/^ *Geometry: //p')" = 229x98
properties=$(xprop -id "$MAIN_WINDOW")
check "title TARNVEX" grep -q '^_NET_WM_NAME(UTF8_STRING) = "TARNVEX"$' <<<"$properties"
check "window class drelbin" grep -q '^WM_CLASS(STRING) = "drelbin", "drelbin"$' <<<"$properties"
check "dialog window type" grep -q '_NET_WM_WINDOW_TYPE_DIALOG' <<<"$properties"
check "fixed size" grep -q 'program specified minimum size: 229 by 98' <<<"$properties"
check "fixed size (maximum)" grep -q 'program specified maximum size: 229 by 98' <<<"$properties"
check "the program icon, 32 x 32" grep -q 'Icon (32 x 32)' <<<"$properties"
# The button's frame, found in the screenshot below the label: 151 x 25 at
# (36, 36).  The label's text starts at its place (36, 12).
# (The fuzz leaves out the theme's faint shadow.)
button=$(convert "$SHOTS/window.png" -crop 229x68+0+30 +repage -fuzz 10% -trim \
  -format '%wx%h%X%Y' info:)
check "button 151x25 at (36, 36) (found $button)" test "$button" = "151x25+36+6"
label=$(convert "$SHOTS/window.png" -crop 229x30+0+0 +repage -trim -format '%X %Y' info:)
read -r label_x label_y <<<"${label//+/}"
check "label text at (36, 12) (ink at $label_x, $label_y)" \
  test "$label_x" -ge 36 -a "$label_x" -le 38 -a "$label_y" -ge 12 -a "$label_y" -le 15
# Tab keeps the focus on the button, the only control that can take it;
# Enter presses it.
press Tab
press shift+Tab
press Return
if wait_for box_shown; then
  shot "$BOX" success-message
  check "result message has an empty title (was $(box_title))" test "$(box_title)" = ''
  check "result message is modal over the window" box_is_modal_over_main
  dismiss_box
fi
finish_program
check "the installed control file is repaired (only bytes 66-161 changed)" \
  same_bytes "$INSTALLED_FILE" "$REPAIRED"
check "the shared control file is repaired (only bytes 66-161 changed)" \
  same_bytes "$SHARED_FILE" "$REPAIRED"

CASE=larger-font
# A font half as large again (as on a screen of 144 pixels per inch): the
# "0" is 18 pixels high, so the layout grows by 18/12; the corner stays.
start_program env GDK_DPI_SCALE=1.5
shot "$MAIN_WINDOW" window-larger-font
geometry=$(xwininfo -id "$MAIN_WINDOW")
check "window corner not scaled" grep -q 'Absolute upper-left X:  214' <<<"$geometry"
check "window corner not scaled (y)" grep -q 'Absolute upper-left Y:  161' <<<"$geometry"
check "client area 344 x 147" \
  test "$(xdotool getwindowgeometry "$MAIN_WINDOW" | sed -n 's/^ *Geometry: //p')" = 344x147
button=$(convert "$SHOTS/window-larger-font.png" -crop 344x100+0+45 +repage -fuzz 10% -trim \
  -format '%wx%h%X%Y' info:)
check "button 227x38 at (54, 54) (found $button)" test "$button" = "227x38+54+9"
"$CLOSE_WINDOW" "$MAIN_WINDOW"
finish_program

CASE=dialog-face
# Where "ＭＳ Ｐゴシック" is installed the dialog takes it before the Japanese
# fallback.  A private fontconfig set-up lets that name stand for DejaVu
# Serif, a face whose "0" is 14 pixels high at 9 points: the dialog shows in
# it, and its layout grows by 14/12.
cat >"$WORK/fonts.conf" <<'EOF'
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <include>/etc/fonts/fonts.conf</include>
  <match target="pattern">
    <test name="family"><string>ＭＳ Ｐゴシック</string></test>
    <edit name="family" mode="assign" binding="strong"><string>DejaVu Serif</string></edit>
  </match>
</fontconfig>
EOF
start_program env FONTCONFIG_FILE="$WORK/fonts.conf"
shot "$MAIN_WINDOW" window-dialog-face
check "client area 267 x 114" \
  test "$(xdotool getwindowgeometry "$MAIN_WINDOW" | sed -n 's/^ *Geometry: //p')" = 267x114
"$CLOSE_WINDOW" "$MAIN_WINDOW"
finish_program

CASE=close-without-pressing
reset_control_files
touch -d '2001-01-01 00:00' "$INSTALLED_FILE" "$SHARED_FILE"
start_program strace -f -qq -e trace=%file -o "$WORK/logs/close.strace"
"$CLOSE_WINDOW" "$MAIN_WINDOW"
finish_program
check "no message box" no_box
check "no registry file opened" \
  bash -c "! grep -E 'system\.reg|user\.reg|CDCCTL' '$WORK/logs/close.strace'"
check "installed control file untouched" same_bytes "$INSTALLED_FILE" "$ORIGINAL"
check "shared control file untouched" same_bytes "$SHARED_FILE" "$ORIGINAL"
check "modification times unchanged" \
  test "$(stat -c %Y "$INSTALLED_FILE" "$SHARED_FILE" | sort -u)" = "$(date -d '2001-01-01 00:00' +%s)"

CASE=dword-display-icon
reset_control_files
wine_reg_add "$UNINSTALL_KEY" /v DisplayIcon /t REG_DWORD /d 1
registry_saved
start_program
# The mouse this time.
xdotool mousemove --window "$MAIN_WINDOW" 110 48 click 1
if wait_for box_shown; then
  shot "$BOX" error-box
  check "error box title drelbin" test "$(box_title)" = '"drelbin"'
  check "error box is modal over the window" box_is_modal_over_main
  # A click on the window while the box is up does nothing.
  xdotool mousemove --window "$MAIN_WINDOW" 110 48 click 1
  sleep 0.3
  dismiss_box
  sleep 0.3
  check "the window stays after the error box" main_window_shown
  check "the click during the box was not taken" no_box
fi
# Still usable: the button runs the command again, with the same result.
xdotool windowfocus --sync "$MAIN_WINDOW"
press space
if wait_for box_shown; then
  check "error box again on the second press" test "$(box_title)" = '"drelbin"'
  dismiss_box
else
  fail "no error box on the second press"
fi
check "the window is still open" main_window_shown
"$CLOSE_WINDOW" "$MAIN_WINDOW"
finish_program
check "installed control file untouched" same_bytes "$INSTALLED_FILE" "$ORIGINAL"
check "the shared control file untouched: the second lookup never ran" \
  same_bytes "$SHARED_FILE" "$ORIGINAL"

CASE=held-by-windows-program
reset_control_files
wine_reg_add "$UNINSTALL_KEY" /v DisplayIcon /t REG_SZ /d "$DISPLAY_ICON"
wine_reg_delete "$SETTINGS_KEY"
registry_saved
x86_64-w64-mingw32-gcc -O2 -o "$WORK/hold_file.exe" "$ROOT/tests/shell/gtk/hold_file.c"
rm -f "$(wine_unix_path 'C:\held')"
wine_start hold_file "$WORK/hold_file.exe" "$INSTALL_DIR\\Data\\CDCCTL.DAT" 'C:\held'
HOLDER_PID=$WINE_LAST_PID
if wait_for test -e "$(wine_unix_path 'C:\held')"; then
  # Wine opens the file in wineserver, which holds it for the program's
  # handle; the program itself fetches the descriptor only to read or write.
  holders=$(find /proc/[0-9]*/fd -lname "$(readlink -f "$INSTALLED_FILE")" 2>/dev/null |
    cut -d/ -f3 | sort -u | xargs -r -I{} cat /proc/{}/comm || true)
  echo "e2e: processes holding the held file: $(tr "\n" " " <<<"$holders")"
  check "wineserver holds the file" grep -q '^wineserver' <<<"$holders"
  start_program
  press Return
  if wait_for box_shown; then
    shot "$BOX" not-found-held
    dismiss_box close  # the program ends all the same
  else
    fail "no result message"
  fi
  finish_program
else
  fail "the Windows program did not open the file"
fi
check "the held control file untouched" same_bytes "$INSTALLED_FILE" "$ORIGINAL"
check "the Windows program held it all along" kill -0 "$HOLDER_PID"
kill "$HOLDER_PID" 2>/dev/null || true
wait "$HOLDER_PID" 2>/dev/null || true
HOLDER_PID=

CASE=not-found
reset_control_files
wine_reg_delete "$UNINSTALL_KEY"
registry_saved
start_program
press Escape
check "Escape does nothing" no_box
check "Escape does not close the window" main_window_shown
press space
if wait_for box_shown; then
  shot "$BOX" not-found
  check "not-found message has an empty title" test "$(box_title)" = ''
  dismiss_box Escape  # the program ends all the same
else
  fail "no result message"
fi
# The result messages, told apart by their pictures: the held file gave the
# not-found message, and the success message is another one.
check "the held file gave the not-found message" \
  same_picture "$SHOTS/not-found-held.png" "$SHOTS/not-found.png"
check "the success message differs from the not-found message" \
  different_picture "$SHOTS/success-message.png" "$SHOTS/not-found.png"
finish_program
check "installed control file untouched" same_bytes "$INSTALLED_FILE" "$ORIGINAL"
check "shared control file untouched" same_bytes "$SHARED_FILE" "$ORIGINAL"

echo "e2e: $PASSED checks passed, $FAILED failed; screenshots in $SHOTS"
[ "$FAILED" -eq 0 ]
