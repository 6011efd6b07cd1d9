#!/usr/bin/env bash
# End-to-end tests of drelbin.exe: the real 64-bit build under Wine, in a
# Japanese prefix (code page 932) on its own Xvfb display, driven with
# xdotool.  Each case sets up the registry and the control files, runs the
# program, and checks the message boxes (text, caption and style, from
# Wine's relay trace of MessageBoxA), the control files byte by byte and the
# exit code.  Screenshots of the dialog and of every message go to the
# output folder.
#
# Usage: tests/shell/win32/e2e.sh EXE OUTPUT_DIR EXE_WITHOUT_FORM
# (the last: the same program built without its resources, for an error at
# start-up)
set -euo pipefail

exe=$(realpath "${1:?drelbin.exe to test}")
out=${2:?output folder}
exe_without_form=$(realpath "${3:?drelbin.exe without its resources}")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
check() { python3 "$here/e2e_check.py" "$@"; }

rm -rf "$out"
mkdir -p "$out/shots"
out=$(cd "$out" && pwd)
# shellcheck source=scripts/wine-env
source "$root/scripts/wine-env"
wine_env_init "$out/wine"
wine_prefix_prepare
xvfb_start 800x600x24

# Debian's Wine leaves its Marlett font (fonts-wine) out of a new prefix;
# without it the title bar's close button shows the letter "r" instead of
# its cross in the screenshots.
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"

# Only the calls that the checks read are traced.
wine_reg_add64 'HKCU\Software\Wine\Debug' /v RelayInclude /d 'MessageBoxA;RegOpenKeyExA;CreateFileA'
cp "$exe" "$WINEPREFIX/drive_c/drelbin.exe"
cp "$exe_without_form" "$WINEPREFIX/drive_c/drelbin_without_form.exe"

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TARNVEX for Windows'
settings_key='HKCU\Software\VB and VBA Program Settings\TARNVEX V1.0a\Settings'
# The application under Program Files, in a folder whose name holds ソ, a
# double-byte character whose second byte is a backslash in code page 932;
# its common data in a Japanese folder.
app_dir='C:\Program Files\TARNVEX\ソフト'
data_dir='C:\TARNVEX\共通データ'
app_file=$(wine_unix_path "$app_dir\\Data\\CDCCTL.DAT")
data_file=$(wine_unix_path "$data_dir\\CDCCTL.DAT")

passed=0
failed=0
current=

note() { echo "e2e: $current: $*" >&2; }
fail() {
  note "FAILED: $*"
  return 1
}

reset_state() {
  wine_reg_delete "$uninstall_key" >/dev/null 2>&1 || true
  wine_reg_delete "$settings_key" >/dev/null 2>&1 || true
  mkdir -p "$(dirname "$app_file")" "$(dirname "$data_file")"
  check make-file "$app_file"
  check make-file "$data_file"
}

# reg_add ARGS...: wine_reg_add, tried a second time: on a loaded machine
# Wine's reg has been seen to fail once without a word.
reg_add() { wine_reg_add "$@" || wine_reg_add "$@"; }
set_uninstall_entry() { reg_add "$uninstall_key" /v DisplayIcon "$@"; }
set_settings() { reg_add "$settings_key" /v CommonDataPath /d "$data_dir\\"; }

log() { echo "$WINE_LOG_DIR/$current.err"; }

start_app() {
  for _ in 1 2; do
    WINEDEBUG=${1:-+relay} wine_start "$current" 'C:\drelbin.exe'
    app_pid=$WINE_LAST_PID
    dialog=
    local tries=0
    # The first start in a new prefix takes longest.
    while [ -z "$dialog" ] && [ $tries -lt 600 ]; do
      dialog=$(xdotool search --name '^TARNVEX$' 2>/dev/null | head -n 1 || true)
      sleep 0.1
      tries=$((tries + 1))
    done
    if [ -n "$dialog" ]; then
      sleep 0.5  # let Wine paint it
      return 0
    fi
    # On a loaded machine the first program of a prefix may start before
    # Wine's desktop has its display driver; it then has no windows at all.
    grep -a -q nodrv_CreateWindow "$(log)" || break
    note "Wine started the program without its display driver; starting it again"
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
  done
  fail "the dialog did not appear"
}

message_count() { grep -a -c 'Call user32.MessageBoxA' "$(log)" || true; }

# wait_for_message N: until the program has shown its Nth message box.
wait_for_message() {
  local tries=0
  while [ "$(message_count)" -lt "$1" ]; do
    [ $tries -lt 200 ] || fail "message box $1 did not appear" || return 1
    kill -0 "$app_pid" 2>/dev/null || fail "the program ended early" || return 1
    sleep 0.1
    tries=$((tries + 1))
  done
  sleep 0.7  # let Wine paint it
}

shot() { import -window root "$out/shots/$current-$1.png"; }

press() { xdotool key --clearmodifiers "$@"; }

dialog_open() { kill -0 "$app_pid" 2>/dev/null && xdotool search --name '^TARNVEX$' >/dev/null 2>&1; }

# wait_exit: the program ends by itself, with exit code 0.
wait_exit() {
  local tries=0
  while kill -0 "$app_pid" 2>/dev/null; do
    [ $tries -lt 200 ] || fail "the program did not end" || return 1
    sleep 0.1
    tries=$((tries + 1))
  done
  local code=0
  wait "$app_pid" || code=$?
  [ $code -eq 0 ] || fail "exit code $code" || return 1
}

# --- cases -----------------------------------------------------------------

# The form resource is missing: the error box at start-up, no dialog, and
# nothing read or written.
case_startup_error() {
  set_uninstall_entry /d "$app_dir\\TARNVEX.exe"
  set_settings
  WINEDEBUG=+relay wine_start "$current" 'C:\drelbin_without_form.exe'
  app_pid=$WINE_LAST_PID
  wait_for_message 1
  shot message
  ! xdotool search --name '^TARNVEX$' >/dev/null 2>&1 || fail "a dialog was shown" || return 1
  press Return
  wait_exit
  check messages "$(log)" no-form
  check no-access "$(log)"
  check untouched "$app_file"
  check untouched "$data_file"
}

case_both_sources() {
  set_uninstall_entry /d "$app_dir\\TARNVEX.exe"
  set_settings
  start_app +relay,trace+font
  shot dialog
  check_geometry 12
  check_task_entry
  press Return
  wait_for_message 1
  shot message
  press Return
  wait_exit
  check messages "$(log)" repaired
  check repaired "$app_file"
  check repaired "$data_file"
}

# Without ＭＳ Ｐゴシック: the first fallback face installed (IPA P Gothic,
# whose "0" is 13 pixels high at 9 pt), and the layout scaled to it.
case_fallback_face() {
  set_uninstall_entry /d "$app_dir\\TARNVEX.exe"
  start_app +relay,trace+font
  shot dialog
  grep -a -q 'select_font Chosen: L"IPA P' "$(log)" || fail "the fallback face is not IPA P Gothic" || return 1
  check_geometry
  press space
  wait_for_message 1
  press Return
  wait_exit
  check messages "$(log)" repaired
  check repaired "$app_file"
}

case_uninstall_entry_only() {
  set_uninstall_entry /t REG_EXPAND_SZ /d "$app_dir\\TARNVEX.exe,0"
  start_app
  press space
  wait_for_message 1
  press Return
  wait_exit
  check messages "$(log)" repaired
  check repaired "$app_file"
  check untouched "$data_file"
}

case_common_data_path_only() {
  set_settings
  start_app
  # A click on the button's middle: the window's corner, the frame, and the
  # button's place in the client area.
  xdotool mousemove $((214 + frame_left + button_x)) $((161 + frame_top + button_y)) click 1
  wait_for_message 1
  press Return
  wait_exit
  check messages "$(log)" repaired
  check untouched "$app_file"
  check repaired "$data_file"
}

case_not_found() {
  # The entries lead nowhere: no key, and a folder without a control file.
  # shellcheck disable=SC1003 # a Windows path that ends in a backslash
  reg_add "$settings_key" /v CommonDataPath /d 'C:\nowhere\'
  start_app
  press Return
  wait_for_message 1
  shot message
  press Return
  wait_exit
  check messages "$(log)" not-found
  check untouched "$app_file"
  check untouched "$data_file"
}

case_error_box_then_again() {
  set_uninstall_entry /t REG_DWORD /d 1
  set_settings
  start_app
  press Return
  wait_for_message 1
  shot message
  press Return
  sleep 1
  dialog_open || fail "the dialog closed after the error box" || return 1
  shot dialog-after-error
  # The error stopped the command before the second lookup.
  check untouched "$data_file"
  # The same button again, now that the entry is text.
  set_uninstall_entry /d "$app_dir\\TARNVEX.exe"
  press Return
  wait_for_message 2
  press Return
  wait_exit
  check messages "$(log)" bad-type repaired
  check repaired "$app_file"
  check repaired "$data_file"
}

case_escape_then_enter() {
  set_uninstall_entry /d "$app_dir\\TARNVEX.exe"
  start_app
  press Escape
  sleep 1
  dialog_open || fail "Escape closed the dialog" || return 1
  [ "$(message_count)" -eq 0 ] || fail "Escape pressed the button" || return 1
  check no-access "$(log)"
  press Return
  wait_for_message 1
  press Return
  wait_exit
  check messages "$(log)" repaired
  check repaired "$app_file"
}

# close_case HOW...: the dialog closed without the button: no message, no
# registry or file access, exit code 0.
close_without_pressing() {
  set_uninstall_entry /d "$app_dir\\TARNVEX.exe"
  set_settings
  start_app
  "$@"
  wait_exit
  check messages "$(log)"
  check no-access "$(log)"
  check untouched "$app_file"
  check untouched "$data_file"
}
case_close_alt_f4() { close_without_pressing press alt+F4; }
case_close_button() {
  # The close button sits at the right end of the title bar.
  close_without_pressing xdotool mousemove $((214 + window_width - 12)) $((161 + frame_top / 2 + 2)) click 1
}
case_close_system_menu() { close_without_pressing press alt+space c; }

# At 120 dpi the font grows to 15 pixels, and the layout with it; the
# window's corner stays where it is.
case_dpi_120() {
  wine_reg_add64 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 120
  set_uninstall_entry /d "$app_dir\\TARNVEX.exe"
  start_app +relay,trace+font
  shot dialog
  check_geometry 15
  press Return
  wait_for_message 1
  press Return
  wait_exit
  wine_reg_add64 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96
  check messages "$(log)" repaired
  check repaired "$app_file"
}

# check_task_entry: the application window gives the task-list entry, named
# "drelbin" with the 32 x 32 icon MAINICON, and owns the dialog.
check_task_entry() {
  local app
  app=$(xdotool search --name '^drelbin$' | head -n 1)
  [ -n "$app" ] || fail "no application window named drelbin" || return 1
  xprop -id "$app" WM_NAME _NET_WM_ICON >"$out/application-window.txt"
  grep -q 'WM_NAME(STRING) = "drelbin"' "$out/application-window.txt" ||
    fail "the application window is not named drelbin" || return 1
  grep -q 'Icon (32 x 32)' "$out/application-window.txt" ||
    fail "the application window has no 32 x 32 icon" || return 1
  xprop -id "$dialog" WM_TRANSIENT_FOR | grep -q "# $(printf '0x%x' "$app")\$" ||
    fail "the dialog is not owned by the application window" || return 1
}

# check_geometry [HEIGHT]: the window's corner at (214, 161), unscaled; its
# client area 229 x 98 scaled by the height of "0" in the dialog's font
# (Wine's font trace tells it) against 12, inside Wine's dialog frame (3
# pixels at the sides and the bottom, the caption on top); the button and the
# note where the layout puts them, at that scale, in the screenshot of the
# dialog.  With HEIGHT, that height must be HEIGHT.
check_geometry() {
  local text_height geometry position width height
  text_height=$(check text-height "$(log)")
  geometry=$(xdotool getwindowgeometry "$dialog")
  position=$(sed -n 's/.*Position: \([0-9]*,[0-9]*\).*/\1/p' <<<"$geometry")
  width=$(sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p' <<<"$geometry")
  height=$(sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p' <<<"$geometry")
  local client_w=$(((229 * text_height + 6) / 12)) client_h=$(((98 * text_height + 6) / 12))
  echo "$current: window at $position, size ${width}x$height; \"0\" $text_height px high;" \
    "client ${client_w}x${client_h}" >>"$out/geometry.txt"
  note "window at $position, size ${width}x$height, \"0\" $text_height px high, client ${client_w}x${client_h}"
  [ -z "${1:-}" ] || [ "$text_height" = "$1" ] ||
    fail "\"0\" is $text_height px high, not $1" || return 1
  [ "$position" = 214,161 ] || fail "window corner at $position, not 214,161" || return 1
  [ "$width" = $((client_w + 6)) ] || fail "window width $width, not $((client_w + 6))" || return 1
  # The caption's height is Wine's; the client area's top follows from it.
  check layout "$out/shots/$current-dialog.png" $((214 + 3)) $((161 + height - client_h - 3)) \
    "$text_height"
}

# Wine's dialog frame at 96 dpi: 3 pixels on each side, a 19-pixel caption.
frame_left=3
frame_top=22
frame_x=6
# With ＭＳ Ｐゴシック, the dialog has its design size: the middle of the
# button (36, 36, 151 x 25) and the window's width follow from it.
button_x=$((36 + 151 / 2))
button_y=$((36 + 25 / 2))
window_width=$((229 + frame_x))

run_case() {
  current=$1
  local start=$SECONDS
  reset_state
  # Not as an if condition: there, bash would ignore set -e inside the case.
  local status=0
  set +e
  (
    set -e
    "case_$1"
  )
  status=$?
  set -e
  if [ $status -eq 0 ]; then
    passed=$((passed + 1))
    echo "e2e: $1 passed ($((SECONDS - start)) s)"
  else
    failed=$((failed + 1))
    echo "e2e: $1 FAILED (log: $(log))"
    # Whatever is left of this run goes, so that the next case starts clean.
    wine_server_stop
  fi
}

rm -f "$out/geometry.txt"
run_case fallback_face

# The dialog's own face, with the metrics of the real one (see
# make_standin_font.py), for the rest.
python3 "$here/make_standin_font.py" /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf \
  "$WINEPREFIX/drive_c/windows/Fonts/mspgothic-standin.ttf"
for name in both_sources uninstall_entry_only common_data_path_only not_found \
  error_box_then_again escape_then_enter close_alt_f4 close_button close_system_menu dpi_120 \
  startup_error; do
  run_case "$name"
done

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
