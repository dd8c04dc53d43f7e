#!/usr/bin/env bash
# Docking other programs' windows, from outside and with the real pointer
# only: three windows (normal, minimized, maximized) of another process are
# docked from the main menu, each hidden behind an icon of its own; their
# menus gray what fits; UnDock, Restore, Minimize, Maximize and a double-click
# bring them back in the right state; Options shows the dialog and its close
# button hides it; a second start shows the dialog of the first; Exit brings
# every docked window back and leaves no icon.
. "$(dirname "$0")/common.bash"

# --- windows and their states ---------------------------------------------
hwnd_of() { drv find - "$1"; }
expect_state() {  # title v i z what
  wait_until 5 state_is "${WIN[$1]}" "$2" "$3" "$4" \
    || fail "$5: $1 is $(state_of "${WIN[$1]}" | grep -o 'visible=. iconic=. zoomed=.')"
}
DW_LOG=""
log_count() { tr -d '\r' <"$DW_LOG" | grep -c -- "$1" || true; }

# Darkest ink in a row's text, 0 (black) to 100 (white), from the screen.
row_ink() {  # top
  import -window root -crop "60x13+$(( CX + 21 ))+$(( CY + $1 ))" +repage "$OUT/row.png"
  convert "$OUT/row.png" -colorspace gray -format '%[fx:int(100*minima)]' info:
}
expect_black() { local v; v=$(row_ink "$1"); [ "$v" -le 25 ] || fail "$2 is not black text (darkest $v%)"; }
expect_gray() {  # 0xBB is 73%
  local v; v=$(row_ink "$1"); [ "$v" -ge 65 ] && [ "$v" -le 80 ] || fail "$2 is not gray text (darkest $v%)"
}

# Main menu: the windows first, in the catalogue's order, which is the order
# of the top-level windows now: visible, titled, unowned, not the desktop's.
catalogue_row() {  # title
  drv list | awk -v t="$1" '
    / visible=1 / && / owner=0x0 / && !/ class=(Shell_TrayWnd|Progman|SysShadow|wndclass_desked_gsk) / {
      title = $0; sub(/.* title=/, "", title)
      if (title == "" || title == "Traylet") next
      if (title == t && !found) { row = n; found = 1 }
      n++
    }
    END { if (!found) exit 1; print row }'
}
# Per-window menu: UnDock, separator, Restore, Minimize, Maximize, separator, Exit.
ROW_UNDOCK=5 ROW_RESTORE=34 ROW_MINIMIZE=52 ROW_MAXIMIZE=70

# Docked icons, in the order the taskbar shows them leftwards from ours.
DOCKED=()
icon_x() {  # title
  local i
  for i in "${!DOCKED[@]}"; do
    [ "${DOCKED[$i]}" = "$1" ] && { echo $(( OWN_X - PITCH * (i + 1) )); return; }
  done
  fail "$1 is not docked"
}
undocked() {  # title: drop it from the list; the icons left of it move right
  local kept=() t
  for t in "${DOCKED[@]}"; do [ "$t" = "$1" ] || kept+=("$t"); done
  DOCKED=("${kept[@]}")
}

dock() {  # title
  local n=${#DOCKED[@]} row
  open_menu "$OWN_X"
  row=$(catalogue_row "$1") || fail "$1 is not among the windows"
  choose_row $(( 5 + 18 * row )) "docking $1"
  expect_state "$1" 0 1 0 "docked"
  DOCKED+=("$1")
  wait_until 5 tray_shows 1 "${#DOCKED[@]}" || fail "no icon of its own for $1 at x $(icon_x "$1")"
}

# Leaves the tray as it should be for the docked icons left.
expect_icons() {  # what
  wait_until 5 tray_shows 1 "${#DOCKED[@]}" || fail "$1: the notification area does not show ${#DOCKED[@]} docked icons"
}

# ===========================================================================
drv find '#32770' Traylet >/dev/null && fail "a Traylet is already running"
for t in "Dock Normal" "Dock Minimized" "Dock Maximized"; do
  drv find - "$t" >/dev/null && fail "a window '$t' is already there"
done
park
start_bg "$BIN/dockwindows.exe" 90
DW_PID=${STARTED_PIDS[-1]}
DW_LOG="$OUT/dockwindows.2.log"
wait_until 10 grep -q '^ready' "$DW_LOG" || fail "dockwindows did not start"
declare -A WIN
for t in "Dock Normal" "Dock Minimized" "Dock Maximized"; do WIN[$t]=$(hwnd_of "$t"); done
expect_state "Dock Normal" 1 0 0 "at start"
expect_state "Dock Minimized" 1 1 0 "at start"
expect_state "Dock Maximized" 1 0 1 "at start"

start_traylet_and_locate_icon
pass "Traylet's icon at x $OWN_X"

# --- dock each --------------------------------------------------------------
dock "Dock Normal"
[ "$(log_count 'Dock Normal SYSCOMMAND 0xF020 sent')" = 1 ] || fail "the normal window was not minimized (sent) first"
dock "Dock Minimized"
[ "$(log_count 'Dock Minimized SYSCOMMAND 0xF020')" = 0 ] || fail "the minimized window was minimized again"
dock "Dock Maximized"
pass "each window docked: hidden, minimized, with an icon of its own (${DOCKED[*]})"

# With all three docked, the main menu lists no window: UnDock All, a
# separator, Minimize All, a separator, Options, Exit.
open_menu "$OWN_X"
[ "$PH" -eq $(( 5 + 18 + 11 + 18 + 11 + 18 + 18 + 5 )) ] || fail "main menu of height $PH with every window docked"
xdotool mousemove 300 300 click 1
wait_until 5 popup_gone || fail "the popup did not close on a click elsewhere"
park
pass "docked windows are no longer offered for docking"

# --- Options, its close button, a second start --------------------------------
# Done while every window is docked: a window of theirs that takes the
# activation back late could otherwise cover the dialog before its close
# button is clicked.
dlg_visible() { drv state "$TRAYLET_DLG" | grep -q " visible=$1 "; }
close_dialog() {
  [[ $(drv state "$TRAYLET_DLG") =~ rect=(-?[0-9]+),(-?[0-9]+),(-?[0-9]+),(-?[0-9]+) ]] || fail "dialog rect"
  xdotool mousemove $(( BASH_REMATCH[3] - 12 )) $(( BASH_REMATCH[2] + 12 )) click 1
  wait_until 5 dlg_visible 0 || fail "the close button did not hide the dialog"
  park
  kill -0 "$TRAYLET_PID" 2>/dev/null || fail "closing the dialog ended the program"
}
open_menu "$OWN_X"
choose_row "$(MAIN_ROW_OPTIONS)" "Options"
wait_until 5 dlg_visible 1 || fail "Options did not show the dialog"
close_dialog
expect_icons "after the dialog was closed"
pass "Options shows the dialog; its close button hides it and the program and its icon stay"

start_bg "$BIN/Traylet.exe"
SECOND_PID=${STARTED_PIDS[-1]}
wait_until 5 dlg_visible 1 || fail "a second start did not show the first one's dialog"
wait_pid_gone "$SECOND_PID" 10 || fail "the second Traylet did not end"
[ "$(drv list | grep -c ' class=#32770 .*title=Traylet$')" = 1 ] || fail "more than one Traylet dialog"
close_dialog
pass "a second start shows the first one's dialog and ends"

# --- per-window menus ---------------------------------------------------------
open_menu "$(icon_x "Dock Normal")"
expect_black $ROW_RESTORE "Restore of the normal window"
expect_black $ROW_MINIMIZE "Minimize of the normal window"
expect_black $ROW_MAXIMIZE "Maximize of the normal window"
choose_row $ROW_UNDOCK "UnDock"
expect_state "Dock Normal" 1 0 0 "after UnDock"
undocked "Dock Normal"
expect_icons "after UnDock"
pass "the normal window: nothing grayed; UnDock brings it back normal and its icon goes"

open_menu "$(icon_x "Dock Maximized")"
expect_black $ROW_MINIMIZE "Minimize of the maximized window"
expect_gray $ROW_MAXIMIZE "Maximize of the maximized window"
choose_row $ROW_RESTORE "Restore"
expect_state "Dock Maximized" 1 0 0 "after Restore"
undocked "Dock Maximized"
expect_icons "after Restore"
[ "$(log_count 'Dock Maximized SYSCOMMAND 0xF120 posted')" = 2 ] || fail "Restore did not post SC_RESTORE twice"
pass "the maximized window: Maximize grayed; Restore brings it back at its normal size"

open_menu "$(icon_x "Dock Minimized")"
expect_gray $ROW_MINIMIZE "Minimize of the minimized window"
expect_black $ROW_MAXIMIZE "Maximize of the minimized window"
choose_row $ROW_MAXIMIZE "Maximize"
expect_state "Dock Minimized" 1 0 1 "after Maximize"
undocked "Dock Minimized"
expect_icons "after Maximize"
pass "the minimized window: Minimize grayed; Maximize brings it back zoomed"

# "Dock Maximized" is normal now: dock it and send it back minimized.
dock "Dock Maximized"
open_menu "$(icon_x "Dock Maximized")"
expect_black $ROW_MINIMIZE "Minimize of a window docked normal"
choose_row $ROW_MINIMIZE "Minimize"
expect_state "Dock Maximized" 1 1 0 "after Minimize"
undocked "Dock Maximized"
expect_icons "after Minimize"
pass "Minimize brings a window back minimized"

# A double-click on a docked icon undocks it.
dock "Dock Normal"
xdotool mousemove "$(icon_x "Dock Normal")" "$ICON_Y" click --repeat 2 --delay 60 1
expect_state "Dock Normal" 1 0 0 "after a double-click on its icon"
undocked "Dock Normal"
expect_icons "after the double-click"
park
pass "a double-click on a docked icon brings the window back"

# --- Exit with three windows docked in three states ---------------------------
# Normal is normal, Minimized is zoomed and Maximized is minimized by now.
dock "Dock Normal"
dock "Dock Minimized"
dock "Dock Maximized"
before_exit=$(wc -l <"$DW_LOG")
open_menu "$OWN_X"
choose_row "$(MAIN_ROW_EXIT)" "Exit"
wait_pid_gone "$TRAYLET_PID" 10 || fail "Exit did not end Traylet"
expect_state "Dock Normal" 1 0 0 "after Exit"
expect_state "Dock Minimized" 1 0 1 "after Exit"
expect_state "Dock Maximized" 1 1 0 "after Exit"
wait_until 5 tray_shows 0 0 || fail "icons stayed after Exit"
# A window that comes back from minimized to maximized looks the same after
# SC_RESTORE as after SC_MAXIMIZE: the commands themselves tell.
commands_since_exit() { tail -n +$(( before_exit + 1 )) "$DW_LOG" | tr -d '\r' | grep SYSCOMMAND | sort | tr '\n' ';'; }
want="Dock Minimized SYSCOMMAND 0xF030 posted;Dock Normal SYSCOMMAND 0xF120 posted;"
exit_commands_right() { [ "$(commands_since_exit)" = "$want" ]; }
wait_until 5 exit_commands_right || fail "system commands at Exit: $(commands_since_exit)"
pass "Exit brings every docked window back in its docked state and leaves no icon"

for t in "Dock Normal" "Dock Minimized" "Dock Maximized"; do drv post "${WIN[$t]}" 0x0010 0 0 >/dev/null; done
wait_pid_gone "$DW_PID" 10 || fail "dockwindows did not end"
