#!/usr/bin/env bash
# The command line from outside: every command with its exit code, with no
# copy running and with one; bad commands change nothing; /dock and /run
# start Traylet when none runs; /run docks Wine's notepad and the window a
# launcher hands over (not the same program's window that was open before);
# /list read back: handles, docked or not, states, program files and a
# Cyrillic title, written to a file and to a pipe.
. "$(dirname "$0")/common.bash"

T="$BIN/Traylet.exe"
DW_EXE="Z:${BIN//\//\\}\\dockwindows.exe"
CYRILLIC='Привет.txt - Notepad'
dir="$WINEPREFIX/drive_c/traylet-cmdline"
mkdir -p "$dir"
printf 'one' >"$dir/Привет.txt"

# Runs Traylet.exe with a command; its exit code must be the one given. What
# it wrote is in $OUT/cmd.out and $OUT/cmd.err.
cmd() {  # code args...
  local want=$1 rc=0; shift
  timeout 60 wine "$T" "$@" >"$OUT/cmd.out" 2>"$OUT/cmd.err" || rc=$?
  [ "$rc" = "$want" ] || fail "Traylet.exe $*: exit code $rc, not $want ($(tr -d '\r' <"$OUT/cmd.err"))"
  pass "Traylet.exe $* -> $rc"
}
listing() { tr -d '\r' <"$OUT/cmd.out"; }
traylets() { drv procs Traylet.exe; }
no_traylet() { [ -z "$(traylets)" ] && ! drv find '#32770' Traylet >/dev/null; }
hex() { printf '0x%x' "$1"; }
visible() { drv state "$1" | grep -q ' visible=1 '; }
hidden() { drv state "$1" | grep -q ' visible=0 '; }
notepads() { drv list | grep ' class=Notepad ' | cut -d' ' -f1 || true; }
hidden_notepad() { drv list | grep ' class=Notepad ' | grep ' visible=0 ' | cut -d' ' -f1 | grep .; }
# Traylet started by a command (not by start_traylet): its process and dialog.
started_traylet() {
  TRAYLET_PID=${STARTED_PIDS[-1]}
  drv wait-window '#32770' Traylet 10000 >/dev/null || fail "Traylet did not start"
}

no_traylet || fail "a Traylet is already running"
# Windows this scenario opens through Traylet or a launcher (notepads, the
# launcher's window) are closed however it ends: later scenarios count
# the windows they open.
NOTEPADS_BEFORE=" $(notepads | tr '\n' ' ') "
close_leftovers() {
  local h
  for h in $(notepads) $(drv find DockWindowsTool "Handed Over"); do
    [[ $NOTEPADS_BEFORE == *" $h "* ]] || drv post "$h" 0x0010 0 0 >/dev/null 2>&1 || true
  done
}
trap 'cleanup_started; sleep 0.5; close_leftovers' EXIT
start_bg "$BIN/dockwindows.exe" 280
drv wait-window DockWindowsTool "Dock Maximized" 20000 >/dev/null || fail "the helper's windows did not appear"
NORMAL=$(drv find DockWindowsTool "Dock Normal") MIN=$(drv find DockWindowsTool "Dock Minimized")
MAX=$(drv find DockWindowsTool "Dock Maximized")
[[ $(drv state "$NORMAL") =~ \ pid=([0-9]+)\  ]] && HELPER_PID=${BASH_REMATCH[1]} || fail "no process for the helper"
start_bg notepad 'C:\traylet-cmdline\Привет.txt'
wait_until 10 sh -c "wine '$BIN/traydriver.exe' list | grep -q ' visible=1 .* class=Notepad '" \
  || fail "notepad did not start"
CYR=$(notepads)

# --- No copy running ---------------------------------------------------------
for bad in /frobnicate "/dock title:" "/dock pid:abc" "/dock" "dock Dock" "/undock-all now" "/wait 0 /run notepad"; do
  # shellcheck disable=SC2086
  cmd 2 $bad
  grep -q 'bad command line' <(tr -d '\r' <"$OUT/cmd.err") || fail "no word on a bad command line: $(cat "$OUT/cmd.err")"
done
cmd 2 /dock ""
cmd 0 /?
listing | grep -q '/undock-all' && listing | grep -q 'hwnd:0xHEX' || fail "/? printed: $(listing | head -n3)"
cmd 1 /undock-all
cmd 0 /list
[ "$(listing | cut -f1,2 | sort | tr '\n' ' ')" = "$(printf '%s\tlisted\n' "$(hex "$NORMAL")" "$(hex "$MIN")" "$(hex "$MAX")" "$(hex "$CYR")" | sort | tr '\n' ' ')" ] \
  || fail "/list with no copy running: $(listing)"
no_traylet || fail "a command that is not /dock or /run started Traylet: $(traylets)"
pass "bad commands, /?, /list and the undocks with no copy running started nothing"

# /dock with no copy running starts Traylet, which docks.
start_bg "$T" /dock "title:Dock Normal"
started_traylet
wait_until 10 hidden "$NORMAL" || fail "the Traylet that /dock started did not dock 'Dock Normal'"
pass "/dock with no copy running started Traylet, which docked the window"
stop_traylet
wait_until 5 visible "$NORMAL" || fail "'Dock Normal' did not come back at exit"

# /run with no copy running starts Traylet, which starts notepad and docks it.
start_bg "$T" /run notepad
started_traylet
wait_until 15 hidden_notepad || fail "the Traylet that /run started did not dock a new notepad: $(drv list | grep Notepad)"
STARTED_NOTEPAD=$(hidden_notepad)
visible "$CYR" || fail "the notepad that was open before was docked"
pass "/run notepad with no copy running started Traylet, which docked the new notepad ($STARTED_NOTEPAD)"
stop_traylet
wait_until 5 visible "$STARTED_NOTEPAD" || fail "the docked notepad did not come back at exit"
gone() { ! drv state "$1" >/dev/null; }
drv post "$STARTED_NOTEPAD" 0x0010 0 0 >/dev/null
wait_until 5 gone "$STARTED_NOTEPAD" || fail "the notepad /run started did not close"

# --- A copy running ------------------------------------------------------------
start_traylet
cmd 0 /dock "title:Dock Minimized"
wait_until 5 hidden "$MIN" || fail "/dock did not hide 'Dock Minimized'"
cmd 1 /dock "title:No Window Has This Title"
cmd 1 /dock "hwnd:$(hex "$MIN")"              # docked already
cmd 2 /dock "hwnd:$TRAYLET_DLG"              # Traylet's own hidden dialog is never listed
cmd 2 /dock "hwnd:0x7ffffff0"
drv find '#32770' Traylet >/dev/null && [ "$(traylets | grep -c .)" -eq 2 ] || fail "Traylet processes: $(traylets)"
cmd 0 /dock "hwnd:$(hex "$MAX")"
wait_until 5 hidden "$MAX" || fail "/dock hwnd: did not hide 'Dock Maximized'"

# /list, to a file (above) and through a pipe: listed windows first, then the
# docked ones in the order they were docked, in the states they were docked in.
cmd 0 /list
listing >"$OUT/list.txt"
NOTEPAD_EXE=$(grep -F "$(hex "$CYR")	" "$OUT/list.txt" | cut -f4)
[[ $NOTEPAD_EXE =~ ^[Cc]:\\windows\\(system32|syswow64)\\notepad\.exe$ ]] || fail "notepad's program file: '$NOTEPAD_EXE'"
expected=$(printf '%s\tlisted\tnormal\t%s\t%s\n' "$(hex "$NORMAL")" "$DW_EXE" "Dock Normal"
           printf '%s\tlisted\tnormal\t%s\t%s\n' "$(hex "$CYR")" "$NOTEPAD_EXE" "$CYRILLIC"
           printf '%s\tdocked\tminimized\t%s\t%s\n' "$(hex "$MIN")" "$DW_EXE" "Dock Minimized"
           printf '%s\tdocked\tmaximized\t%s\t%s\n' "$(hex "$MAX")" "$DW_EXE" "Dock Maximized")
[ "$(sort "$OUT/list.txt")" = "$(sort <<<"$expected")" ] \
  || fail "/list printed:
$(cat "$OUT/list.txt")
expected (in any order of the listed windows):
$expected"
[ "$(tail -n2 "$OUT/list.txt" | cut -f1 | tr '\n' ' ')" = "$(hex "$MIN") $(hex "$MAX") " ] \
  || fail "the docked windows are not last, in docking order: $(cat "$OUT/list.txt")"
piped=$(wine "$T" /list | tr -d '\r')
[ "$piped" = "$(cat "$OUT/list.txt")" ] || fail "/list through a pipe differs: $piped"
pass "/list: handles, docked flags, states, program files, a Cyrillic title; the same through a pipe"

cmd 0 /undock "pid:$HELPER_PID"
wait_until 5 state_is "$MIN" 1 1 0 && state_is "$MAX" 1 0 1 || fail "not back in their states: $(state_of "$MIN") $(state_of "$MAX")"
cmd 1 /undock "title:Dock M*"
cmd 1 /undock-all
cmd 0 /dock class:dockwindowstool
wait_until 5 hidden "$NORMAL" && hidden "$MIN" && hidden "$MAX" || fail "/dock class: did not dock all three"

# /run with a copy running: the newcomer starts notepad and waits for its
# window; the notepad open before is left alone.
cmd 0 /run notepad
RUN_NOTEPAD=$(hidden_notepad) || fail "/run notepad docked no notepad"
visible "$CYR" || fail "/run docked the notepad that was open before"
cmd 0 /list
listing | grep -qxF "$(hex "$RUN_NOTEPAD")	docked	normal	$NOTEPAD_EXE	Untitled - Notepad" || fail "/list: $(listing)"
cmd 0 /undock program:notepad.exe
wait_until 5 visible "$RUN_NOTEPAD" || fail "/undock program:notepad.exe did not bring it back"

# A launcher that hands over to a copy of itself and ends; the same program's
# window open before is not docked.
start_bg "$BIN/dockwindows.exe" window "Open Before" 200
drv wait-window DockWindowsTool "Open Before" 10000 >/dev/null || fail "'Open Before' did not appear"
cmd 0 /run "$DW_EXE" handover "Handed Over"
HANDED=$(drv find DockWindowsTool "Handed Over") || fail "no 'Handed Over' window"
hidden "$HANDED" || fail "the window the launcher handed over to is not docked"
visible "$(drv find DockWindowsTool "Open Before")" || fail "the program's window open before was docked"
pass "/run docked the window of the process the launcher handed over to"

# No window within the time /wait gives: 1, within a bound; no program: 2.
t0=$(date +%s)
cmd 1 /wait 1 /run "$DW_EXE" hotkey 0 0 3   # a hidden window only
[ $(( $(date +%s) - t0 )) -lt 8 ] || fail "/wait 1 /run took $(( $(date +%s) - t0 )) s"
cmd 2 /run no-such-program.exe
grep -q 'cannot start no-such-program.exe' <(tr -d '\r' <"$OUT/cmd.err") || fail "said: $(cat "$OUT/cmd.err")"

cmd 0 /undock-all
wait_until 5 visible "$HANDED" && state_is "$MAX" 1 0 1 || fail "/undock-all did not bring the windows back"
[ "$(traylets | grep -c .)" -eq 2 ] || fail "Traylet processes after the commands: $(traylets)"
stop_traylet
pass "every window is back and one Traylet with its guard ran throughout"
