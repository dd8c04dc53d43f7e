#!/usr/bin/env bash
# The global hotkeys, pressed for real (xdotool) with another program's
# window in front: Win+Alt+Down docks it, Win+Alt+Up brings back the window
# docked last, then the one before; Win+Alt+M opens the main menu in the
# foreground, ready for the keys. Nothing is written to the settings until
# the user changes one. With Win+Alt+Down held by another program, Traylet
# starts hidden, its menu works and the dialog shows the combination as in
# use; a combination changed in the dialog works at once and after a restart.
. "$(dirname "$0")/common.bash"

SETTINGS='HKCU\Software\Traylet'
setting() {  # name: "REG_DWORD 0x..." or nothing
  { wine reg query "$SETTINGS" /v "$1" 2>/dev/null || true; } | tr -d '\r' | awk -v n="$1" '$1 == n { print $2, $3 }'
}
clear_settings() {
  local v
  for v in DockHotkey UndockHotkey MenuHotkey; do wine reg delete "$SETTINGS" /v "$v" /f >/dev/null 2>&1 || true; done
}
end_scenario() { cleanup_started; clear_settings; }
trap end_scenario EXIT

declare -A WIN AT
in_front() {  # title: a real click on it makes it the foreground window
  # Once more if a program that just started took the foreground after it.
  local try
  for try in 1 2 3; do
    xdotool mousemove ${AT[$1]} click 1
    wait_until 2 is_foreground "${WIN[$1]}" && { park; return; }
  done
  fail "$1 did not come to the foreground (line ${BASH_LINENO[0]}): $(state_of "$(drv foreground)")"
}
is_foreground() { [ "$(drv foreground)" = "$1" ]; }
hidden() { state_of "$1" | grep -q ' visible=0 '; }
dock_by_key() {  # keys title docked-icons-after; DOCK_MS: from the keys to the window hidden
  local t0; t0=$(date +%s%N)
  xdotool key "$1"
  wait_until 1 hidden "${WIN[$2]}" || fail "$1 did not hide $2 within a second"
  DOCK_MS=$(( ($(date +%s%N) - t0) / 1000000 ))
  wait_until 5 tray_shows 1 "$3" || fail "$1: the notification area does not show $3 docked icons"
}
undock_by_key() {  # keys title v i z docked-icons-after
  xdotool key "$1"
  wait_until 5 state_is "${WIN[$2]}" "$3" "$4" "$5" \
    || fail "$1: $2 is $(state_of "${WIN[$2]}" | grep -o 'visible=. iconic=. zoomed=.')"
  wait_until 5 tray_shows 1 "$6" || fail "$1: the notification area does not show $6 docked icons"
}
dlg_visible() { state_of "$TRAYLET_DLG" | grep -q " visible=$1 "; }
show_options() {  # from the main menu of the own icon, with the pointer
  open_menu "$OWN_X"
  choose_row "$(MAIN_ROW_OPTIONS)" "Options"
  wait_until 5 dlg_visible 1 || fail "Options did not show the dialog"
  wait_until 5 is_foreground "$TRAYLET_DLG" || fail "the dialog is not in front"
}
hide_options() {  # as the close button does: a queued IDCANCEL
  drv post "$TRAYLET_DLG" 0x0111 2 0 >/dev/null
  wait_until 5 dlg_visible 0 || fail "the dialog did not hide"
}
click_control() {  # id: a real click near the control's left edge
  local l t r b
  read -r l t r b < <(wine "$BIN/ctlrect.exe" "$TRAYLET_DLG" "$1" | tr -d '\r') || fail "no control $1"
  xdotool mousemove $(( l + 6 )) $(( (t + b) / 2 )) click 1
}
win_box_clear() { [ "$(drv check "$TRAYLET_DLG" 1005)" = 0 ]; }
row_state() { drv text "$TRAYLET_DLG" "$1"; }   # 1008 dock, 1009 undock, 1010 menu

# ===========================================================================
drv find '#32770' Traylet >/dev/null && fail "a Traylet is already running"
clear_settings
park
start_bg "$BIN/dockwindows.exe" 200
wait_until 10 grep -q '^ready' "$OUT/dockwindows.2.log" || fail "dockwindows did not start"
for t in "Dock Normal" "Dock Minimized" "Dock Maximized"; do WIN[$t]=$(drv find - "$t"); done
AT["Dock Maximized"]="500 400" AT["Dock Normal"]="190 150"
start_traylet_and_locate_icon

# --- dock and bring back ------------------------------------------------------
in_front "Dock Maximized"
dock_by_key super+alt+Down "Dock Maximized" 1
in_front "Dock Normal"
dock_by_key super+alt+Down "Dock Normal" 2
pass "Win+Alt+Down docks the window in front within a second (seen hidden after $DOCK_MS ms), and its icon appears"
undock_by_key super+alt+Up "Dock Normal" 1 0 0 1
undock_by_key super+alt+Up "Dock Maximized" 1 0 1 0
pass "Win+Alt+Up brings back the window docked last in its state, then the one before; their icons go"

# --- the menu -------------------------------------------------------------------
xdotool key super+alt+m
wait_until 5 popup_open || fail "Win+Alt+M opened no popup"
read_popup
is_foreground "$POPUP" || fail "the popup is not in the foreground"
[[ $(state_of "$(drv find Shell_TrayWnd -)") =~ rect=(-?[0-9]+),(-?[0-9]+),(-?[0-9]+) ]] || fail "no taskbar"
[ "$PR,$PB" = "${BASH_REMATCH[3]},${BASH_REMATCH[2]}" ] \
  || fail "the popup ends at $PR,$PB, not at the notification area's corner ${BASH_REMATCH[3]},${BASH_REMATCH[2]}"
# Ready for the keys: the last row is Exit, the one above it Options.
xdotool key End Up Return
wait_until 5 dlg_visible 1 || fail "End, Up and Enter in the menu that Win+Alt+M opened did not choose Options"
wait_until 5 is_foreground "$TRAYLET_DLG" || fail "the dialog is not in front"
# Escape hides the dialog as its close button does; Traylet goes on.
xdotool key Escape
wait_until 5 dlg_visible 0 || fail "Escape did not hide the dialog"
sleep 0.5
kill -0 "$TRAYLET_PID" 2>/dev/null && [ "$(drv find '#32770' Traylet)" = "$TRAYLET_DLG" ] || fail "Traylet ended on Escape"
pass "Escape hides the shown dialog and Traylet goes on"
pass "Win+Alt+M opens the main menu in the foreground, over the notification area, and it takes the keys"
for v in DockHotkey UndockHotkey MenuHotkey; do [ -z "$(setting $v)" ] || fail "$v was written: $(setting $v)"; done
pass "nothing was written to the settings"
stop_traylet

# --- Win+Alt+Down held by another program ---------------------------------------
hold() {  # vk: Win+Alt and the key, held by another program
  start_bg "$BIN/dockwindows.exe" hotkey 0x9 "$1" 200   # MOD_ALT | MOD_WIN
  HOLDER_PID=${STARTED_PIDS[-1]} HOLDER_LOG="$OUT/dockwindows.5.log"
  wait_until 10 grep -q '^held' "$HOLDER_LOG" || fail "the holder did not get key $1: $(cat "$HOLDER_LOG")"
}
hold 0x28   # VK_DOWN
start_traylet
sleep 1.5   # past the modal loop's first idle moment, when a window of its own could show
pid=$(state_of "$TRAYLET_DLG" | grep -o ' pid=[0-9]*')
[ -z "$(drv list | grep -- "$pid visible=1 ")" ] || fail "a window of Traylet shows: $(drv list | grep -- "$pid visible=1 ")"
show_options
[ "$(row_state 1008)/$(row_state 1009)/$(row_state 1010)" = "In use//" ] \
  || fail "rows read '$(row_state 1008)/$(row_state 1009)/$(row_state 1010)'"
screenshot options-in-use >/dev/null
hide_options
in_front "Dock Maximized"
# Wine hands the window in front the Alt key's release as if Alt had been
# pressed alone, and the window enters its menu mode: Escape leaves it.
menu_loops() { tr -d '\r' <"$OUT/dockwindows.2.log" | grep -c "Dock Maximized $1" || true; }
more_loops() { [ "$(menu_loops "$1")" -gt "$2" ]; }
entered=$(menu_loops ENTERMENULOOP) left=$(menu_loops EXITMENULOOP)
xdotool key super+alt+Down
wait_until 5 grep -q '^hotkey' "$HOLDER_LOG" || fail "the holder did not get Win+Alt+Down"
wait_until 5 more_loops ENTERMENULOOP "$entered" || fail "Dock Maximized did not enter its menu mode"
xdotool key Escape
wait_until 5 more_loops EXITMENULOOP "$left" || fail "Dock Maximized did not leave its menu mode"
state_is "${WIN[Dock Maximized]}" 1 0 1 || fail "Dock Maximized changed: $(state_of "${WIN[Dock Maximized]}")"
pass "with Win+Alt+Down held elsewhere Traylet starts hidden, its menu works, the dialog says 'In use'"
kill "$HOLDER_PID"
wait_pid_gone "$HOLDER_PID" 5 || fail "the holder did not end"
show_options
[ -z "$(row_state 1008)" ] || fail "the dock row still reads '$(row_state 1008)' once its holder let go"
pass "once the holder lets go, the dialog shows the combination as Traylet's"

# --- a new combination, at once and after a restart -------------------------------
click_control 1002
xdotool key ctrl+alt+d
click_control 1005   # the "Win" box, checked by default
wait_until 5 win_box_clear || fail "the Win box is still checked"
[ "$(setting DockHotkey)" = "REG_DWORD 0x30044" ] || fail "DockHotkey holds '$(setting DockHotkey)'"   # Ctrl+Alt, 'D'
[ -z "$(setting UndockHotkey)$(setting MenuHotkey)" ] || fail "settings that were not changed were written"
# Shift pressed alone empties a hotkey box ("None"): the action is off.
click_control 1004
xdotool key shift
menu_off() { [ "$(setting MenuHotkey)" = "REG_DWORD 0x0" ]; }
wait_until 5 menu_off || fail "MenuHotkey holds '$(setting MenuHotkey)'"
screenshot options-changed >/dev/null
hide_options
hold 0x28   # released by the change
hold 0x4D   # 'M', released by turning the menu's hotkey off
in_front "Dock Maximized"
dock_by_key ctrl+alt+d "Dock Maximized" 1
undock_by_key super+alt+Up "Dock Maximized" 1 0 1 0
pass "Ctrl+Alt+D, set in the dialog, docks at once; Win+Alt+Down is free, and Win+Alt+M once turned off"
stop_traylet
start_traylet
in_front "Dock Maximized"
dock_by_key ctrl+alt+d "Dock Maximized" 1
undock_by_key super+alt+Up "Dock Maximized" 1 0 1 0
pass "and after a restart"
stop_traylet
