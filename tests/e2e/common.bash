# Sourced by the end-to-end scripts. ctest runs them inside the session that
# scripts/test started (WINEPREFIX, DISPLAY, a desktop with a taskbar).
set -euo pipefail
BIN=${TRAYLET_BIN:?run through ctest}
SRC=${TRAYLET_SRC:?run through ctest}
OUT="$BIN/e2e-out/$(basename "$0" .sh)"
mkdir -p "$OUT"
STARTED_PIDS=()

# The screen at a failure is kept next to the logs.
fail() { import -window root "$OUT/failure.png" 2>/dev/null || true; echo "FAIL: $* (screen: $OUT/failure.png)" >&2; exit 1; }
pass() { echo "ok: $*"; }

# Wine's console output ends lines with CR LF.
drv() { wine "$BIN/traydriver.exe" "$@" | tr -d '\r'; }

# Starts a program of ours in the background and remembers it for cleanup.
# Its output goes to a file: a background program must not hold the test's
# output pipe open after the test ends.
start_bg() {
  local log="$OUT/$(basename "$1" .exe).$#.log"
  wine "$@" >"$log" 2>&1 &
  STARTED_PIDS+=($!)
}

start_traylet() {
  start_bg "$BIN/Traylet.exe"
  TRAYLET_PID=${STARTED_PIDS[-1]}
  drv wait-window '#32770' Traylet 10000 || fail "Traylet's dialog did not appear"
  TRAYLET_DLG=$(drv find '#32770' Traylet)
}

# Ends Traylet from outside with a sent IDCANCEL: the dialog's loop ends and
# the program exits as after "Exit".
stop_traylet() {
  local dlg
  dlg=$(drv find '#32770' Traylet) || return 0
  drv send "$dlg" 0x0111 2 0 >/dev/null || true
  wait_pid_gone "$TRAYLET_PID" 10 || fail "Traylet did not end"
}

wait_pid_gone() {  # pid seconds
  local i
  for i in $(seq $(( $2 * 20 ))); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.05
  done
  return 1
}

# Retries a command until it succeeds or the seconds run out.
wait_until() {  # seconds command...
  wait_every 0.05 "$@"
}

# The same, asking every `step` seconds: for a check that itself loads the
# Wine server (a list of hundreds of windows), so that asking often would
# slow down what it waits for.
wait_every() {  # step seconds command...
  local step=$1 secs=$2; shift 2
  local end=$(( $(date +%s%N) + secs * 1000000000 ))
  until "$@" >/dev/null 2>&1; do
    [ "$(date +%s%N)" -lt "$end" ] || return 1
    sleep "$step"
  done
}

# --- the notification area ---------------------------------------------------
# The notification area's part of the taskbar (the window buttons end far
# to the left of it). The taskbar repaints its background in another shade
# when the windows on it change, so icons are looked for slot by slot: a
# slot holds an icon when it has dark pixels (every icon here has a dark
# outline; the taskbar is near white).
TRAY="124x20+900+748"
ICON_Y=757 PITCH=20
grab() { import -window root -crop "$TRAY" +repage "$OUT/$1.png"; }
diff_box() {
  convert "$OUT/$1.png" "$OUT/$2.png" -compose difference -composite -colorspace gray -threshold 0 \
    -format '%@' info:
}
# Darkest pixel of icon slot k (0 is ours), 0 to 100, below the
# taskbar's top edge.
slot_ink() {  # png k
  convert "$OUT/$1.png" -crop "16x13+$(( OWN_X - PITCH * $2 - 8 - 900 ))+5" +repage -colorspace gray \
    -format '%[fx:int(100*minima)]' info:
}
# The area shows our icon (or not) and exactly n docked icons.
tray_shows() {  # own(0|1) n
  grab now
  local k
  for k in $(seq 0 $(( $2 + 1 ))); do
    local want=1; [ "$k" -eq 0 ] && want=$1; [ "$k" -gt 0 ] && [ "$k" -gt "$2" ] && want=0
    local ink; ink=$(slot_ink now "$k")
    if [ "$want" = 1 ]; then [ "$ink" -lt 60 ] || return 1; else [ "$ink" -ge 85 ] || return 1; fi
  done
}
# Starts Traylet and finds its icon, alone in the notification area: the
# slot that changed. Sets OWN_X, the icon's centre.
tray_changed() { grab tray0; [ -n "$(diff_box tray_none tray0 | grep -v '^0x0')" ]; }
start_traylet_and_locate_icon() {
  grab tray_none
  start_traylet
  wait_until 10 tray_changed || fail "Traylet's icon did not appear"
  local box; box=$(diff_box tray_none tray0)
  [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] && [ "${BASH_REMATCH[1]}" -le 20 ] \
    || fail "cannot locate Traylet's icon: '$box'"
  OWN_X=$(( 900 + BASH_REMATCH[3] + BASH_REMATCH[1] / 2 ))
  wait_until 5 tray_shows 1 0 || fail "Traylet's icon is not at x $OWN_X alone"
}

# --- windows and the popup ---------------------------------------------------
park() { xdotool mousemove 500 420; }
state_of() { drv state "$1"; }
# visible iconic zoomed, e.g. "1 0 1"
state_is() {  # hwnd v i z
  state_of "$1" | grep -q " visible=$2 iconic=$3 zoomed=$4 "
}

FILL=C2CFE5   # the hot row's fill, as R G B
popup_open() { wine "$BIN/dockwindows.exe" popup >/dev/null 2>&1; }
popup_gone() { ! popup_open; }
# Right-clicks the icon at x and reads the popup.
open_menu() {  # icon-x
  xdotool mousemove "$1" "$ICON_Y" click 3
  wait_until 5 popup_open || fail "no popup after a right-click at $1,$ICON_Y"
  read_popup
}
# Reads the open popup: its window POPUP, client origin CX CY, window
# rectangle PL PT PR PB, width and height PW PH.
read_popup() {
  read -r CX CY < <(wine "$BIN/dockwindows.exe" popup | tr -d '\r')
  # awk reads the whole list: an early exit would break the driver's pipe.
  local line; line=$(drv list | awk '/ class=Traylet:/ && / visible=1 / && !seen++')
  [[ $line =~ ^(0x[0-9a-f]+).*rect=(-?[0-9]+),(-?[0-9]+),(-?[0-9]+),(-?[0-9]+) ]] || fail "popup: $line"
  POPUP=${BASH_REMATCH[1]} PL=${BASH_REMATCH[2]} PT=${BASH_REMATCH[3]} PR=${BASH_REMATCH[4]} PB=${BASH_REMATCH[5]}
  PW=$(( PR - PL )) PH=$(( PB - PT ))
}
# Rows start 5 pixels into the client area; a text row is 18 high, a
# separator 11. Row tops below are client offsets.
hot_probe() { drv pixel $(( CX + PW - 6 - 12 )) $(( CY + $1 + 1 )); }
row_hot() { [ "$(hot_probe "$1")" = "$FILL" ]; }
choose_row() {  # top what
  xdotool mousemove $(( CX + 40 )) $(( CY + $1 + 9 ))
  wait_until 5 row_hot "$1" || fail "$2: the row under the pointer is not highlighted"
  xdotool click 1
  wait_until 5 popup_gone || fail "$2: the popup stayed open"
  park
}
MAIN_ROW_OPTIONS() { echo $(( PH - 5 - 18 - 18 )); }
MAIN_ROW_EXIT() { echo $(( PH - 5 - 18 )); }

screenshot() { import -window root "$OUT/$1.png"; echo "$OUT/$1.png"; }

cleanup_started() {
  local p
  for p in "${STARTED_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${STARTED_PIDS[@]}"; do wait_pid_gone "$p" 5 || kill -9 "$p" 2>/dev/null || true; done
}
trap cleanup_started EXIT
