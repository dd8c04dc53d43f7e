#!/usr/bin/env bash
# Rules, from outside, with the helper's windows and Wine's own notepad:
# "when it opens" docks a window open before Traylet started and ones
# started after it (hidden, their icons shown), one whose title comes to
# match a moment after it appeared, never an owned dialog or a hidden window
# of the same program, and of two windows only the one the title pattern
# names; "when it is minimized" docks a window minimized by a real click on
# its minimize button, and once restored from its icon's menu it stays until
# minimized again. A docked window's rows set and clear its program's
# rules, and Options adds, changes and removes one with real clicks and
# keys; each change works at once and after a restart, as the registry
# shows.
. "$(dirname "$0")/common.bash"

RULES='HKCU\Software\Traylet\Rules'
clear_rules() { wine reg delete "$RULES" /f >/dev/null 2>&1 || true; }
end_scenario() { cleanup_started; clear_rules; }
trap end_scenario EXIT
rule() {  # name program when [title]: as another program would write it
  wine reg add "$RULES\\$1" /v Program /d "$2" /f >/dev/null 2>&1 \
    && wine reg add "$RULES\\$1" /v When /t REG_DWORD /d "$3" /f >/dev/null 2>&1 \
    && { [ -z "${4:-}" ] || wine reg add "$RULES\\$1" /v Title /d "$4" /f >/dev/null 2>&1; } \
    || fail "could not write the rule $1"
}
# The rules as stored: "Program|Title|When;" each, sorted.
stored() {
  { wine reg query "$RULES" /s 2>/dev/null || true; } | tr -d '\r' | awk '
    function flush() { if (p != "") print p "|" t "|" w; p = t = w = "" }
    /^HKEY/ { flush() }
    $1 == "Program" { p = substr($0, index($0, "REG_SZ") + 10) }
    $1 == "Title" { t = substr($0, index($0, "REG_SZ") + 10) }
    $1 == "When" { w = $3 }
    END { flush() }' | LC_ALL=C sort | tr '\n' ';'
}
expect_stored() {  # rules what
  [ "$(stored)" = "$1" ] || fail "$2: the registry holds '$(stored)', not '$1'"
}

# --- the helper's windows -----------------------------------------------------
win() { drv find DockWindowsTool "$1"; }
open_windows() {  # title args...: a helper process with these windows
  start_bg "$BIN/dockwindows.exe" open "$@"
  drv wait-window DockWindowsTool "$1" 10000 >/dev/null || fail "the window '$1' did not appear"
}
is_hidden() { state_of "$(win "$1")" | grep -q ' visible=0 '; }
is_shown() { state_of "$(win "$1")" | grep -q ' visible=1 '; }
# Traylet's icon windows, its own among them.
icons() { drv list | grep " pid=$TRAYLET_WPID " | grep ' class=Traylet:' | grep -c ' rect=0,0,10,10 ' || true; }
icons_are() { [ "$(icons)" -eq "$1" ]; }
started() {
  start_traylet
  [[ $(state_of "$TRAYLET_DLG") =~ \ pid=([0-9]+)\  ]] || fail "no process for Traylet's dialog"
  TRAYLET_WPID=${BASH_REMATCH[1]}
}
minimize_by_click() {  # title
  local x y
  read -r x y < <(drv min-button "$(win "$1")") || fail "no minimize button on $1"
  xdotool mousemove "$x" "$y" click 1
  park
}
# Two sweeps: what they did not dock by now, they do not dock.
two_sweeps() { sleep 2.2; }

# A docked window's menu: UnDock, a separator, Restore, Minimize, Maximize,
# a separator, Exit, a separator, then the rows of its program's rules.
ROW_RESTORE=34 ROW_OPENS=128 ROW_MINIMIZED=146

# ===========================================================================
drv find '#32770' Traylet >/dev/null && fail "a Traylet is already running"
clear_rules
park
start_traylet_and_locate_icon   # alone in the notification area
stop_traylet

# --- when it opens -------------------------------------------------------------
rule "dockwindows opens" dockwindows.exe 1 'Rule *'
rule "notepad opens" notepad.exe 1
open_windows "Rule Before"
started
wait_until 5 is_hidden "Rule Before" || fail "the window open before Traylet started was not docked"
wait_until 5 tray_shows 1 1 || fail "no icon for the window docked at start"
pass "'when it opens' docks a window open before Traylet started, at its start, with its icon"

open_windows "Rule Late"
t0=$(date +%s%N)
wait_until 5 is_hidden "Rule Late" || fail "a window started after Traylet was not docked"
ms=$(( ($(date +%s%N) - t0) / 1000000 ))
wait_until 5 tray_shows 1 2 || fail "no icon for the window docked as it opened"
start_bg notepad
drv wait-window Notepad - 20000 >/dev/null || fail "notepad did not start"
wait_until 5 sh -c "wine '$BIN/traydriver.exe' state \$(wine '$BIN/traydriver.exe' find Notepad - | tr -d '\r') | grep -q ' visible=0 '" \
  || fail "notepad's window was not docked"
wait_until 5 tray_shows 1 3 || fail "no icon for notepad"
pass "it docks windows started after Traylet (the helper's seen hidden $ms ms after it appeared; notepad's), with their icons"

open_windows "Splash Window" --rename 4000 "Rule Renamed"
splash=$(win "Splash Window")
two_sweeps
! state_of "$splash" | grep -q ' visible=0 .* title=Splash Window$' || fail "docked before its title matched"
wait_until 10 is_hidden "Rule Renamed" || fail "a title that matched 4 s after the window appeared did not dock it"
pass "a window whose title comes to match 4 s after it appeared is docked then"

open_windows "Rule Main" --also "Leave Alone" --owned "Rule Dialog" --hidden "Rule Hidden"
wait_until 5 is_hidden "Rule Main" || fail "the program's main window was not docked"
two_sweeps
is_shown "Rule Dialog" || fail "the owned dialog was docked"
is_shown "Leave Alone" || fail "the window the title pattern does not name was docked"
icons_are 6 || fail "$(icons) icon windows for 5 docked windows"
pass "an owned dialog and a hidden window of the same program are never docked; of its two windows, only the one the title names"

stop_traylet
for t in "Rule Before" "Rule Late" "Rule Renamed" "Rule Main"; do is_shown "$t" || fail "$t is not back after Exit"; done
cleanup_started
STARTED_PIDS=()

# --- when it is minimized ---------------------------------------------------
clear_rules
rule "dockwindows minimized" dockwindows.exe 2 'Min *'
started
# It answers each hide 2 s late, and Traylet waits for the answer: an icon
# right-clicked as soon as it shows must still open the window's whole menu.
open_windows "Min Target" --slow-hide 2000
two_sweeps
state_is "$(win "Min Target")" 1 0 0 || fail "docked as it opened: $(state_of "$(win "Min Target")")"
minimize_by_click "Min Target"
wait_until 5 is_hidden "Min Target" || fail "a real click on its minimize button did not dock it"
wait_until 5 tray_shows 1 1 || fail "no icon for the window docked as it was minimized"
pass "'when it is minimized' docks a window minimized by a real click on its minimize button"

# Its rows, separators and margins: the rows of a window and of its program's rules.
WINDOW_MENU_H=$(( 5 + 18 + 11 + 3 * 18 + 11 + 18 + 11 + 2 * 18 + 5 ))
open_menu $(( OWN_X - PITCH ))
[ "$PH" -eq "$WINDOW_MENU_H" ] || fail "the menu of an icon clicked as it showed is $PH px high"
choose_row $ROW_RESTORE "Restore"
wait_until 5 state_is "$(win "Min Target")" 1 0 0 || fail "Restore did not bring it back"
two_sweeps
state_is "$(win "Min Target")" 1 0 0 || fail "restored, it was docked again"
minimize_by_click "Min Target"
wait_until 5 is_hidden "Min Target" || fail "minimized again, it was not docked"
wait_until 5 tray_shows 1 1 || fail "no icon for the window docked as it was minimized again"
pass "restored from its icon's menu it stays shown until it is minimized again"

# --- the docked window's rows ---------------------------------------------------
choose_rule_row() {  # top what
  open_menu $(( OWN_X - PITCH ))
  [ "$PH" -eq "$WINDOW_MENU_H" ] || fail "a docked window's menu $PH px high"
  choose_row "$1" "$2"
}
choose_rule_row $ROW_OPENS "Dock dockwindows.exe when it opens"
expect_stored "dockwindows.exe|Min *|0x2;dockwindows.exe||0x1;" "setting 'when it opens'"
choose_rule_row $ROW_MINIMIZED "Dock dockwindows.exe when minimized"
expect_stored "dockwindows.exe||0x1;" "clearing 'when minimized', which a rule of a title pattern had"
choose_rule_row $ROW_MINIMIZED "Dock dockwindows.exe when minimized"
expect_stored "dockwindows.exe||0x3;" "setting 'when minimized'"
choose_rule_row $ROW_OPENS "Dock dockwindows.exe when it opens"
expect_stored "dockwindows.exe||0x2;" "clearing 'when it opens'"
choose_rule_row $ROW_MINIMIZED "Dock dockwindows.exe when minimized"
expect_stored "" "clearing the last trigger"
is_hidden "Min Target" || fail "a row of rules undocked the window"
pass "the docked window's rows set and clear its program's rules, and the registry shows each change"

# --- Options ------------------------------------------------------------------
dlg_visible() { state_of "$TRAYLET_DLG" | grep -q " visible=$1 "; }
show_options() {
  open_menu "$OWN_X"
  choose_row "$(MAIN_ROW_OPTIONS)" "Options"
  wait_until 5 dlg_visible 1 || fail "Options did not show the dialog"
}
click_control() {  # dialog id
  local l t r b
  read -r l t r b < <(wine "$BIN/ctlrect.exe" "$1" "$2" | tr -d '\r') || fail "no control $2"
  xdotool mousemove $(( (l + r) / 2 )) $(( (t + b) / 2 )) click 1
}
rule_dialog() { drv find '#32770' Rule; }
rule_dialog_gone() { ! rule_dialog >/dev/null; }
open_rule_dialog() {  # button id
  click_control "$TRAYLET_DLG" "$1"
  wait_until 5 rule_dialog || fail "no rule dialog after a click on button $1"
  wait_until 5 sh -c "[ \"\$(wine '$BIN/traydriver.exe' foreground | tr -d '\r')\" = '$(rule_dialog)' ]" \
    || fail "the rule dialog is not in front"
}

show_options
open_rule_dialog 1012   # Add...
xdotool type --delay 20 "dockwindows.exe"
xdotool key Tab
xdotool type --delay 20 "Opt *"
xdotool key Return      # "when it opens" is checked to begin with
wait_until 5 rule_dialog_gone || fail "Enter did not close the rule dialog"
expect_stored "dockwindows.exe|Opt *|0x1;" "a rule added in Options"
open_windows "Opt One"
wait_until 5 is_hidden "Opt One" || fail "the rule added in Options did not dock a window as it opened"
pass "a rule added in Options with real clicks and keys docks a window that opens at once"

open_rule_dialog 1013   # Change..., the rule just added being chosen
xdotool key alt+t
xdotool type --delay 20 "Opt Two*"
xdotool key alt+o alt+m Return
wait_until 5 rule_dialog_gone || fail "Enter did not close the rule dialog"
expect_stored "dockwindows.exe|Opt Two*|0x2;" "a rule changed in Options"
open_rule_dialog 1013
xdotool key alt+o Escape
wait_until 5 rule_dialog_gone || fail "Escape did not close the rule dialog"
dlg_visible 1 || fail "Escape in the rule dialog hid Options too"
expect_stored "dockwindows.exe|Opt Two*|0x2;" "a change left with Escape"
drv post "$TRAYLET_DLG" 0x0111 2 0 >/dev/null   # the close button: a queued IDCANCEL
wait_until 5 dlg_visible 0 || fail "Options did not hide"
open_windows "Opt Two"
two_sweeps
is_shown "Opt Two" || fail "the changed rule docked a window as it opened"
minimize_by_click "Opt Two"
wait_until 5 is_hidden "Opt Two" || fail "the changed rule did not dock a window minimized"
stop_traylet
started
open_windows "Opt Two Again"
minimize_by_click "Opt Two Again"
wait_until 5 is_hidden "Opt Two Again" || fail "after a restart the changed rule did not dock a window minimized"
pass "changed in Options (Escape in its dialog changing nothing), it works at once and after a restart"

show_options
click_control "$TRAYLET_DLG" 1014   # Remove, the only rule being chosen
wait_until 5 sh -c "[ -z \"\$(wine reg query '$RULES' /s 2>/dev/null | tr -d '\r' | grep Program)\" ]" \
  || fail "Remove left '$(stored)'"
drv post "$TRAYLET_DLG" 0x0111 2 0 >/dev/null
open_windows "Opt Three"
minimize_by_click "Opt Three"
two_sweeps
state_is "$(win "Opt Three")" 1 1 0 || fail "a removed rule still docked: $(state_of "$(win "Opt Three")")"
stop_traylet
started
open_windows "Opt Four"
minimize_by_click "Opt Four"
two_sweeps
state_is "$(win "Opt Four")" 1 1 0 || fail "after a restart a removed rule still docked"
pass "removed in Options, it docks nothing, at once and after a restart"
stop_traylet
for t in "Min Target" "Opt One" "Opt Two" "Opt Two Again"; do is_shown "$t" || fail "$t is not back after Exit"; done
