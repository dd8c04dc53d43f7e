#!/usr/bin/env bash
# Titles in any script and programs' own icons, seen from outside with the
# real pointer: two windows of Wine's notepad, titled in Cyrillic and in
# Chinese, are listed in the main menu as written and with notepad's own
# icon; the Cyrillic one is docked from its row and its icon's tooltip reads
# as written, and reads its new title once it is renamed. Texts and icons
# are found on the screen by rendering them here in the same fonts; the same
# text with '?' for every letter outside the ANSI code page (what an 8-bit
# program shows) must not be found.
. "$(dirname "$0")/common.bash"
fail() { import -window root "$OUT/failure.png" 2>/dev/null || true; echo "FAIL: $* (screen: $OUT/failure.png)" >&2; exit 1; }
drvrc() { wine "$BIN/traydriver.exe" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }

CYRILLIC='Привет.txt - Notepad' CYRILLIC_ANSI='??????.txt - Notepad'
CHINESE='你好.txt - Notepad' CHINESE_ANSI='??.txt - Notepad'
NOTEPAD='C:\windows\notepad.exe'
dir="$WINEPREFIX/drive_c/traylet-titles"
mkdir -p "$dir"
printf 'one' >"$dir/Привет.txt"
printf 'two' >"$dir/你好.txt"

drv find '#32770' Traylet >/dev/null && fail "a Traylet is already running"
notepads() { [ "$(drv list | grep -c ' visible=1 .* class=Notepad ')" -eq "$1" ]; }
start_bg notepad 'C:\traylet-titles\Привет.txt'
wait_until 10 notepads 1 || fail "notepad did not start"
cyr=$(drv find Notepad -)
start_bg notepad 'C:\traylet-titles\你好.txt'
wait_until 10 notepads 2 || fail "the second notepad did not start"
# The click waits for the icon: a click before it is drawn meets nothing.
start_traylet_and_locate_icon

# A real right-click on our icon.
open_menu "$OWN_X"
HOT_X=$(( CX + PW - 6 - 12 ))   # where a highlighted row shows its fill
# Inside the frame: the frame's dark edge is no part of any row.
PX=$(( PL + 3 )) PY=$(( PT + 3 )) PW=$(( PW - 6 )) PH=$(( PH - 6 ))
in_menu() { drvrc find-text "$PX" "$PY" "$PW" "$PH" "$@"; }
# Each title is waited for: the popup paints after it shows. Once one is
# drawn, the '?' forms would be drawn by now if they ever were.
for pair in "$CYRILLIC|$CYRILLIC_ANSI" "$CHINESE|$CHINESE_ANSI"; do
  title=${pair%|*} ansi=${pair#*|}
  wait_until 5 in_menu menu "$title" || { screenshot menu >/dev/null; fail "'$title' is not drawn in the menu"; }
  in_menu menu "$ansi" >/dev/null && fail "'$ansi' is drawn in the menu"
done
pass "both titles are drawn in the menu as written"

icons=$(drvrc find-icon "$PX" "$PY" "$PW" "$PH" "$NOTEPAD") || fail "notepad's icon is not in the menu"
drvrc find-icon "$PX" "$PY" "$PW" "$PH" - >/dev/null && fail "the standard icon is in the menu"
pass "notepad's rows show notepad's own icon (at $icons)"

# Dock the Cyrillic window from its row.
read -r tx ty < <(in_menu menu "$CYRILLIC")
xdotool mousemove $(( tx + 10 )) $(( ty + 4 ))
row_hot_at() { [ "$(drv pixel "$HOT_X" "$1")" = "$FILL" ]; }
wait_until 5 row_hot_at $(( ty + 4 )) || fail "the Cyrillic row is not highlighted under the pointer"
xdotool click 1
hidden() { drv state "$cyr" | grep -q ' visible=0 '; }
wait_until 5 hidden || fail "the Cyrillic window was not docked"
pass "docked from its row"

# Its icon is next to ours; its tooltip shows when the pointer rests on it.
tip_line() { drv list | awk '/ class=tooltips_class32 / && / visible=1 / && !seen++' | grep .; }
no_tip() { ! tip_line; }
in_tip() { drvrc find-text "$TX" "$TY" "$TW" "$TH" status "$1"; }
# Rests the pointer on the docked icon until its tooltip shows, and reads it
# for TEXT. A tooltip shown before a change of its text keeps the old one.
hover_tip_reads() {  # text
  xdotool mousemove 700 400
  wait_until 5 no_tip || return 1
  xdotool mousemove $(( OWN_X - PITCH )) "$ICON_Y"
  wait_until 8 tip_line || return 1
  [[ $(tip_line) =~ rect=(-?[0-9]+),(-?[0-9]+),(-?[0-9]+),(-?[0-9]+) ]] || return 1
  TX=${BASH_REMATCH[1]} TY=${BASH_REMATCH[2]} TW=$(( BASH_REMATCH[3] - BASH_REMATCH[1] )) TH=$(( BASH_REMATCH[4] - BASH_REMATCH[2] ))
  wait_until 5 in_tip "$1"
}
hover_tip_reads "$CYRILLIC" || { screenshot tooltip >/dev/null; fail "the tooltip does not read '$CYRILLIC'"; }
in_tip "$CYRILLIC_ANSI" >/dev/null && fail "the tooltip reads '$CYRILLIC_ANSI'"
pass "the docked icon's tooltip reads as written"

# The docked window's program renames it: its icon's tooltip reads the new
# title (the sweep hands it over within a second).
RENAMED='Входящие (3) - Notepad'
drvrc settext "$cyr" "$RENAMED" || fail "the docked window could not be renamed"
wait_until 20 hover_tip_reads "$RENAMED" || { screenshot tooltip-renamed >/dev/null; fail "the tooltip does not read '$RENAMED'"; }
in_tip "$CYRILLIC" >/dev/null && fail "the tooltip still reads '$CYRILLIC'"
pass "the tooltip follows the docked window's new title"
xdotool mousemove 700 400

stop_traylet
shown() { drv state "$cyr" | grep -q ' visible=1 '; }
wait_until 5 shown || fail "the docked window did not come back at exit"
pass "exit brings it back"
