#!/usr/bin/env bash
# The real program and the per-user Run value: the box shows a matching
# value at start-up, a second start leaves the registry alone, real pointer
# clicks on the shown dialog delete and store the value, odd values leave the
# box unchecked without harm, and a program whose path does not fit the
# 260-byte buffer stores nothing. The Run key is put back at the end.
. "$(dirname "$0")/common.bash"

rk() { wine "$BIN/runkey.exe" "$@" | tr -d '\r'; }
SAVED=$(winepath -w "$OUT/runkey.saved")
rk save "$SAVED" || fail "could not save the Run key"
restore_run_key() {
  cleanup_started
  rk restore "$SAVED" || echo "FAIL: could not restore the Run key" >&2
}
trap restore_run_key EXIT

hex() { printf '%s' "$1" | od -An -tx1 -v | tr -d ' \n'; }
# The value as runkey prints it for a REG_SZ holding TEXT and one NUL.
stored_sz() { echo "type=1 size=$(( ${#1} + 1 )) data=$(hex "$1")00"; }
box() { drv check "$1" 1001; }

# Dark pixels in the check box's square, from a screenshot: a check mark is
# drawn in black, an empty box has none inside its frame.
mark_pixels() {  # png left top right bottom
  local l=$2 t=$3 b=$5 size=13
  local y=$(( t + (b - t - size) / 2 ))
  convert "$1" -crop "$(( size - 4 ))x$(( size - 4 ))+$(( l + 2 ))+$(( y + 2 ))" +repage \
    -colorspace gray -threshold 50% -negate -format '%[fx:round(mean*w*h)]' info:
}

# A real pointer click on the box's square.
click_box() {  # dialog
  local rect l t r b
  rect=$(wine "$BIN/ctlrect.exe" "$1" 1001 | tr -d '\r') || fail "no check box"
  read -r l t r b <<<"$rect"
  xdotool mousemove $(( l + 6 )) $(( (t + b) / 2 )) click 1
}

EXE_WIN=$(winepath -w "$BIN/Traylet.exe")
TEXT="\"$EXE_WIN\""

# Registry calls of a program, from Wine's trace of them: the Run key opened
# and the value read.
run_key_calls() { grep -a -E 'CurrentVersion\\\\Run"|"Traylet2"' "$1" || true; }

# --- Start-up with the quoted path in another case checks the box. ---
# A rewrite by the program would store the path's own case: the bytes and the
# key's last-write time would show it.
rk set 1 "$(printf '%s' "$TEXT" | tr 'A-Za-z' 'a-zA-Z')" || fail "could not set the value"
before=$(rk snapshot)
WINEDEBUG=+reg wine "$BIN/Traylet.exe" >/dev/null 2>"$OUT/first-start.trace" &
TRAYLET_PID=$!; STARTED_PIDS+=($!)
drv wait-window '#32770' Traylet 10000 || fail "Traylet's dialog did not appear"
TRAYLET_DLG=$(drv find '#32770' Traylet)
wait_until 5 sh -c "wine '$BIN/traydriver.exe' check $TRAYLET_DLG 1001 | tr -d '\\r' | grep -qx 1" \
  || fail "box unchecked for the quoted path in another case"
[ "$(rk snapshot)" = "$before" ] || fail "start-up changed the Run key: $(rk snapshot)"
[ -n "$(run_key_calls "$OUT/first-start.trace")" ] || fail "the trace shows no read of the Run value"
pass "the quoted path in another case checks the box; the key is untouched"

# --- A second start hands off without touching the registry. ---
WINEDEBUG=+reg timeout 10 wine "$BIN/Traylet.exe" >/dev/null 2>"$OUT/second-start.trace" || fail "second start failed"
wait_until 5 sh -c "wine '$BIN/traydriver.exe' state $TRAYLET_DLG | grep -q visible=1" \
  || fail "the hand-off did not show the dialog"
calls=$(run_key_calls "$OUT/second-start.trace")
[ -z "$calls" ] || fail "second start used the Run key: $calls"
after=$(rk snapshot)
[ "$after" = "$before" ] || fail "second start changed the Run key:
$before
became
$after"
pass "a second start neither opens the Run key nor changes it (bytes, last-write time)"

# --- The shown dialog (brought up by the hand-off, which shows it as the
# tray menu's "Options" does) has the box checked on screen. ---
RECT=$(wine "$BIN/ctlrect.exe" "$TRAYLET_DLG" 1001 | tr -d '\r')
# The dialog paints after it is shown: take screenshots until the square
# shows what is expected, or the time is up.
shows_mark() {  # name min max
  local n
  # shellcheck disable=SC2086
  n=$(mark_pixels "$(screenshot "$1")" $RECT)
  echo "$n" > "$OUT/$1.dark"
  [ "$n" -ge "$2" ] && [ "$n" -le "$3" ]
}
[ "$(box "$TRAYLET_DLG")" = 1 ] || fail "BM_GETCHECK is not 1"
wait_until 5 shows_mark options-checked 5 999 \
  || fail "no check mark in the screenshot ($(cat "$OUT/options-checked.dark") dark pixels at $RECT)"
pass "the shown box is checked: BM_GETCHECK 1, $(cat "$OUT/options-checked.dark") dark pixels in its square"

# --- A real click unchecks the box and deletes the value; the key stays. ---
click_box "$TRAYLET_DLG"
wait_until 5 sh -c "! wine '$BIN/runkey.exe' get" || fail "the value is still there: $(rk get)"
[ "$(box "$TRAYLET_DLG")" = 0 ] || fail "box still checked after the click"
rk has-key || fail "the Run key went with the value"
wait_until 5 shows_mark options-unchecked 0 0 \
  || fail "the square still shows $(cat "$OUT/options-unchecked.dark") dark pixels"
pass "a pointer click deletes the value and clears the box; the key stays"

# --- A second click stores exactly the quoted path and one NUL. ---
click_box "$TRAYLET_DLG"
wait_until 5 wine "$BIN/runkey.exe" get || fail "no value after checking the box"
[ "$(rk get)" = "$(stored_sz "$TEXT")" ] || fail "stored $(rk get), expected $(stored_sz "$TEXT")"
[ "$(box "$TRAYLET_DLG")" = 1 ] || fail "box not checked after the click"
pass "a pointer click stores REG_SZ $TEXT and one NUL, $(( ${#EXE_WIN} + 3 )) bytes"
stop_traylet

# --- Odd values leave the box unchecked, the program running and the value
# as it was; so does a missing Run key, which is not created. ---
check_start_unchecked() {  # what
  local before
  before=$(rk snapshot)
  start_traylet
  # The box is set while the dialog initialises, before its window is found.
  [ "$(box "$TRAYLET_DLG")" = 0 ] || fail "$1: box checked"
  kill -0 "$TRAYLET_PID" 2>/dev/null || fail "$1: Traylet ended"
  [ "$(rk snapshot)" = "$before" ] || fail "$1: the Run key changed: $(rk snapshot)"
  stop_traylet
  pass "$1: box unchecked, the key untouched"
}
rk fill 1 65536 && check_start_unchecked "64 KB REG_SZ without a NUL"
rk set 1 "$EXE_WIN" && check_start_unchecked "the path without quotes"
rk set 1 "$TEXT" nonul || fail "could not set the value"
[ "$(rk get)" = "type=1 size=${#TEXT} data=$(hex "$TEXT")" ] || fail "not stored without a NUL: $(rk get)"
check_start_unchecked "the quoted path without a NUL"
rk set 2 "$TEXT" && check_start_unchecked "REG_EXPAND_SZ"
rk set-hex 4 01000000 && check_start_unchecked "REG_DWORD"
rk set-hex 1 - && check_start_unchecked "an empty value"
rk delete && check_start_unchecked "no value"
rk delete-key && check_start_unchecked "no Run key"
rk has-key && fail "the Run key was created"
rk create-key || fail "could not re-create the Run key"

# --- Where the program's path does not fit 260 bytes, nothing is stored and
# nothing matches; the longest path that fits is stored whole. ---
# A copy of Traylet.exe whose Windows path ("Z:" and the Unix path, slashes
# turned round) has the given length. Prints the Unix path.
deep_copy() {  # length
  local dir="$OUT/deep$1"
  local rest=$(( $1 - 2 - ${#dir} - 12 ))   # 12: "/Traylet.exe"
  while [ "$rest" -gt 201 ]; do dir="$dir/$(printf 'd%.0s' $(seq 100))"; rest=$(( rest - 101 )); done
  local a=$(( rest / 2 ))
  dir="$dir/$(printf 'd%.0s' $(seq $(( a - 1 ))))/$(printf 'e%.0s' $(seq $(( rest - a - 1 ))))"
  mkdir -p "$dir" && cp "$BIN/Traylet.exe" "$dir/Traylet.exe"
  echo "$dir/Traylet.exe"
}
win_path() { printf 'Z:%s' "$1" | tr / '\\'; }

# Starts a copy of Traylet (hidden, as always); show_dialog then brings its
# dialog up through the hand-off of a second start.
start_copy() {  # exe
  start_bg "$1"
  TRAYLET_PID=${STARTED_PIDS[-1]}
  drv wait-window '#32770' Traylet 10000 || fail "Traylet's dialog did not appear"
  TRAYLET_DLG=$(drv find '#32770' Traylet)
}
show_dialog() {
  timeout 10 wine "$BIN/Traylet.exe" >/dev/null 2>&1 || fail "hand-off start failed"
  wait_until 5 sh -c "wine '$BIN/traydriver.exe' state $TRAYLET_DLG | grep -q visible=1" \
    || fail "the hand-off did not show the dialog"
}

DEEP=$(deep_copy 260)
DEEP_WIN=$(win_path "$DEEP")
[ ${#DEEP_WIN} -eq 260 ] || fail "deep path of ${#DEEP_WIN} characters"
for text in "\"${DEEP_WIN:0:259}\"" "\"$DEEP_WIN\""; do
  rk set 1 "$text" || fail "could not set the value"
  before=$(rk snapshot)
  start_copy "$DEEP"
  [ "$(box "$TRAYLET_DLG")" = 0 ] || fail "260-character path: box checked for a value of ${#text} characters"
  show_dialog
  click_box "$TRAYLET_DLG"
  wait_until 5 sh -c "wine '$BIN/traydriver.exe' check $TRAYLET_DLG 1001 | tr -d '\\r' | grep -qx 1" || fail "the click did not check the box"
  [ "$(rk snapshot)" = "$before" ] || fail "260-character path: checking wrote $(rk get)"
  click_box "$TRAYLET_DLG"
  wait_until 5 sh -c "! wine '$BIN/runkey.exe' get" || fail "260-character path: unchecking kept $(rk get)"
  stop_traylet
done
pass "a 260-character path: no value matches, checking stores nothing, unchecking deletes"

DEEP=$(deep_copy 259)
DEEP_WIN=$(win_path "$DEEP")
[ ${#DEEP_WIN} -eq 259 ] || fail "deep path of ${#DEEP_WIN} characters"
rk delete || true
start_copy "$DEEP"
show_dialog
click_box "$TRAYLET_DLG"
wait_until 5 wine "$BIN/runkey.exe" get || fail "259-character path: nothing stored"
[ "$(rk get)" = "$(stored_sz "\"$DEEP_WIN\"")" ] || fail "259-character path: stored $(rk get)"
stop_traylet
start_copy "$DEEP"
# The dialog can be found while it still makes its controls and sets them.
wait_until 5 sh -c "wine '$BIN/traydriver.exe' check $TRAYLET_DLG 1001 | tr -d '\\r' | grep -qx 1" \
  || fail "259-character path: the stored value does not check the box"
stop_traylet
pass "a 259-character path is stored whole (262 bytes) and checks the box at the next start"
