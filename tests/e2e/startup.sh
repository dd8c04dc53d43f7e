#!/usr/bin/env bash
# The real program: starts hidden; a second start hands off and ends having
# created nothing; another program's "Traylet" dialog counts as a running
# copy; after the first copy ends a new start runs normally.
. "$(dirname "$0")/common.bash"

count_traylet_dialogs() { drv list | grep -c 'class=#32770 title=Traylet$' || true; }

start_traylet
drv state "$TRAYLET_DLG" | grep -q 'visible=0' || fail "dialog visible at start: $(drv state "$TRAYLET_DLG")"
sleep 1.5   # past the modal loop's first idle moment, when it tries to show the dialog
drv state "$TRAYLET_DLG" | grep -q 'visible=0' || fail "dialog became visible on its own"
pass "starts with its dialog hidden"

before=$(drv list | wc -l)
t0=$(date +%s%N)
timeout 10 wine "$BIN/Traylet.exe" >/dev/null 2>&1 || fail "second start failed"
ms=$(( ($(date +%s%N) - t0) / 1000000 ))
[ "$ms" -lt 1000 ] || fail "second start took ${ms} ms"
[ "$(count_traylet_dialogs)" -eq 1 ] || { drv list >&2; fail "a second dialog exists"; }
pass "second start ended in ${ms} ms, one dialog"
# The hand-off shows the running copy's dialog.
wait_until 5 sh -c "wine '$BIN/traydriver.exe' state $TRAYLET_DLG | grep -q visible=1" \
  || fail "hand-off did not show the running dialog"
pass "hand-off shows the running copy's dialog"
after=$(drv list | wc -l)
[ "$after" -eq "$before" ] || fail "top-level windows went from $before to $after"

stop_traylet
drv find '#32770' Traylet >/dev/null && fail "dialog still there after exit"
pass "exit removes the dialog"

# Another program's dialog captioned "Traylet" is taken for a running copy.
wine "$BIN/fakecopy.exe" 20 > "$OUT/fakecopy.txt" 2>&1 &
FAKE=$!; STARTED_PIDS+=($FAKE)
drv wait-window '#32770' Traylet 10000 || fail "fake dialog did not appear"
timeout 10 wine "$BIN/Traylet.exe" >/dev/null 2>&1 || fail "start beside the fake copy failed"
wait_pid_gone "$FAKE" 10 || fail "fake copy got nothing"
tr -d '\r' < "$OUT/fakecopy.txt" | grep -qx 'command 140 0' || fail "fake copy got: $(cat "$OUT/fakecopy.txt")"
[ "$(drv list | grep -c 'class=Traylet:' || true)" -eq 0 ] || fail "the newcomer created windows"
pass "a foreign 'Traylet' dialog receives WM_COMMAND 140, 0 and nothing is created"

# With no copy running, a start runs normally again.
start_traylet
drv state "$TRAYLET_DLG" | grep -q 'visible=0' || fail "restart: dialog visible"
stop_traylet
pass "a new start after exit runs normally"
